#include "system/ProgramHostsTest.h"

#include <QRegularExpression>

using ConversationSystemTest = ProgramHostsTest;

TEST_F(ConversationSystemTest, ChatLinesAndMessagesReachTheirReadersOnceAndChatMembersAreMarked)
{
    ASSERT_TRUE(AllListed());
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

    // A message reaches its addressee only, one to All every other copy, and Reply answers.
    // Incoming Messages' lines are "sender%[HH:MM] text"; the time is left out.
    const auto received = [&](int host) {
        QStringList lines = m_copies[host].Texts(u"message"_s);
        return lines.replaceInStrings(QRegularExpression(u"%\\[\\d\\d:\\d\\d\\] "_s), u"%[time] "_s);
    };

    m_copies[A].Command(u"send %1 Привет, это A!\\nВторая строка"_s.arg(m_users[B]));
    ASSERT_TRUE(Until([&] { return received(B).size() == 1; }, 5s));
    EXPECT_TRUE(Until([&] { return m_copies[B].Texts(u"tray"_s).contains(u"Incoming Message"_s); }, 5s));
    m_copies[A].Command(u"send All всем"_s);
    ASSERT_TRUE(Until([&] { return received(B).size() == 2 && received(C).size() == 1; }, 5s));
    m_copies[B].Command(u"reply спасибо"_s);
    ASSERT_TRUE(Until([&] { return received(A).size() == 1; }, 5s));

    // Nothing more arrives anywhere: C never saw A's message to B, and A not its own to All.
    Settle(500ms);
    EXPECT_EQ(received(A), QStringList{m_users[B] + u"%[time] спасибо"_s});
    EXPECT_EQ(
        received(B),
        (QStringList{m_users[A] + u"%[time] Привет, это A!\\r\\nВторая строка"_s, m_users[A] + u"%[time] всем"_s}));
    EXPECT_EQ(received(C), QStringList{m_users[A] + u"%[time] всем"_s});
    for (const HostCopy& copy : m_copies)
        EXPECT_TRUE(copy.Texts(u"error"_s).isEmpty() && copy.Texts(u"box"_s).isEmpty());
}
