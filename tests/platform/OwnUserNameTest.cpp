#include "platform/OwnUserName.h"
#include "platform/ConfigPaths.h"
#include "platform/Windows1251.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

#include <pwd.h>
#include <unistd.h>

TEST(OwnUserNameTest, IsTheRealUsersLoginName)
{
    const passwd* entry = getpwuid(getuid());
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(GetOwnUserName(), QString::fromLocal8Bit(entry->pw_name).left(49));
}

TEST(OwnUserNameTest, IsCutToFortyNineBytesInTheFormAPacketCarries)
{
    {
        const OwnUserNameOverride fifty(QString(50, u'ж'));
        EXPECT_EQ(GetOwnUserName(), QString(49, u'ж'));
        EXPECT_EQ(Windows1251::Encode(GetOwnUserName()).size(), 49);
    }
    {
        // Outside Windows-1251: the name compares equal to what comes back from the wire.
        const OwnUserNameOverride chinese(QStringLiteral("用户"));
        EXPECT_EQ(GetOwnUserName(), QStringLiteral("??"));
    }
    const OwnUserNameOverride exact(QString(49, u'a'));
    EXPECT_EQ(GetOwnUserName(), QString(49, u'a'));
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
