#include "platform/OwnUserName.h"
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
