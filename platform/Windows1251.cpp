#include "platform/Windows1251.h"

#include <array>
#include <cstring>
#include <unordered_map>

namespace {

// Upper half of Windows-1251 (0x80..0xFF). 0xC0..0xFF are U+0410..U+044F in order.
constexpr std::array<char16_t, 64> kUpperHalf = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, // 80
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F, // 88
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, // 90
    0x0098, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, // 98 (0x98 unassigned)
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7, // A0
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407, // A8
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7, // B0
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457, // B8
};

char16_t ToUnicode(unsigned char byte)
{
    if (byte < 0x80)
        return byte;
    if (byte >= 0xC0)
        return static_cast<char16_t>(0x0410 + (byte - 0xC0));
    return kUpperHalf[byte - 0x80];
}

const std::unordered_map<char16_t, unsigned char>& ReverseTable()
{
    static const auto table = [] {
        std::unordered_map<char16_t, unsigned char> map;
        for (int byte = 0x80; byte <= 0xBF; ++byte)
            map.emplace(kUpperHalf[byte - 0x80], static_cast<unsigned char>(byte));
        return map;
    }();
    return table;
}

char ToByte(QChar ch)
{
    const char16_t code = ch.unicode();
    if (code < 0x80)
        return static_cast<char>(code);
    if (code >= 0x0410 && code <= 0x044F)
        return static_cast<char>(0xC0 + (code - 0x0410));
    const auto& reverse = ReverseTable();
    const auto it = reverse.find(code);
    return it == reverse.end() ? '?' : static_cast<char>(it->second);
}

} // namespace

namespace Windows1251 {

QByteArray Encode(QStringView text, qsizetype maxBytes)
{
    QByteArray out;
    out.reserve(maxBytes < 0 ? text.size() : std::min(maxBytes, text.size()));
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (maxBytes >= 0 && out.size() >= maxBytes)
            break;
        const QChar ch = text[i];
        // A character outside the Basic Multilingual Plane is one '?', not two.
        if (ch.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            ++i;
        out.append(ch.isSurrogate() ? '?' : ToByte(ch));
    }
    return out;
}

QString Decode(const char* bytes, std::size_t width)
{
    const auto length = static_cast<qsizetype>(strnlen(bytes, width));
    QString out(length, Qt::Uninitialized);
    for (qsizetype i = 0; i < length; ++i)
        out[i] = QChar(ToUnicode(static_cast<unsigned char>(bytes[i])));
    return out;
}

std::size_t EncodeInto(QStringView text, char* field, std::size_t width)
{
    if (width == 0)
        return 0;
    const QByteArray bytes = Encode(text, static_cast<qsizetype>(width - 1));
    const auto length = static_cast<std::size_t>(bytes.size());
    std::memcpy(field, bytes.constData(), length);
    std::memset(field + length, 0, width - length);
    return length;
}

} // namespace Windows1251
