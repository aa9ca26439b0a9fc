#include "system/ProgramHostsTest.h"

using PresenceSystemTest = ProgramHostsTest;

TEST_F(PresenceSystemTest, CopiesSeeEachOtherAndSeeLeaversGo)
{
    // The Online list of a copy that sees the first n hosts' users ("All" sorts first).
    const auto listing = [&](int n) { return QStringList{u"All"_s} + m_users.mid(0, n); };
    const auto listed = [&](int host) { return m_copies[host].List().keys(); };
    ASSERT_TRUE(Everywhere([&](const HostCopy& copy) { return copy.List().keys() == listing(3); }, 3s));
    // Each newcomer made the tray flash (its first step follows the listing).
    EXPECT_TRUE(Everywhere([](const HostCopy& copy) { return copy.Texts(u"tray"_s).contains(u"New User"_s); }, 3s));

    // A second start on a host ends at once with 10 and changes no file, whoever starts it.
    const auto configFiles = [&] {
        QByteArray digests;
        Run(0, {}, u"/bin/sh"_s, {u"-c"_s, u"find \"$0\" -type f | sort | xargs -r sha256sum"_s, HostDir(0)}, &digests);
        return digests;
    };
    const QByteArray before = configFiles();
    ASSERT_FALSE(before.isEmpty());
    for (int user : {0, 1})
        EXPECT_EQ(Run(0, m_users[user], qEnvironmentVariable("PELLWICK_PROGRAM"), {}), 10) << user;
    EXPECT_EQ(configFiles(), before);
    // Past the lock, the transport refuses a second reader: a box, then 10.
    QByteArray output;
    EXPECT_EQ(Run(0, m_users[1], qEnvironmentVariable("PELLWICK_HOST"), {u"--no-lock"_s}, &output), 10);
    EXPECT_TRUE(output.contains("\nbox ") || output.startsWith("box ")) << output.toStdString();

    // A copy killed outright is dropped by the others within 8 s.
    m_copies[2].process->kill();
    EXPECT_TRUE(Until([&] { return listed(0) == listing(2) && listed(1) == listing(2); }, 8s));

    // A copy that is asked to end ends with 0 and is dropped likewise.
    m_copies[1].process->terminate();
    EXPECT_TRUE(m_copies[1].process->waitForFinished(5000));
    EXPECT_EQ(m_copies[1].process->exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(m_copies[1].process->exitCode(), 0);
    EXPECT_TRUE(Until([&] { return listed(0) == listing(1); }, 8s));
}
