#include "support/QtPrinters.h"
#include "system/ProgramHostsTest.h"

#include <QMap>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

namespace {

using ChatSystemTest = ProgramHostsTest;

// The Chat Room lines of one sender, in the order the copy showed them.
QStringList LinesFrom(const HostCopy& copy, const QString& sender)
{
    return copy.Texts(QStringLiteral("line"))
        .filter(QRegularExpression(QStringLiteral("^") + QRegularExpression::escape(sender) + QStringLiteral("%")));
}

} // namespace

TEST_F(ChatSystemTest, LinesReachEveryRoomOnceInOrderAndMembersAreMarked)
{
    ASSERT_TRUE(AllListedEverywhere());
    HostCopy& a = m_copies[0];
    HostCopy& b = m_copies[1];
    HostCopy& c = m_copies[2];
    const QString& userA = m_users[0];

    // A opens the Chat Room: every list marks A, the others within 2 s. A marks itself when
    // its own announcement comes back, a moment after or before the others.
    const long long shown = SteadyMicros();
    a.Command(QStringLiteral("show-chat"));
    ASSERT_TRUE(Until([&] { return a.State(userA) == 2 && b.State(userA) == 2 && c.State(userA) == 2; },
                      std::chrono::seconds(3)));
    EXPECT_LE(b.When(userA, 2, shown) - shown, 2'000'000);
    EXPECT_LE(c.When(userA, 2, shown) - shown, 2'000'000);
    std::printf("In-chat mark after show: %.0f ms on B, %.0f ms on C\n", (b.When(userA, 2, shown) - shown) / 1000.0,
                (c.When(userA, 2, shown) - shown) / 1000.0);

    // Three lines, each typed once every room shows the one before: latency from Enter to the line.
    const QStringList typed{QStringLiteral("Привет всем!"), QStringLiteral("50% done, <b>not bold</b> %s"),
                            QStringLiteral("third line")};
    QMap<QString, QStringList> expected;
    long long worst = 0;
    for (qsizetype i = 0; i < typed.size(); ++i) {
        a.Command(QStringLiteral("say ") + typed[i]);
        expected[userA] << userA + QLatin1Char('%') + typed[i];
        ASSERT_TRUE(Until(
            [&] {
                return Everywhere(
                    [&](const HostCopy& x) { return x.Of(QStringLiteral("line")).size() > std::size_t(i); });
            },
            std::chrono::seconds(3)));
        for (const HostCopy& copy : m_copies)
            worst = std::max(worst, copy.Of(QStringLiteral("line"))[i].time - a.Of(QStringLiteral("said"))[i].time);
    }
    std::printf("Enter to line on all three hosts, worst of 3 lines: %.1f ms\n", worst / 1000.0);
    EXPECT_LT(worst, 500'000 * kSlowdown) << "goal: 100 ms";

    // Every copy types 70 distinct lines as fast as it can, all at once: every room shows
    // each line once, and each sender's lines in the order typed.
    for (int i = 0; i < 70; ++i) {
        for (int host = 0; host < kHosts; ++host) {
            const QString text
                = QStringLiteral("burst %1 ").arg(i, 3, 10, QLatin1Char('0')) + QString(i % 40, QLatin1Char('x'));
            expected[m_users[host]] << m_users[host] + QLatin1Char('%') + text;
            m_copies[host].Command(QStringLiteral("say ") + text);
        }
    }
    const std::size_t total = 3 + kHosts * 70;
    EXPECT_TRUE(Until(
        [&] { return Everywhere([&](const HostCopy& x) { return x.Of(QStringLiteral("line")).size() >= total; }); },
        std::chrono::seconds(30)));
    Settle();
    for (const HostCopy& copy : m_copies) {
        EXPECT_EQ(copy.Of(QStringLiteral("line")).size(), total);
        for (const QString& user : std::as_const(m_users))
            EXPECT_EQ(LinesFrom(copy, user), expected[user]);
    }

    // A hides the room: the mark goes on the fifth tick after the last announcement.
    const long long hidden = SteadyMicros();
    a.Command(QStringLiteral("hide-chat"));
    ASSERT_TRUE(Until([&] { return b.State(userA) == 0 && c.State(userA) == 0; }, std::chrono::seconds(8)));
    EXPECT_LE(b.When(userA, 0, hidden) - hidden, 6'000'000);
    EXPECT_LE(c.When(userA, 0, hidden) - hidden, 6'000'000);
    EXPECT_GE(b.When(userA, 0, hidden) - hidden, 3'000'000);
    std::printf("Mark gone after hide: %.0f ms on B, %.0f ms on C\n", (b.When(userA, 0, hidden) - hidden) / 1000.0,
                (c.When(userA, 0, hidden) - hidden) / 1000.0);

    for (HostCopy& copy : m_copies)
        copy.Command(QStringLiteral("quit"));
    for (HostCopy& copy : m_copies) {
        EXPECT_TRUE(copy.Process()->waitForFinished(5000));
        EXPECT_EQ(copy.Process()->exitCode(), 0);
    }
}
