#include "support/QtPrinters.h"
#include "system/ProgramHostsTest.h"

#include <QRegularExpression>

#include <gtest/gtest.h>

#include <iostream>

namespace {

enum Host { A = 0, B = 1, C = 2 };

using MessageSystemTest = ProgramHostsTest;

// "sender%[HH:MM] text", line breaks as the host reports them.
bool IsLineOf(const HostCopy::Report& line, const QString& sender, const QString& text)
{
    return QRegularExpression(QStringLiteral("^") + QRegularExpression::escape(sender)
                              + QStringLiteral("%\\[\\d\\d:\\d\\d\\] ") + QRegularExpression::escape(text)
                              + QStringLiteral("$"))
        .match(line.text)
        .hasMatch();
}

} // namespace

TEST_F(MessageSystemTest, AMessageReachesItsAddresseeOnlyAllReachesTheOthersAndReplyAnswers)
{
    const QString message = QStringLiteral("message");
    const auto count = [&](int host) { return m_copies[host].Of(message).size(); };
    const auto sentAt = [&](int host, int n) { return m_copies[host].Of(QStringLiteral("sent")).at(n).time; };
    ASSERT_TRUE(AllListedEverywhere());

    m_copies[A].Command(QStringLiteral("send %1 Привет, это A!\\nВторая строка").arg(m_users[B]));
    ASSERT_TRUE(Until([&] { return count(B) >= 1; }, std::chrono::seconds(5)));
    const HostCopy::Report toB = m_copies[B].Of(message).at(0);
    EXPECT_TRUE(IsLineOf(toB, m_users[A], QStringLiteral("Привет, это A!\\r\\nВторая строка")))
        << toB.text.toStdString();
    EXPECT_TRUE(
        Until([&] { return m_copies[B].Texts(QStringLiteral("tray")).contains(QStringLiteral("Incoming Message")); },
              std::chrono::seconds(5)));
    const long long latencyToB = toB.time - sentAt(A, 0);

    m_copies[A].Command(QStringLiteral("send All всем"));
    ASSERT_TRUE(Until([&] { return count(B) >= 2 && count(C) >= 1; }, std::chrono::seconds(5)));
    EXPECT_TRUE(IsLineOf(m_copies[B].Of(message).at(1), m_users[A], QStringLiteral("всем")));
    EXPECT_TRUE(IsLineOf(m_copies[C].Of(message).at(0), m_users[A], QStringLiteral("всем")));
    const long long latencyToAllB = m_copies[B].Of(message).at(1).time - sentAt(A, 1);
    const long long latencyToAllC = m_copies[C].Of(message).at(0).time - sentAt(A, 1);

    m_copies[B].Command(QStringLiteral("reply спасибо"));
    ASSERT_TRUE(Until([&] { return count(A) >= 1; }, std::chrono::seconds(5)));
    EXPECT_EQ(m_copies[B].Texts(QStringLiteral("sent")).value(0), m_users[A]);
    EXPECT_TRUE(IsLineOf(m_copies[A].Of(message).at(0), m_users[B], QStringLiteral("спасибо")));
    const long long latencyReply = m_copies[A].Of(message).at(0).time - sentAt(B, 0);

    // Nothing more arrives anywhere: C never saw A's message to B, and A not its own to All.
    Settle(std::chrono::milliseconds(500));
    EXPECT_EQ(count(A), 1);
    EXPECT_EQ(count(B), 2);
    EXPECT_EQ(count(C), 1);
    for (const HostCopy& copy : m_copies)
        EXPECT_TRUE(copy.Of(QStringLiteral("error")).empty() && copy.Of(QStringLiteral("box")).empty());

    std::cout << "Send to line: A->B " << latencyToB / 1000 << " ms, A->All at B " << latencyToAllB / 1000
              << " ms, at C " << latencyToAllC / 1000 << " ms, B->A by Reply " << latencyReply / 1000 << " ms"
              << std::endl;
}
