#pragma once

#include "prefs/Preferences.h"

#include <cstdint>

// The Send Message window's message field, kept in "Preferences\Send Message Dialog".
class PreferencesSendMessage : public Preferences {
public:
    FontRecord m_fontText = DefaultFont();
    COLORREF m_crBackground = DefaultBackgroundColor();
    COLORREF m_crText = DefaultTextColor();
    // Not stored: set when a new font arrived and the field's margins still follow the old one.
    std::uint8_t m_bMarginsDirty = 0;
};
