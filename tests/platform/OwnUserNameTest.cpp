#include "platform/OwnUserName.h"
#include "platform/ConfigPaths.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

#include <pwd.h>
#include <unistd.h>

TEST(OwnUserNameTest, IsTheLoginNameAsAPacketCarriesIt)
{
    const passwd* entry = getpwuid(getuid());
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(GetOwnUserName(), QString::fromLocal8Bit(entry->pw_name).left(49));
    // Cut to the field, and outside Windows-1251 as the name comes back from the wire.
    for (const auto& [name, carried] :
         {std::pair(QString(50, u'ж'), QString(49, u'ж')), std::pair(QStringLiteral("用户"), QStringLiteral("??"))}) {
        const OwnUserNameOverride override(name);
        EXPECT_EQ(GetOwnUserName(), carried);
    }
}

TEST(OwnUserNameTest, WithoutHomeTheSettingsLiveInThePasswordEntrysHome)
{
    const passwd* entry = getpwuid(getuid());
    ASSERT_NE(entry, nullptr);
    const QByteArray home = qgetenv("HOME");
    const QByteArray configHome = qgetenv("XDG_CONFIG_HOME");
    qunsetenv("HOME");
    qunsetenv("XDG_CONFIG_HOME");
    const QString registry = ConfigPaths::RegistryFile();
    qputenv("HOME", home);
    if (!configHome.isNull())
        qputenv("XDG_CONFIG_HOME", configHome);
    EXPECT_EQ(registry, QString::fromLocal8Bit(entry->pw_dir) + QStringLiteral("/.config/pellwick/registry.reg"));
}
