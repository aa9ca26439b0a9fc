#pragma once

#include "prefs/Preferences.h"

// The Online window's user list, kept in "Preferences\Online Dialog".
class PreferencesOnline : public Preferences {
public:
    FontRecord m_fontText = DefaultFont();
    COLORREF m_crText = DefaultTextColor();
};
