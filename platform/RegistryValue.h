#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>

#include <cstdint>

// Registry value types, numbered as the registry numbers them; any other number is kept as is.
namespace RegistryType {
constexpr std::uint32_t String = 1; // REG_SZ
constexpr std::uint32_t ExpandString = 2; // REG_EXPAND_SZ
constexpr std::uint32_t Binary = 3; // REG_BINARY
constexpr std::uint32_t Dword = 4; // REG_DWORD, little-endian
constexpr std::uint32_t MultiString = 7; // REG_MULTI_SZ
} // namespace RegistryType

// One stored value: its type and its data as the registry holds them. String types hold
// UTF-16LE code units with their terminating NUL, which is what the .reg format writes for
// hex(2) and hex(7) and what "name"="text" stands for.
struct RegistryValue {
    std::uint32_t type = RegistryType::String;
    QByteArray data;

    static RegistryValue FromText(QStringView text, std::uint32_t type = RegistryType::String);
    static RegistryValue FromDword(std::uint32_t number);

    bool IsStringType() const;
    // The data of a string type read as UTF-16LE, NULs included; an odd last byte is dropped.
    QString Utf16() const;

    bool operator==(const RegistryValue&) const = default;
};
