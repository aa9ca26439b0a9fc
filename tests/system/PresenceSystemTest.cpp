#include "support/QtPrinters.h"
#include "support/WaitFor.h"
#include "system/ProgramHostsTest.h"

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>

#include <gtest/gtest.h>

namespace {

// Each copy is watched from outside through the list log that it writes once a second
// (PELLWICK_LIST_LOG).
class PresenceSystemTest : public ProgramHostsTest {
protected:
    void SetUp() override
    {
        ProgramHostsTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        ASSERT_TRUE(QFileInfo(Program()).isExecutable()) << "PELLWICK_PROGRAM must name the built program";
    }

    static QString Program() { return qEnvironmentVariable("PELLWICK_PROGRAM"); }
    QStringList Arguments(int host) const { return ProgramHostsTest::Arguments(host, Program()); }
    QProcess* StartCopy(int host) { return Start(host, Program()); }

    // The names in a copy's Online list, "All" included.
    QStringList Listed(int host) const
    {
        QFile file(HostDir(host) + QStringLiteral("/list"));
        QStringList names;
        if (file.open(QIODevice::ReadOnly))
            for (const QByteArray& line : file.readAll().split('\n'))
                if (!line.isEmpty())
                    names << QString::fromUtf8(line.left(line.indexOf('\t')));
        names.sort();
        return names;
    }

    QStringList Expected(std::initializer_list<int> hosts) const
    {
        QStringList names{QStringLiteral("All")};
        for (int host : hosts)
            names << m_users[host];
        names.sort();
        return names;
    }

    // Every file in a host's configuration folder with a digest of its content.
    QMap<QString, QByteArray> ConfigFiles(int host) const
    {
        QMap<QString, QByteArray> files;
        QDirIterator it(HostDir(host) + QStringLiteral("/config"), QDir::Files | QDir::Hidden,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            QFile file(it.next());
            if (file.open(QIODevice::ReadOnly))
                files.insert(file.fileName(), QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256));
        }
        return files;
    }
};

} // namespace

TEST_F(PresenceSystemTest, CopiesSeeEachOtherAndSeeLeaversGo)
{
    std::vector<QProcess*> copies;
    for (int i = 0; i < kHosts; ++i)
        copies.push_back(StartCopy(i));

    // The list is logged once a second, so a list made within 2 s shows within 3 s.
    const QStringList everybody = Expected({0, 1, 2});
    ASSERT_TRUE(WaitFor([&] { return Listed(0) == everybody && Listed(1) == everybody && Listed(2) == everybody; },
                        std::chrono::seconds(3)))
        << Listed(0).join(QLatin1Char(',')).toStdString() << " | " << Listed(1).join(QLatin1Char(',')).toStdString()
        << " | " << Listed(2).join(QLatin1Char(',')).toStdString();

    // A second start on a host ends at once with 10 and changes no file, whoever starts it.
    const QMap<QString, QByteArray> before = ConfigFiles(0);
    EXPECT_EQ(m_lab->Run(0, m_users[0], QStringLiteral("/usr/bin/env"), Arguments(0)), 10);
    EXPECT_EQ(m_lab->Run(0, m_users[1], QStringLiteral("/usr/bin/env"), Arguments(0)), 10);
    EXPECT_EQ(ConfigFiles(0), before);
    // Without the lock, the read side itself cannot be opened twice.
    EXPECT_EQ(m_lab->Run(0, m_users[1], qEnvironmentVariable("PELLWICK_PROBE"), {}), 10);

    // A copy killed outright is dropped by the others within 8 s.
    copies[2]->kill();
    EXPECT_TRUE(WaitFor(
        [&] {
            return Listed(0) == Expected({0, 1}) && Listed(1) == Expected({0, 1});
        },
        std::chrono::seconds(8)));

    // A copy that shuts down cleanly ends with 0 and is dropped likewise.
    copies[1]->terminate();
    EXPECT_TRUE(copies[1]->waitForFinished(5000));
    EXPECT_EQ(copies[1]->exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(copies[1]->exitCode(), 0);
    EXPECT_TRUE(WaitFor([&] { return Listed(0) == Expected({0}); }, std::chrono::seconds(8)));

    copies[0]->terminate();
    EXPECT_TRUE(copies[0]->waitForFinished(5000));
    EXPECT_EQ(copies[0]->exitCode(), 0);
}
