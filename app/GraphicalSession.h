#pragma once

#include <QApplication>

#include <memory>

// Opens the application object on the desktop's display. Without a usable display (no session,
// a display that refuses us, no platform plugin) prints one line saying so and ends the process
// with EXIT_NO_DISPLAY, instead of letting the toolkit abort it with a core dump.
namespace GraphicalSession {

std::unique_ptr<QApplication> Open(int& argc, char** argv);

} // namespace GraphicalSession
