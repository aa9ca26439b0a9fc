#pragma once

#include "platform/ConfigPaths.h"

#include <QByteArray>
#include <QString>

// The desktop's counterpart of the Run value: an XDG autostart entry that starts the program
// when the user logs on.
namespace AutostartEntry {

// The Desktop Entry text, with the executable's full path quoted as the Exec rules require and
// as TryExec, so that the entry is skipped once the program is gone.
QByteArray Format(const QString& exePath);
// Writes the entry atomically, replacing the one there, and removes the entry "pellwick.desktop"
// beside it that earlier versions wrote (two entries would start the program twice).
bool Write(const QString& exePath, const QString& entryPath = ConfigPaths::AutostartEntry());
// Removes the entry and the earlier versions' one; true when neither is left.
bool Remove(const QString& entryPath = ConfigPaths::AutostartEntry());

} // namespace AutostartEntry
