#include "support/QtPrinters.h"
#include "system/ProgramHostsTest.h"

#include <QRegularExpression>

#include <gtest/gtest.h>

namespace {

enum Host { A = 0, B = 1, C = 2 };

using MessageSystemTest = ProgramHostsTest;

} // namespace

TEST_F(MessageSystemTest, AMessageReachesItsAddresseeOnlyAllReachesTheOthersAndReplyAnswers)
{
    // Incoming Messages' lines, "sender%[HH:MM] text", with the time left out.
    const auto received = [&](int host) {
        QStringList lines = m_copies[host].Texts(u"message"_s);
        return lines.replaceInStrings(QRegularExpression(u"%\\[\\d\\d:\\d\\d\\] "_s), u"%[time] "_s);
    };
    ASSERT_TRUE(AllListed());

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
