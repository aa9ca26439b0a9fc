#include "system/ProgramHostsTest.h"

#include <QRegularExpression>

namespace {

// B goes by a name with "%" in it, as Windows account names may: its lines, messages and
// replies must keep the whole name. C is the session alone, as a headless front end drives it
// (SessionPeer.cpp): no window, no display.
class ConversationSystemTest : public ProgramHostsTest {
protected:
    QProcess* StartHost(int host) override
    {
        if (host == C)
            return Start(C, Login(C), qEnvironmentVariable("PELLWICK_SESSION_PEER"), {});
        if (host == A)
            return ProgramHostsTest::StartHost(host);
        m_users[B] = u"50%off"_s;
        return Start(B, Login(B), qEnvironmentVariable("PELLWICK_HOST"), {u"--user-name"_s, m_users[B]});
    }
};

} // namespace

TEST_F(ConversationSystemTest, CopiesListEachOtherTalkToTheirReadersOnceAndDropLeavers)
{
    // The users a copy lists ("All" aside), and those of the first n hosts.
    const auto names = [](const HostCopy& copy) {
        QStringList listed = copy.List().keys();
        listed.removeAll(u"All"_s);
        return listed;
    };
    const auto listing = [&](int n) {
        QStringList users = m_users.mid(0, n);
        users.sort();
        return users;
    };
    const auto listed = [&](int host) { return names(m_copies[host]); };
    ASSERT_TRUE(Everywhere([&](const HostCopy& copy) { return names(copy) == listing(3); }, 3s));
    // Each newcomer made the windows' tray flash (its first step follows the listing).
    const auto flashed = [&](int host, const QString& tip) { return m_copies[host].Texts(u"tray"_s).contains(tip); };
    EXPECT_TRUE(Until([&] { return flashed(A, u"New User"_s) && flashed(B, u"New User"_s); }, 3s));

    // A second start on a host ends at once with 10 and changes no file, whoever starts it.
    const auto configFiles = [&] {
        QByteArray digests;
        Run(A, {}, u"/bin/sh"_s, {u"-c"_s, u"find \"$0\" -type f | sort | xargs -r sha256sum"_s, HostDir(A)}, &digests);
        return digests;
    };
    const QByteArray before = configFiles();
    ASSERT_FALSE(before.isEmpty());
    for (int user : {A, B})
        EXPECT_EQ(Run(A, Login(user), qEnvironmentVariable("PELLWICK_PROGRAM"), {}), 10) << user;
    EXPECT_EQ(configFiles(), before);
    // Past the lock, the transport refuses a second reader: a box, then 10.
    QByteArray output;
    EXPECT_EQ(Run(A, Login(B), qEnvironmentVariable("PELLWICK_HOST"), {u"--no-lock"_s}, &output), 10);
    EXPECT_TRUE(output.contains("\nbox ") || output.startsWith("box ")) << output.toStdString();

    // How a copy lists A: 0 online, 2 in the chat room.
    const auto stateOfA = [&](int host) { return m_copies[host].State(m_users[A]); };

    // A opens the Chat Room: the others mark A within 2 s, A itself about then.
    m_copies[A].Command(u"show-chat"_s);
    ASSERT_TRUE(Until([&] { return stateOfA(B) == 2 && stateOfA(C) == 2; }, 2s));
    ASSERT_TRUE(Until([&] { return stateOfA(A) == 2; }, 1s));

    // All copies say 70 lines each at once: every room shows each line once, in each sender's order.
    QMap<QString, QStringList> said;
    for (int i = 0; i < 70; ++i) {
        for (int host = 0; host < kHosts; ++host) {
            const QString text
                = u"%1 Привет, <b>не жирно</b> 50% %s "_s.arg(i, 3, 10, QLatin1Char('0')) + QString(i % 40, u'x');
            m_copies[host].Command(u"say "_s + text);
            said[m_users[host]] << m_users[host] + u'%' + text;
        }
    }
    const qsizetype total = kHosts * 70;
    EXPECT_TRUE(Everywhere([&](const HostCopy& copy) { return copy.Texts(u"line"_s).size() >= total; }, 30s));
    Settle();
    for (const HostCopy& copy : m_copies) {
        EXPECT_EQ(copy.Texts(u"line"_s).size(), total);
        for (const QString& user : std::as_const(m_users))
            EXPECT_EQ(copy.Texts(u"line"_s).filter(QRegularExpression(u'^' + user + u'%')), said[user]);
    }

    // A hides the room: the mark goes on the fifth tick after its last announcement (3 to 6 s).
    m_copies[A].Command(u"hide-chat"_s);
    EXPECT_FALSE(Until([&] { return stateOfA(B) != 2 || stateOfA(C) != 2; }, 3s));
    EXPECT_TRUE(Until([&] { return stateOfA(B) == 0 && stateOfA(C) == 0; }, 3s));

    // A message reaches its addressee only, one to All every other copy, and Reply answers
    // (B's reply to A, and A's to B, whose name holds a "%").
    const auto received = [&](int host) { return m_copies[host].Texts(u"message"_s); };

    m_copies[A].Command(u"send %1 Привет, это A!\\nВторая строка"_s.arg(m_users[B]));
    ASSERT_TRUE(Until([&] { return received(B).size() == 1; }, 5s));
    EXPECT_TRUE(Until([&] { return flashed(B, u"Incoming Message"_s); }, 5s));
    m_copies[A].Command(u"send All всем"_s);
    ASSERT_TRUE(Until([&] { return received(B).size() == 2 && received(C).size() == 1; }, 5s));
    m_copies[B].Command(u"reply спасибо"_s);
    ASSERT_TRUE(Until([&] { return received(A).size() == 1; }, 5s));
    m_copies[A].Command(u"reply пожалуйста"_s);
    ASSERT_TRUE(Until([&] { return received(B).size() == 3; }, 5s));

    // Nothing more arrives anywhere: C never saw A's message to B, and A not its own to All.
    Settle(500ms);
    EXPECT_EQ(received(A), QStringList{m_users[B] + u"%спасибо"_s});
    EXPECT_EQ(received(B),
              (QStringList{m_users[A] + u"%Привет, это A!\\r\\nВторая строка"_s, m_users[A] + u"%всем"_s,
                           m_users[A] + u"%пожалуйста"_s}));
    EXPECT_EQ(received(C), QStringList{m_users[A] + u"%всем"_s});
    for (const HostCopy& copy : m_copies)
        EXPECT_TRUE(copy.Texts(u"error"_s).isEmpty() && copy.Texts(u"box"_s).isEmpty());

    // A copy killed outright is dropped by the others within 8 s.
    m_copies[C].process->kill();
    EXPECT_TRUE(Until([&] { return listed(A) == listing(2) && listed(B) == listing(2); }, 8s));

    // A copy that is asked to end ends with 0 and is dropped likewise.
    m_copies[B].process->terminate();
    EXPECT_TRUE(m_copies[B].process->waitForFinished(5000));
    EXPECT_EQ(m_copies[B].process->exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(m_copies[B].process->exitCode(), 0);
    EXPECT_TRUE(Until([&] { return listed(A) == listing(1); }, 8s));
}
