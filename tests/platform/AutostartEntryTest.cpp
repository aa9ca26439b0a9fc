#include "platform/AutostartEntry.h"
#include "support/QtPrinters.h"

#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// The one argument of the entry's Exec value as a launcher reads it: string escapes first,
// then the quoting of the argument, in which %% is one %.
QString ExecArgument(const QByteArray& entry)
{
    const qsizetype at = entry.indexOf("\nExec=") + 6;
    const QString value = QString::fromUtf8(entry.mid(at, entry.indexOf('\n', at) - at));
    QString unescaped, argument;
    for (qsizetype i = 0; i < value.size(); ++i) {
        QChar c = value[i];
        if (c == u'\\' && i + 1 < value.size()) {
            c = value[++i];
            c = c == u'n' ? QChar(u'\n') : c == u't' ? QChar(u'\t') : c == u'r' ? QChar(u'\r') : c;
        }
        unescaped += c;
    }
    EXPECT_TRUE(unescaped.startsWith(u'"') && unescaped.endsWith(u'"')) << unescaped.toStdString();
    for (qsizetype i = 1; i + 1 < unescaped.size(); ++i) {
        if (unescaped[i] == u'\\' || unescaped[i] == u'%')
            ++i;
        argument += unescaped[i];
    }
    return argument;
}

} // namespace

TEST(AutostartEntryTest, DesktopFileValidateAcceptsTheEntryAndExecGivesBackThePath)
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
        QFile file(entryPath);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray entry = file.readAll();
        EXPECT_TRUE(entry.contains("\nX-GNOME-Autostart-enabled=true\n"));
        EXPECT_EQ(ExecArgument(entry), exePath);

        QProcess validate;
        validate.start(validator, {entryPath});
        ASSERT_TRUE(validate.waitForFinished());
        const QByteArray output = validate.readAllStandardOutput() + validate.readAllStandardError();
        EXPECT_EQ(validate.exitCode(), 0) << output.toStdString();
        EXPECT_TRUE(output.isEmpty()) << output.toStdString();
    }
}
