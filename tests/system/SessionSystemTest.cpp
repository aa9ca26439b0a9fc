#include "system/ProgramHostsTest.h"

// Headless sessions (SessionPeer.cpp), host C going by host A's name.
class ImpostorSystemTest : public ProgramHostsTest {
protected:
    QProcess* StartHost(int host) override
    {
        QStringList arguments;
        if (host == C)
            arguments << (m_users[C] = m_users[A]);
        return Start(host, Login(host), qEnvironmentVariable("PELLWICK_SESSION_PEER"), arguments);
    }
};

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
