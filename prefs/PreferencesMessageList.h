#pragma once

#include "prefs/Preferences.h"

// A conversation list: the title style draws the sender part of a line, the text style the
// message part, the background fills the list. Stored only through its two subclasses.
class PreferencesMessageList : public Preferences {
public:
    COLORREF m_crTitle = DefaultTextColor();
    COLORREF m_crText = DefaultTextColor();
    COLORREF m_crBackground = DefaultBackgroundColor();
    FontRecord m_fontTitle = DefaultFont();
    FontRecord m_fontText = DefaultFont();
};
