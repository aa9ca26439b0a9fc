#include "prefs/NetworkSettings.h"

#include "prefs/CRegistry.h"
#include "prefs/PreferencesLayout.h"

NetworkSettings LoadNetworkSettings(CRegistry& registry, const QString& machineWorkgroup)
{
    using RegistryKeys::kCompany;
    using RegistryKeys::kProduct;
    NetworkSettings settings;
    QString workgroup;
    if (!registry.ReadString(kCompany, kProduct, u"Network\\Workgroup", workgroup))
        workgroup.clear(); // a value of another type names no workgroup
    settings.workgroup = workgroup.trimmed().isEmpty() ? machineWorkgroup : workgroup.trimmed();
    std::int32_t windowsPeers = 1;
    registry.ReadNumber(kCompany, kProduct, u"Network\\WindowsPeers", windowsPeers);
    settings.windowsPeers = windowsPeers != 0;
    if (!registry.ReadString(kCompany, kProduct, u"Network\\ExtraNetworks", settings.extraNetworks))
        settings.extraNetworks.clear();
    return settings;
}
