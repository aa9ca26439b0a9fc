#pragma once

#include "platform/RegistryHive.h"

#include <QByteArray>

// The .reg export format, UTF-8: a header line, then one "[HKEY_CURRENT_USER\...]" section per
// key in creation order, each followed by its values ("name"="text", @= for the default
// value, dword:, hex:, hex(N):) and a blank line. Only the HKEY_CURRENT_USER hive is held.
namespace RegistryFile {

struct Parsed {
    RegistryHive hive;
    // False when the bytes are no registry file at all: no header, not UTF-8 text.
    bool readable = false;
    // Lines that could not be read. The rest of the file is still taken.
    int unreadableLines = 0;
    // The last line has no line break: the file was cut short.
    bool truncated = false;

    bool IsWhole() const { return readable && unreadableLines == 0 && !truncated; }
};

Parsed Parse(const QByteArray& bytes);
QByteArray Format(const RegistryHive& hive);

} // namespace RegistryFile
