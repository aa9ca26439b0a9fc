#include "prefs/Autostart.h"
#include "prefs/CRegistry.h"
#include "support/FileBytes.h"
#include "support/QtPrinters.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

// Quotes, $, `, \, % and a tab in the path each need their own escape in the entry's Exec line.
TEST(AutostartTest, EveryStartRewritesTheRunValueAndAnEntryTheDesktopAccepts)
{
    const QString validator = QStandardPaths::findExecutable(QStringLiteral("desktop-file-validate"));
    if (validator.isEmpty())
        GTEST_SKIP() << "desktop-file-validate is missing (package desktop-file-utils)";
    QTemporaryDir dir;
    CRegistry registry(dir.path() + QStringLiteral("/pellwick/registry.reg"));
    const QString entryPath = dir.path() + QStringLiteral("/autostart/pellwick.desktop");
    for (const QString& exePath : {QStringLiteral("/home/u/it's \"quoted\" $HOME `x` \\ 100%/Почта\tпрогр/pellwick"),
                                   QStringLiteral("/opt/moved here/pellwick")}) {
        SCOPED_TRACE(exePath.toStdString());
        EXPECT_TRUE(RegisterAutostart(registry, exePath, entryPath));
        QString stored;
        EXPECT_TRUE(registry.ReadString(u"Microsoft", u"Windows", u"CurrentVersion\\Run\\Pellwick", stored));
        EXPECT_EQ(stored, exePath);
        EXPECT_TRUE(FileBytes(entryPath).contains("\nX-GNOME-Autostart-enabled=true\n"));

        QProcess validate;
        validate.start(validator, {entryPath});
        ASSERT_TRUE(validate.waitForFinished());
        const QByteArray output = validate.readAllStandardOutput() + validate.readAllStandardError();
        EXPECT_EQ(validate.exitCode(), 0) << output.toStdString();
        EXPECT_TRUE(output.isEmpty()) << output.toStdString();
    }
    EXPECT_TRUE(FileBytes(entryPath).contains("\nExec=\"/opt/moved here/pellwick\"\nTryExec=/opt/moved here/pellwick\n"));
    EXPECT_FALSE(registry.KeyExists(u"Ravelstone", u"Pellwick", u"Preferences\\X"));
}
