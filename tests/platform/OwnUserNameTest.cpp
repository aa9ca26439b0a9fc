#include "platform/OwnUserName.h"
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
