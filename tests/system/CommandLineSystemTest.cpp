#include "system/ProgramHostsTest.h"

#include <QFile>

// Scripts reach the copies: A runs a copy on a session bus of its own, B a copy without a bus,
// C none at all (and no display): there the command line opens the session itself.
class CommandLineSystemTest : public ProgramHostsTest {
protected:
    QProcess* StartHost(int host) override
    {
        if (host == C)
            return Start(C, Login(C), u"/bin/cat"_s, {}); // ends with 0 when the lab closes its input
        if (host == B)
            return ProgramHostsTest::StartHost(B);
        m_bus = u"unix:path="_s + HostDir(A) + u"/config/bus"_s;
        Start(A, Login(A), u"dbus-daemon"_s, {u"--session"_s, u"--nofork"_s, u"--address="_s + m_bus});
        WaitFor([&] { return QFile::exists(HostDir(A) + u"/config/bus"_s); });
        return Start(A, Login(A), qEnvironmentVariable("PELLWICK_HOST"), {}, {u"DBUS_SESSION_BUS_ADDRESS="_s + m_bus});
    }

    // Runs the program (or another tool) in a host as its user on A's bus: exit code, and what it
    // printed on both channels in output.
    int Pellwick(int host, const QStringList& arguments, QByteArray* output = nullptr,
                 const QString& program = qEnvironmentVariable("PELLWICK_PROGRAM"))
    {
        QProcess* process = Start(host, Login(host), program, arguments,
                                  {u"DBUS_SESSION_BUS_ADDRESS="_s + m_bus, u"QT_LOGGING_RULES="_s});
        const bool ended = process->waitForFinished(30000);
        if (output)
            *output = process->readAllStandardOutput() + process->readAllStandardError();
        return ended && process->exitStatus() == QProcess::NormalExit ? process->exitCode() : -1;
    }

    QString m_bus;
};

TEST_F(CommandLineSystemTest, ScriptsSendThroughTheRunningCopyOrOnTheirOwnAndSayWhyNot)
{
    ASSERT_TRUE(Until([&] { return m_copies[A].State(m_users[B]) >= 0 && m_copies[B].State(m_users[A]) >= 0; }, 10s));

    // Through A's copy: B gets the message once; A's own windows show nothing of it.
    QByteArray output;
    EXPECT_EQ(Pellwick(A, {u"send"_s, m_users[B], u"сервер перезапускается в 18:00"_s}, &output), 0) << output.data();
    // From C, with no copy running: one record on the wire, under C's login name.
    EXPECT_EQ(Pellwick(C, {u"send"_s, u"--all"_s, u"всем от C"_s}, &output), 0) << output.data();
    ASSERT_TRUE(Until([&] { return m_copies[B].Texts(u"message"_s).size() == 2; }, 5s));
    Settle();
    EXPECT_EQ(m_copies[B].Texts(u"message"_s),
              (QStringList{m_users[A] + u"%сервер перезапускается в 18:00"_s, m_users[C] + u"%всем от C"_s}));
    EXPECT_EQ(m_copies[A].Texts(u"message"_s), QStringList{m_users[C] + u"%всем от C"_s});
    EXPECT_TRUE(m_copies[A].Texts(u"box"_s).isEmpty() && m_copies[A].Texts(u"shown"_s).isEmpty());

    // Who is online, heard from C; an unknown user and a line too long fail in one line each.
    EXPECT_EQ(Pellwick(C, {u"users"_s}, &output), 0);
    EXPECT_EQ(output, (m_users[A] + u"\tonline\n"_s + m_users[B] + u"\tonline\n"_s).toUtf8());
    EXPECT_EQ(Pellwick(C, {u"send"_s, u"--wait"_s, u"1"_s, u"nobody"_s, u"x"_s}, &output), 67);
    EXPECT_EQ(output.count('\n'), 1) << output.data();
    EXPECT_EQ(Pellwick(A, {u"send"_s, u"nobody"_s, u"x"_s}, &output), 67);
    EXPECT_EQ(output.count('\n'), 1) << output.data();
    EXPECT_EQ(Pellwick(A, {u"chat"_s, QString(300, u'ж')}, &output), 65);
    EXPECT_EQ(Pellwick(A, {u"users"_s}, &output), 0);
    EXPECT_TRUE(output.contains(m_users[B].toUtf8() + "\tonline\n")) << output.data();

    // The interface as the bus shows it.
    EXPECT_EQ(Pellwick(A, {u"introspect"_s, u"--session"_s, u"--dest"_s, u"org.pellwick.Pellwick"_s,
                           u"--object-path"_s, u"/org/pellwick/Pellwick"_s},
                       &output, u"/usr/bin/gdbus"_s),
              0);
    for (const char* part : {"interface org.pellwick.Pellwick", "SendMessage(in  s user,", "ListUsers(out a{sb}",
                             "MessageReceived(s sender", "interface org.freedesktop.Application"})
        EXPECT_TRUE(output.contains(part)) << part << '\n' << output.data();

    // A second start brings A's Online window forward and still ends with 10.
    EXPECT_EQ(Pellwick(A, {}, &output), 10);
    EXPECT_EQ(output, "pellwick: already running: its Online window is shown\n");
    EXPECT_TRUE(Until([&] { return m_copies[A].Texts(u"shown"_s).size() == 1; }, 5s));
}
