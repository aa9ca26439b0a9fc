#include "prefs/GeneralSettings.h"

#include "prefs/CRegistry.h"
#include "prefs/PreferencesLayout.h"

#include <array>

namespace {

using RegistryKeys::kCompany;
using RegistryKeys::kProduct;

constexpr std::array<std::pair<QStringView, bool GeneralSettings::*>, 4> kValues{{
    {u"Preferences\\General\\StartWithDesktop", &GeneralSettings::startWithDesktop},
    {u"Preferences\\General\\Sounds", &GeneralSettings::sounds},
    {u"Preferences\\Incoming Message Dialog\\Notify", &GeneralSettings::notify},
    {u"Preferences\\Appearance\\DesktopColors", &GeneralSettings::desktopColors},
}};

QStringView NoticePath(Notice notice)
{
    switch (notice) {
    case Notice::TrayHint:
        return u"Preferences\\Notices\\TrayHint";
    case Notice::WindowsPeersOutOfReach:
        return u"Preferences\\Notices\\WindowsPeersOutOfReach";
    }
    return {};
}

} // namespace

GeneralSettings LoadGeneralSettings(CRegistry& registry)
{
    GeneralSettings settings;
    for (const auto& [path, field] : kValues) {
        std::int32_t number = 1;
        registry.ReadNumber(kCompany, kProduct, path, number);
        settings.*field = number != 0;
    }
    return settings;
}

bool SaveGeneralSettings(CRegistry& registry, const GeneralSettings& settings)
{
    QList<std::pair<QString, QString>> values;
    for (const auto& [path, field] : kValues)
        values.append({path.toString(), QString::number(settings.*field ? 1 : 0)});
    return registry.WriteStrings(kCompany, kProduct, values);
}

bool NoticeGiven(CRegistry& registry, Notice notice)
{
    std::int32_t given = 0;
    registry.ReadNumber(kCompany, kProduct, NoticePath(notice), given);
    return given != 0;
}

void SetNoticeGiven(CRegistry& registry, Notice notice)
{
    registry.WriteNumber(kCompany, kProduct, NoticePath(notice), 1);
}
