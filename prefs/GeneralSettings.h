#pragma once

class CRegistry;

// The program-wide choices of the Preferences window. Each is on unless a 0 is stored.
struct GeneralSettings {
    bool startWithDesktop = true; // "Preferences\General\StartWithDesktop"
    bool sounds = true; // "Preferences\General\Sounds"
    bool notify = true; // "Notify" of the Incoming Messages window's section
    bool desktopColors = true; // "Preferences\Appearance\DesktopColors"

    bool operator==(const GeneralSettings&) const = default;
};

GeneralSettings LoadGeneralSettings(CRegistry& registry);
// All values in one write of the file.
bool SaveGeneralSettings(CRegistry& registry, const GeneralSettings& settings);

// Notices the program gives once, ever; "Preferences\Notices\<name>" is 1 once given.
enum class Notice {
    TrayHint, // the program lives in the notification area
    WindowsPeersOutOfReach,
};

bool NoticeGiven(CRegistry& registry, Notice notice);
void SetNoticeGiven(CRegistry& registry, Notice notice);
