#include "platform/ConfigPaths.h"

#include "platform/DesktopId.h"

#include <QDir>

namespace ConfigPaths {

QString ConfigHome()
{
    const QString configHome = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (!configHome.isEmpty() && QDir::isAbsolutePath(configHome))
        return QDir::cleanPath(configHome);
    return QDir::homePath() + QStringLiteral("/.config");
}

QString RegistryFile()
{
    return ConfigHome() + QStringLiteral("/pellwick/registry.reg");
}

QString AutostartEntry()
{
    return ConfigHome() + QStringLiteral("/autostart/") + DesktopId() + QStringLiteral(".desktop");
}

} // namespace ConfigPaths
