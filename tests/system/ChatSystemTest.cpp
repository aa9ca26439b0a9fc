#include "support/QtPrinters.h"
#include "system/ProgramHostsTest.h"

#include <QRegularExpression>

#include <gtest/gtest.h>

using ChatSystemTest = ProgramHostsTest;

TEST_F(ChatSystemTest, LinesReachEveryRoomOnceInOrderAndMembersAreMarked)
{
    ASSERT_TRUE(AllListed());
    const QString& userA = m_users[0];
    const auto markedAfter
        = [&](int host, int state, long long since) { return m_copies[host].When(userA, state, since) - since; };

    // A opens the Chat Room: every list marks A, the others within 2 s. A marks itself when
    // its own announcement comes back, a moment after or before the others.
    const long long shown = SteadyMicros();
    m_copies[0].Command(u"show-chat"_s);
    ASSERT_TRUE(Everywhere([&](const HostCopy& copy) { return copy.State(userA) == 2; }, 3s));
    for (int host : {1, 2})
        EXPECT_LE(markedAfter(host, 2, shown), 2'000'000) << host;

    // A says two lines, then every copy says 70 distinct lines as fast as it can, all at once:
    // every room shows each line once, and each sender's lines in the order said.
    QMap<QString, QStringList> said;
    const auto say = [&](int host, const QString& text) {
        m_copies[host].Command(u"say "_s + text);
        said[m_users[host]] << m_users[host] + u'%' + text;
    };
    say(0, u"Привет всем!"_s);
    say(0, u"50% done, <b>not bold</b> %s"_s);
    for (int i = 0; i < 70; ++i)
        for (int host = 0; host < kHosts; ++host)
            say(host, u"burst %1 "_s.arg(i, 3, 10, QLatin1Char('0')) + QString(i % 40, u'x'));
    const qsizetype total = 2 + kHosts * 70;
    EXPECT_TRUE(Everywhere([&](const HostCopy& copy) { return copy.Texts(u"line"_s).size() >= total; }, 30s));
    Settle();
    for (const HostCopy& copy : m_copies) {
        EXPECT_EQ(copy.Texts(u"line"_s).size(), total);
        for (const QString& user : std::as_const(m_users))
            EXPECT_EQ(copy.Texts(u"line"_s).filter(QRegularExpression(u'^' + user + u'%')), said[user]);
    }

    // A hides the room: the mark goes on the fifth tick after its last announcement.
    const long long hidden = SteadyMicros();
    m_copies[0].Command(u"hide-chat"_s);
    ASSERT_TRUE(Until([&] { return m_copies[1].State(userA) == 0 && m_copies[2].State(userA) == 0; }, 8s));
    for (int host : {1, 2}) {
        EXPECT_GE(markedAfter(host, 0, hidden), 3'000'000) << host;
        EXPECT_LE(markedAfter(host, 0, hidden), 6'000'000) << host;
    }
}
