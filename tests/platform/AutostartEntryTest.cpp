#include "platform/AutostartEntry.h"
#include "support/FileBytes.h"
#include "support/QtPrinters.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

// Quotes, $, `, \, % and a tab in the path each need their own escape in the Exec line.
TEST(AutostartEntryTest, DesktopFileValidateAcceptsTheEntryForAnyPath)
{
    const QString validator = QStandardPaths::findExecutable(QStringLiteral("desktop-file-validate"));
    if (validator.isEmpty())
        GTEST_SKIP() << "desktop-file-validate is missing (package desktop-file-utils)";
    QTemporaryDir dir;
    const QString entryPath = dir.path() + QStringLiteral("/autostart/pellwick.desktop");
    for (const QString& exePath : {QStringLiteral("/usr/bin/pellwick"), QStringLiteral("/opt/Pell wick/bin/pellwick"),
                                   QStringLiteral("/home/u/it's \"quoted\" $HOME `x` \\ 100%/Почта\tпрогр/pellwick")}) {
        SCOPED_TRACE(exePath.toStdString());
        ASSERT_TRUE(AutostartEntry::Write(exePath, entryPath));
        EXPECT_TRUE(FileBytes(entryPath).contains("\nX-GNOME-Autostart-enabled=true\n"));

        QProcess validate;
        validate.start(validator, {entryPath});
        ASSERT_TRUE(validate.waitForFinished());
        const QByteArray output = validate.readAllStandardOutput() + validate.readAllStandardError();
        EXPECT_EQ(validate.exitCode(), 0) << output.toStdString();
        EXPECT_TRUE(output.isEmpty()) << output.toStdString();
    }
}
