#include "platform/AutostartEntry.h"
#include "support/QtPrinters.h"

#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// The Exec value as a launcher reads it: string escapes first, then the quoting of one argument.
QString UnquoteExec(const QString& value)
{
    QString unescaped;
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (value[i] == u'\\' && i + 1 < value.size()) {
            const QChar next = value[++i];
            unescaped += next == u'n' ? QChar(u'\n') : next == u't' ? QChar(u'\t') : next == u'r' ? QChar(u'\r') : next;
        } else {
            unescaped += value[i];
        }
    }
    EXPECT_TRUE(unescaped.startsWith(u'"') && unescaped.endsWith(u'"')) << unescaped.toStdString();
    QString argument;
    for (qsizetype i = 1; i + 1 < unescaped.size(); ++i) {
        if (unescaped[i] == u'\\')
            ++i;
        else if (unescaped[i] == u'%')
            ++i; // %% is one %
        argument += unescaped[i];
    }
    return argument;
}

QString ExecValue(const QByteArray& entry)
{
    for (const QByteArray& line : entry.split('\n')) {
        if (line.startsWith("Exec="))
            return QString::fromUtf8(line.mid(5));
    }
    return {};
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
        EXPECT_TRUE(entry.startsWith("[Desktop Entry]\nType=Application\nName=Pellwick\n"));
        EXPECT_TRUE(entry.contains("\nX-GNOME-Autostart-enabled=true\n"));
        EXPECT_EQ(UnquoteExec(ExecValue(entry)), exePath);

        QProcess validate;
        validate.start(validator, {entryPath});
        ASSERT_TRUE(validate.waitForFinished());
        const QByteArray output = validate.readAllStandardOutput() + validate.readAllStandardError();
        EXPECT_EQ(validate.exitCode(), 0) << output.toStdString();
        EXPECT_TRUE(output.isEmpty()) << output.toStdString();
    }
}
