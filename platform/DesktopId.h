#pragma once

#include <QString>

// The program's desktop id (reverse DNS): the name of its installed desktop entry without
// ".desktop", of its icon in the icon theme, and of its autostart entry. The build sets it, so
// that the installed files and the code name the same id.
QString DesktopId();
