#pragma once

#include "platform/ConfigPaths.h"

#include <QString>

class CRegistry;

// Registers the program to start when the user logs on: the Run value "Pellwick" with the
// executable's full path, and the desktop's autostart entry for it. True when both were
// written; a failure changes nothing else.
bool RegisterAutostart(CRegistry& registry, const QString& exePath,
                       const QString& entryPath = ConfigPaths::AutostartEntry());
// Removes both; true when neither is left.
bool UnregisterAutostart(CRegistry& registry, const QString& entryPath = ConfigPaths::AutostartEntry());
// At every start, and when the choice changes: registers the running program while "start
// with the desktop" is on (so that a moved program is found), and leaves it unregistered
// otherwise.
bool ApplyAutostartChoice(CRegistry& registry, const QString& exePath,
                          const QString& entryPath = ConfigPaths::AutostartEntry());
