#include "prefs/NetworkSettings.h"

#include "platform/MailslotWire.h"
#include "platform/OemCodePage.h"
#include "platform/SambaWorkgroup.h"
#include "prefs/CRegistry.h"
#include "prefs/PreferencesLayout.h"

namespace {

using RegistryKeys::kCompany;
using RegistryKeys::kProduct;

constexpr QStringView kComputerName = u"Network\\ComputerName";
constexpr QStringView kWorkgroup = u"Network\\Workgroup";
constexpr QStringView kCodePage = u"Network\\CodePage";
constexpr QStringView kWindowsPeers = u"Network\\WindowsPeers";
constexpr QStringView kExtraNetworks = u"Network\\ExtraNetworks";

QString ReadText(CRegistry& registry, QStringView path)
{
    QString text;
    if (!registry.ReadString(kCompany, kProduct, path, text))
        return {}; // a value of another type names nothing
    return text.trimmed();
}

} // namespace

NetworkSettings LoadNetworkSettings(CRegistry& registry)
{
    NetworkSettings settings;
    settings.computerName = ReadText(registry, kComputerName);
    settings.workgroup = ReadText(registry, kWorkgroup);
    settings.extraNetworks = ReadText(registry, kExtraNetworks);
    std::int32_t number = 0;
    if (registry.ReadNumber(kCompany, kProduct, kCodePage, number))
        settings.codePage = number;
    number = 1;
    registry.ReadNumber(kCompany, kProduct, kWindowsPeers, number);
    settings.windowsPeers = number != 0;
    return settings;
}

bool SaveNetworkSettings(CRegistry& registry, const NetworkSettings& settings)
{
    return registry.WriteStrings(kCompany, kProduct,
                                 {
                                     {kComputerName.toString(), settings.computerName.trimmed()},
                                     {kWorkgroup.toString(), settings.workgroup.trimmed()},
                                     {kCodePage.toString(), QString::number(settings.codePage)},
                                     {kWindowsPeers.toString(), QString::number(settings.windowsPeers ? 1 : 0)},
                                     {kExtraNetworks.toString(), settings.extraNetworks.trimmed()},
                                 });
}

WindowsNames ResolveWindowsNames(const NetworkSettings& settings, const QString& hostName,
                                 const QString& machineWorkgroup, int localeCodePage)
{
    WindowsNames names;
    names.codePage = OemCodePage::IsKnown(settings.codePage) ? settings.codePage : localeCodePage;
    const auto resolve = [&names](const QString& wanted, const QString& fallback) {
        if (const auto bytes = OemCodePage::NetBiosName(wanted, names.codePage))
            return *bytes;
        names.unwritable.append(wanted);
        return OemCodePage::NetBiosName(fallback, OemCodePage::kWesternEuropean).value_or(QByteArrayLiteral("LINUX"));
    };
    names.computer = resolve(settings.computerName.isEmpty() ? hostName : settings.computerName, hostName);
    names.workgroup = resolve(settings.workgroup.isEmpty() ? machineWorkgroup : settings.workgroup,
                              QStringLiteral("WORKGROUP"));
    return names;
}

WindowsNames ResolveWindowsNames(const NetworkSettings& settings)
{
    return ResolveWindowsNames(settings, QString::fromLocal8Bit(ComputerName()), MachineWorkgroup(),
                               OemCodePage::ForLocale(QLocale::system()));
}
