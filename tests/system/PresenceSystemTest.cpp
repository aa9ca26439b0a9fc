#include "support/QtPrinters.h"
#include "system/ProgramHostsTest.h"

#include <QCryptographicHash>
#include <QDirIterator>

#include <gtest/gtest.h>

namespace {

class PresenceSystemTest : public ProgramHostsTest {
protected:
    // The Online list of a copy that sees just these hosts' users.
    QStringList Listing(std::initializer_list<int> hosts) const
    {
        QStringList names{u"All"_s};
        for (int host : hosts)
            names << m_users[host];
        names.sort();
        return names;
    }

    // Every file in a host's configuration folder with a digest of its content.
    QMap<QString, QByteArray> ConfigFiles(int host) const
    {
        QMap<QString, QByteArray> files;
        QDirIterator it(HostDir(host) + u"/config"_s, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
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
    const auto listed = [&](int host) { return m_copies[host].List().keys(); };
    ASSERT_TRUE(Everywhere([&](const HostCopy& copy) { return copy.List().keys() == Listing({0, 1, 2}); }, 3s));
    // Each newcomer made the tray flash (its first step follows the listing).
    EXPECT_TRUE(Everywhere([](const HostCopy& copy) { return copy.Texts(u"tray"_s).contains(u"New User"_s); }, 3s));

    // A second start of the program on a host ends at once with 10 and changes no file,
    // whoever starts it.
    const QStringList program = Environment(0, qEnvironmentVariable("PELLWICK_PROGRAM"));
    const QMap<QString, QByteArray> before = ConfigFiles(0);
    for (int user : {0, 1})
        EXPECT_EQ(m_lab->Run(0, m_users[user], u"/usr/bin/env"_s, program), 10) << user;
    EXPECT_EQ(ConfigFiles(0), before);
    // Past the lock, the read side itself cannot be opened twice: the copy says so and ends
    // with 10.
    QByteArray output;
    EXPECT_EQ(m_lab->Run(0, m_users[1], u"/usr/bin/env"_s, Environment(0) << u"--no-lock"_s, &output), 10);
    EXPECT_TRUE(output.contains("\nbox ") || output.startsWith("box ")) << output.toStdString();

    // A copy killed outright is dropped by the others within 8 s.
    m_copies[2].Process()->kill();
    EXPECT_TRUE(Until([&] { return listed(0) == Listing({0, 1}) && listed(1) == Listing({0, 1}); }, 8s));

    // A copy that is asked to end ends with 0 and is dropped likewise.
    m_copies[1].Process()->terminate();
    EXPECT_TRUE(m_copies[1].Process()->waitForFinished(5000));
    EXPECT_EQ(m_copies[1].Process()->exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(m_copies[1].Process()->exitCode(), 0);
    EXPECT_TRUE(Until([&] { return listed(0) == Listing({0}); }, 8s));
}
