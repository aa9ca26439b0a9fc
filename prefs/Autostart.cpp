#include "prefs/Autostart.h"

#include "platform/AutostartEntry.h"
#include "prefs/CRegistry.h"

bool RegisterAutostart(CRegistry& registry, const QString& exePath, const QString& entryPath)
{
    const bool runValue = registry.WriteString(u"Microsoft", u"Windows", u"CurrentVersion\\Run\\Pellwick", exePath);
    const bool entry = AutostartEntry::Write(exePath, entryPath);
    return runValue && entry;
}
