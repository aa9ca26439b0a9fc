#pragma once

#include "prefs/PreferencesMessageList.h"

// The Incoming Messages window's list, kept in "Preferences\Incoming Message Dialog".
class PreferencesInMessage : public PreferencesMessageList { };
