#pragma once

#include "prefs/PreferencesMessageList.h"

// The Chat Room's list, kept in "Preferences\Chat Dialog".
class PreferencesChat : public PreferencesMessageList { };
