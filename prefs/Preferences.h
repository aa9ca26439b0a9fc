#pragma once

#include "prefs/ColorRef.h"
#include "prefs/FontRecord.h"

// The root of the appearance records. The class of a record, not any field, decides where
// LoadPreferences and SavePreferences keep it; a plain Preferences is kept nowhere.
class Preferences {
public:
    virtual ~Preferences() = default;

    // Whether colours nobody picked follow the desktop's palette (on: read when the record is
    // built, so a record built after a theme change has the new ones) or are the classic
    // black on white. Set on the GUI thread from the Preferences window's choice.
    static void SetDesktopColors(bool on);
    static bool DesktopColors();

protected:
    Preferences() = default;
    Preferences(const Preferences&) = default;
    Preferences& operator=(const Preferences&) = default;

    // Defaults of every record, taken from the palette when the record is built: window
    // text for text and titles, the colour of text areas for backgrounds. Records are built on the
    // GUI thread, which owns the palette.
    static COLORREF DefaultTextColor();
    static COLORREF DefaultBackgroundColor();
    // Height 14, normal weight, upright, face "Arial Cyr".
    static FontRecord DefaultFont();
};
