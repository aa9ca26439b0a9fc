#include "prefs/Autostart.h"

#include "platform/AutostartEntry.h"
#include "prefs/CRegistry.h"
#include "prefs/GeneralSettings.h"

namespace {

constexpr QStringView kRunPath = u"CurrentVersion\\Run\\Pellwick";

} // namespace

bool RegisterAutostart(CRegistry& registry, const QString& exePath, const QString& entryPath)
{
    const bool runValue = registry.WriteString(u"Microsoft", u"Windows", kRunPath, exePath);
    const bool entry = AutostartEntry::Write(exePath, entryPath);
    return runValue && entry;
}

bool UnregisterAutostart(CRegistry& registry, const QString& entryPath)
{
    const bool runValue = registry.DeleteValues(u"Microsoft", u"Windows", {kRunPath.toString()});
    const bool entry = AutostartEntry::Remove(entryPath);
    return runValue && entry;
}

bool ApplyAutostartChoice(CRegistry& registry, const QString& exePath, const QString& entryPath)
{
    if (LoadGeneralSettings(registry).startWithDesktop)
        return RegisterAutostart(registry, exePath, entryPath);
    return UnregisterAutostart(registry, entryPath);
}
