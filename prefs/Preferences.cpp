#include "prefs/Preferences.h"

#include <QGuiApplication>
#include <QPalette>

COLORREF Preferences::DefaultTextColor()
{
    return ToColorRef(QGuiApplication::palette().color(QPalette::Active, QPalette::WindowText));
}

COLORREF Preferences::DefaultBackgroundColor()
{
    return ToColorRef(QGuiApplication::palette().color(QPalette::Active, QPalette::Base));
}

FontRecord Preferences::DefaultFont()
{
    return FontRecord{.height = 14, .weight = 400, .face = QStringLiteral("Arial Cyr")};
}
