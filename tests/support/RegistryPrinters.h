#pragma once

// Makes GoogleTest print registry values readably in failure messages.
#include "platform/RegistryValue.h"

#include <ostream>

inline void PrintTo(const RegistryValue& value, std::ostream* os)
{
    *os << "type " << value.type << ": ";
    if (value.IsStringType())
        *os << '"' << value.Utf16().toStdString() << '"';
    else
        *os << value.data.toHex(',').toStdString();
}
