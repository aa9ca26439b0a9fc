#pragma once

#include <QString>

// `pellwick --relay`: the site relay, headless (no display, tray or window), until SIGTERM or
// SIGINT. Says what is wrong on standard error (the journal, under systemd). Returns the exit
// code: 0 after a signal, 78 when the settings cannot be used, 69 when the segment cannot be
// opened (another copy or relay holds the port).
int RunRelay(int argc, char** argv, const QString& configPath);
