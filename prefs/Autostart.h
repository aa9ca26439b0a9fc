#pragma once

#include "platform/ConfigPaths.h"

#include <QString>

class CRegistry;

// Registers the program to start when the user logs on, at every start: the Run value
// "Pellwick" with the executable's full path, and the desktop's autostart entry for it.
// True when both were written; a failure changes nothing else.
bool RegisterAutostart(CRegistry& registry, const QString& exePath,
                       const QString& entryPath = ConfigPaths::AutostartEntry());
