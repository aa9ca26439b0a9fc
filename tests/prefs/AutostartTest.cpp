#include "prefs/Autostart.h"
#include "prefs/CRegistry.h"
#include "support/FileBytes.h"
#include "support/QtPrinters.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

TEST(AutostartTest, EveryStartRewritesTheRunValueAndTheAutostartEntry)
{
    QTemporaryDir dir;
    CRegistry registry(dir.path() + QStringLiteral("/pellwick/registry.reg"));
    const QString entryPath = dir.path() + QStringLiteral("/autostart/pellwick.desktop");

    for (const QString& exePath : {QStringLiteral("/usr/bin/pellwick"), QStringLiteral("/opt/moved here/pellwick")}) {
        EXPECT_TRUE(RegisterAutostart(registry, exePath, entryPath));
        QString stored;
        EXPECT_TRUE(registry.ReadString(u"Microsoft", u"Windows", u"CurrentVersion\\Run\\Pellwick", stored));
        EXPECT_EQ(stored, exePath);
        EXPECT_TRUE(FileBytes(entryPath).contains("\nExec=\"" + exePath.toUtf8() + "\"\n"));
    }
    EXPECT_FALSE(registry.KeyExists(u"Ravelstone", u"Pellwick", u"Preferences\\X"));
}
