#include "prefs/Preferences.h"

#include <QGuiApplication>
#include <QPalette>

namespace {

bool s_bDesktopColors = true;

} // namespace

void Preferences::SetDesktopColors(bool on)
{
    s_bDesktopColors = on;
}

bool Preferences::DesktopColors()
{
    return s_bDesktopColors;
}

COLORREF Preferences::DefaultTextColor()
{
    if (!s_bDesktopColors)
        return MakeColorRef(0, 0, 0);
    return ToColorRef(QGuiApplication::palette().color(QPalette::Active, QPalette::WindowText));
}

COLORREF Preferences::DefaultBackgroundColor()
{
    if (!s_bDesktopColors)
        return MakeColorRef(255, 255, 255);
    return ToColorRef(QGuiApplication::palette().color(QPalette::Active, QPalette::Base));
}

FontRecord Preferences::DefaultFont()
{
    return FontRecord{.height = 14, .weight = 400, .face = QStringLiteral("Arial Cyr")};
}
