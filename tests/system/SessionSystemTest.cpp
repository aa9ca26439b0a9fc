#include "system/ProgramHostsTest.h"

// The session on its own, as a headless front end uses it: no window, no display.
class SessionSystemTest : public ProgramHostsTest {
protected:
    QProcess* StartHost(int host) override
    {
        return Start(host, Login(host), qEnvironmentVariable("PELLWICK_SESSION_PEER"), {});
    }
};

// Host C goes by host A's name.
class ImpostorSystemTest : public SessionSystemTest {
protected:
    QProcess* StartHost(int host) override
    {
        if (host != C)
            return SessionSystemTest::StartHost(host);
        m_users[C] = m_users[A];
        return Start(host, Login(host), qEnvironmentVariable("PELLWICK_SESSION_PEER"), {m_users[A]});
    }
};

TEST_F(SessionSystemTest, HeadlessSessionsListEachOtherAndExchangeLinesAndMessages)
{
    ASSERT_TRUE(AllListed());
    m_copies[A].Command(u"show-chat"_s);
    EXPECT_TRUE(Everywhere([&](const HostCopy& copy) { return copy.State(m_users[A]) == 2; }, 3s));

    m_copies[A].Command(u"say строка для всех, 50%"_s);
    m_copies[B].Command(u"send %1 только тебе"_s.arg(m_users[C]));
    m_copies[C].Command(u"send nobody lost"_s);
    EXPECT_TRUE(Everywhere([&](const HostCopy& copy) { return copy.Texts(u"line"_s).size() == 1; }));
    EXPECT_TRUE(Until([&] { return m_copies[C].Texts(u"message"_s).size() == 1; }, 5s));
    Settle();
    for (const HostCopy& copy : m_copies)
        EXPECT_EQ(copy.Texts(u"line"_s), QStringList{m_users[A] + u"%строка для всех, 50%"_s});
    EXPECT_EQ(m_copies[C].Texts(u"message"_s), QStringList{m_users[B] + u"%только тебе"_s});
    EXPECT_TRUE(m_copies[A].Texts(u"message"_s).isEmpty() && m_copies[B].Texts(u"message"_s).isEmpty());
    // Sent; the addressee nobody is not listed (MessengerSession::SendResult).
    EXPECT_EQ(m_copies[B].Texts(u"result"_s), QStringList{u"0"_s});
    EXPECT_EQ(m_copies[C].Texts(u"result"_s), QStringList{u"1"_s});
}

TEST_F(ImpostorSystemTest, ANameOnTwoComputersIsMarkedAndItsWordsFromElsewhereCarryTheAddress)
{
    const QString& name = m_users[A];
    EXPECT_TRUE(Everywhere([&](const HostCopy& copy) { return copy.State(name) == 4; }, 6s));
    m_copies[C].Command(u"say не я"_s);
    EXPECT_TRUE(Everywhere([&](const HostCopy& copy) { return copy.Texts(u"line"_s).size() == 1; }));
    m_copies[A].Command(u"say я"_s);
    EXPECT_TRUE(Everywhere([&](const HostCopy& copy) { return copy.Texts(u"line"_s).size() == 2; }));
    Settle();
    // Each copy of the name sees the other's line with its address; a third party cannot tell them apart.
    EXPECT_EQ(m_copies[A].Texts(u"line"_s), (QStringList{u"%1 (%2)%не я"_s.arg(name, Address(C)), name + u"%я"_s}));
    EXPECT_EQ(m_copies[C].Texts(u"line"_s), (QStringList{name + u"%не я"_s, u"%1 (%2)%я"_s.arg(name, Address(A))}));
    EXPECT_EQ(m_copies[B].Texts(u"line"_s), (QStringList{name + u"%не я"_s, name + u"%я"_s}));
}
