#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>

#include <cstddef>

// The wire and the settings file carry text as Windows-1251 bytes; widgets show QString.
// Conversion happens once, at that boundary. The mapping is one to one over all 256 bytes
// (the one unassigned byte, 0x98, maps to U+0098), so a name survives a round trip.
namespace Windows1251 {

// Characters outside Windows-1251 become '?'. At most maxBytes bytes come out.
QByteArray Encode(QStringView text, qsizetype maxBytes = -1);

// Reads up to the first NUL, and never past width bytes.
QString Decode(const char* bytes, std::size_t width);

inline QString Decode(const QByteArray& bytes)
{
    return Decode(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

// Encodes text into a fixed field of width bytes: at most width - 1 bytes of text, then
// zeros to the end of the field. Returns the number of text bytes written.
std::size_t EncodeInto(QStringView text, char* field, std::size_t width);

} // namespace Windows1251
