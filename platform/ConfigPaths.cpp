#include "platform/ConfigPaths.h"

#include "platform/DesktopId.h"
#include "platform/PasswordEntry.h"

#include <QDir>

namespace ConfigPaths {

QString HomeFolder()
{
    const QString home = qEnvironmentVariable("HOME");
    if (!home.isEmpty() && QDir::isAbsolutePath(home))
        return QDir::cleanPath(home);
    // Started without HOME (a service manager, a bare environment): the password database
    // knows the user's home. Qt would answer with the root folder.
    const std::optional<PasswordEntry> entry = OwnPasswordEntry();
    if (entry && QDir::isAbsolutePath(entry->homeFolder))
        return QDir::cleanPath(entry->homeFolder);
    return QDir::homePath();
}

QString ConfigHome()
{
    const QString configHome = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (!configHome.isEmpty() && QDir::isAbsolutePath(configHome))
        return QDir::cleanPath(configHome);
    return HomeFolder() + QStringLiteral("/.config");
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
