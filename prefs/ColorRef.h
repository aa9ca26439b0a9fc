#pragma once

#include <QColor>

#include <cstdint>

// A stored colour: 0x00BBGGRR, as the settings file and every window keep it.
using COLORREF = std::uint32_t;

constexpr COLORREF MakeColorRef(int red, int green, int blue)
{
    return static_cast<COLORREF>((red & 0xFF) | ((green & 0xFF) << 8) | ((blue & 0xFF) << 16));
}

inline QColor ToQColor(COLORREF color)
{
    return QColor(static_cast<int>(color & 0xFF), static_cast<int>((color >> 8) & 0xFF),
                  static_cast<int>((color >> 16) & 0xFF));
}

inline COLORREF ToColorRef(const QColor& color)
{
    return MakeColorRef(color.red(), color.green(), color.blue());
}
