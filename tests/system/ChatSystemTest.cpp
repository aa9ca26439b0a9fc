#include "support/QtPrinters.h"
#include "support/WaitFor.h"
#include "system/ProgramHostsTest.h"

#include <QMap>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>

namespace {

long long Now()
{
    return std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

struct Seen {
    long long time = 0;
    QString text;
};

// One running copy under the chat driver: commands go to its stdin, what it prints is
// collected as it comes (see ChatDriver.cpp).
class DrivenCopy {
public:
    explicit DrivenCopy(QProcess* process)
        : m_process(process)
    {
    }

    void Command(const QString& command) { m_process->write(command.toUtf8() + '\n'); }

    void Read()
    {
        m_buffer += m_process->readAllStandardOutput();
        for (qsizetype end = m_buffer.indexOf('\n'); end >= 0; end = m_buffer.indexOf('\n')) {
            const QString line = QString::fromUtf8(m_buffer.left(end));
            m_buffer.remove(0, end + 1);
            const QString kind = line.section(QLatin1Char(' '), 0, 0);
            const Seen seen{line.section(QLatin1Char(' '), 1, 1).toLongLong(), line.section(QLatin1Char(' '), 2)};
            if (kind == QStringLiteral("ready"))
                m_bReady = true;
            else if (kind == QStringLiteral("line"))
                lines.push_back(seen);
            else if (kind == QStringLiteral("enter"))
                enters.push_back(seen);
            else if (kind == QStringLiteral("list"))
                lists.push_back(seen);
        }
    }

    bool IsReady() const { return m_bReady; }

    // The user's state in the Online list as last printed: 0 online, 2 in chat, -1 not listed.
    int State(const QString& user) const { return lists.empty() ? -1 : StateIn(lists.back(), user); }

    // When the list first showed the user in the state at or after a time; -1 never.
    long long When(const QString& user, int state, long long after) const
    {
        for (const Seen& list : lists)
            if (list.time >= after && StateIn(list, user) == state)
                return list.time;
        return -1;
    }

    QStringList LineTexts() const
    {
        QStringList texts;
        for (const Seen& line : lines)
            texts << line.text;
        return texts;
    }

    QProcess* Process() const { return m_process; }

    std::vector<Seen> lines;
    std::vector<Seen> enters;
    std::vector<Seen> lists;

private:
    static int StateIn(const Seen& list, const QString& user)
    {
        for (const QString& item : list.text.split(QLatin1Char(' ')))
            if (item.section(QLatin1Char('='), 0, 0) == user)
                return item.section(QLatin1Char('='), 1).toInt();
        return -1;
    }

    QProcess* m_process;
    QByteArray m_buffer;
    bool m_bReady = false;
};

class ChatSystemTest : public ProgramHostsTest {
protected:
    void SetUp() override
    {
        ProgramHostsTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        const QString driver = qEnvironmentVariable("PELLWICK_CHAT_DRIVER");
        ASSERT_TRUE(QFileInfo(driver).isExecutable()) << "PELLWICK_CHAT_DRIVER must name the chat driver";
        for (int i = 0; i < kHosts; ++i)
            m_copies.emplace_back(Start(i, driver));
    }

    // Runs the event loop, collecting output, until the condition holds or the time is up.
    template <typename Condition> bool Until(Condition condition, std::chrono::milliseconds timeout)
    {
        return WaitFor(
            [&] {
                for (DrivenCopy& copy : m_copies)
                    copy.Read();
                return condition();
            },
            timeout);
    }

    bool Everywhere(const std::function<bool(const DrivenCopy&)>& condition) const
    {
        return std::all_of(m_copies.begin(), m_copies.end(), condition);
    }

    std::vector<DrivenCopy> m_copies;
};

} // namespace

TEST_F(ChatSystemTest, LinesReachEveryRoomInOrderAndMembersAreMarked)
{
    ASSERT_TRUE(
        Until([&] { return Everywhere([](const DrivenCopy& c) { return c.IsReady(); }); }, std::chrono::seconds(10)));
    ASSERT_TRUE(Until(
        [&] {
            return Everywhere([&](const DrivenCopy& c) {
                return c.State(m_users[0]) == 0 && c.State(m_users[1]) == 0 && c.State(m_users[2]) == 0;
            });
        },
        std::chrono::seconds(5)));
    DrivenCopy& a = m_copies[0];
    DrivenCopy& b = m_copies[1];
    DrivenCopy& c = m_copies[2];
    const QString& userA = m_users[0];

    // A opens the Chat Room: the others mark A within 2 s.
    const long long shown = Now();
    a.Command(QStringLiteral("show-chat"));
    ASSERT_TRUE(Until([&] { return b.State(userA) == 2 && c.State(userA) == 2; }, std::chrono::seconds(3)));
    EXPECT_LE(b.When(userA, 2, shown) - shown, 2'000'000);
    EXPECT_LE(c.When(userA, 2, shown) - shown, 2'000'000);
    EXPECT_EQ(a.State(userA), 2);
    std::printf("In-chat mark after show: %.0f ms on B, %.0f ms on C\n", (b.When(userA, 2, shown) - shown) / 1000.0,
                (c.When(userA, 2, shown) - shown) / 1000.0);

    // Three lines, each typed once A has seen the one before: latency from Enter to the line.
    const QStringList typed{QStringLiteral("Привет всем!"), QStringLiteral("50% done, <b>not bold</b> %s"),
                            QStringLiteral("third line")};
    long long worst = 0;
    for (qsizetype i = 0; i < typed.size(); ++i) {
        a.Command(QStringLiteral("say ") + typed[i]);
        ASSERT_TRUE(
            Until([&] { return Everywhere([&](const DrivenCopy& x) { return x.lines.size() > std::size_t(i); }); },
                  std::chrono::seconds(3)));
        for (const DrivenCopy& copy : m_copies)
            worst = std::max(worst, copy.lines[i].time - a.enters[i].time);
    }
    std::printf("Enter to line on all three hosts, worst of 3 lines: %.1f ms\n", worst / 1000.0);
    EXPECT_LT(worst, 500'000) << "goal: 100 ms";
    QStringList expected;
    for (const QString& text : typed)
        expected << userA + QLatin1Char('%') + text;
    // A little longer: a line that came twice would show now.
    Until([] { return false; }, std::chrono::milliseconds(300));
    for (const DrivenCopy& copy : m_copies)
        EXPECT_EQ(copy.LineTexts(), expected);

    // 200 distinct lines sent as fast as A can type them.
    for (int i = 0; i < 200; ++i) {
        const QString text
            = QStringLiteral("burst %1 ").arg(i, 3, 10, QLatin1Char('0')) + QString(i % 40, QLatin1Char('x'));
        expected << userA + QLatin1Char('%') + text;
        a.Command(QStringLiteral("say ") + text);
    }
    EXPECT_TRUE(Until(
        [&] { return Everywhere([&](const DrivenCopy& x) { return x.lines.size() >= std::size_t(expected.size()); }); },
        std::chrono::seconds(30)));
    Until([] { return false; }, std::chrono::milliseconds(300));
    for (const DrivenCopy& copy : m_copies)
        EXPECT_EQ(copy.LineTexts(), expected);

    // A hides the room: the mark goes on the fifth tick after the last announcement.
    const long long hidden = Now();
    a.Command(QStringLiteral("hide-chat"));
    ASSERT_TRUE(Until([&] { return b.State(userA) == 0 && c.State(userA) == 0; }, std::chrono::seconds(8)));
    EXPECT_LE(b.When(userA, 0, hidden) - hidden, 6'000'000);
    EXPECT_LE(c.When(userA, 0, hidden) - hidden, 6'000'000);
    EXPECT_GE(b.When(userA, 0, hidden) - hidden, 3'000'000);
    std::printf("Mark gone after hide: %.0f ms on B, %.0f ms on C\n", (b.When(userA, 0, hidden) - hidden) / 1000.0,
                (c.When(userA, 0, hidden) - hidden) / 1000.0);

    for (DrivenCopy& copy : m_copies)
        copy.Command(QStringLiteral("quit"));
    for (DrivenCopy& copy : m_copies) {
        EXPECT_TRUE(copy.Process()->waitForFinished(5000));
        EXPECT_EQ(copy.Process()->exitCode(), 0) << copy.Process()->readAllStandardError().toStdString();
    }
}
