#include "support/QtPrinters.h"
#include "support/WaitFor.h"
#include "system/ProgramHostsTest.h"

#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <iostream>

namespace {

enum Host { A = 0, B = 1, C = 2 };

// Three hosts as distinct users, each running the real program under a driver that clicks and
// types into its windows on command and reports what they show (tests/system/MessageHost.cpp).
class MessageSystemTest : public ProgramHostsTest {
protected:
    void SetUp() override
    {
        ProgramHostsTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        const QString host = qEnvironmentVariable("PELLWICK_MESSAGE_HOST");
        ASSERT_TRUE(QFileInfo(host).isExecutable()) << "PELLWICK_MESSAGE_HOST must name the built driver";
        for (int i = 0; i < kHosts; ++i) {
            QProcess* process = Start(i, host);
            m_reports.emplace_back();
            QObject::connect(process, &QProcess::readyReadStandardOutput, process, [this, process, i] {
                while (process->canReadLine())
                    m_reports[i] << QString::fromUtf8(process->readLine()).chopped(1);
            });
            m_processes.push_back(process);
        }
    }

    void TearDown() override
    {
        for (std::size_t i = 0; i < m_processes.size(); ++i) {
            m_processes[i]->closeWriteChannel();
            m_processes[i]->waitForFinished(5000);
            if (HasFailure())
                std::cout << "host " << i << " reported:\n"
                          << m_reports[i].join(QLatin1Char('\n')).toStdString() << '\n'
                          << m_processes[i]->readAllStandardError().toStdString() << std::endl;
        }
    }

    void Command(int host, const QString& command) { m_processes[host]->write((command + QLatin1Char('\n')).toUtf8()); }

    QStringList Reports(int host, const QString& kind) const
    {
        QStringList found;
        for (const QString& report : m_reports[host])
            if (report.startsWith(kind + QLatin1Char(' ')))
                found << report.mid(kind.size() + 1);
        return found;
    }

    bool WaitForReports(int host, const QString& kind, int count)
    {
        return WaitFor([&] { return Reports(host, kind).size() >= count; }, std::chrono::seconds(5));
    }

    static qint64 Millis(const QString& report) { return report.section(QLatin1Char(' '), 0, 0).toLongLong(); }
    static QString Line(const QString& report) { return report.section(QLatin1Char(' '), 1); }

    // "sender%[HH:MM] text", line breaks as the driver shows them.
    static QRegularExpression LineOf(const QString& sender, const QString& text)
    {
        return QRegularExpression(QStringLiteral("^") + QRegularExpression::escape(sender)
                                  + QStringLiteral("%\\[\\d\\d:\\d\\d\\] ") + QRegularExpression::escape(text)
                                  + QStringLiteral("$"));
    }

    std::vector<QProcess*> m_processes;
    std::vector<QStringList> m_reports;
};

} // namespace

TEST_F(MessageSystemTest, AMessageReachesItsAddresseeOnlyAllReachesTheOthersAndReplyAnswers)
{
    // Everybody is listed everywhere before anybody writes.
    ASSERT_TRUE(WaitFor(
        [&] {
            for (int host = 0; host < kHosts; ++host)
                for (const QString& user : m_users)
                    if (!Reports(host, QStringLiteral("listed")).contains(user))
                        return false;
            return true;
        },
        std::chrono::seconds(10)));

    Command(A, QStringLiteral("send %1 Привет, это A!\\nВторая строка").arg(m_users[B]));
    ASSERT_TRUE(WaitForReports(B, QStringLiteral("line"), 1));
    const QString toB = Reports(B, QStringLiteral("line")).first();
    EXPECT_TRUE(LineOf(m_users[A], QStringLiteral("Привет, это A!\\r\\nВторая строка")).match(Line(toB)).hasMatch())
        << toB.toStdString();
    EXPECT_TRUE(WaitForReports(B, QStringLiteral("flash"), 1));
    const qint64 latencyToB = Millis(toB) - Millis(Reports(A, QStringLiteral("sent")).first());

    Command(A, QStringLiteral("send All всем"));
    ASSERT_TRUE(WaitForReports(B, QStringLiteral("line"), 2));
    ASSERT_TRUE(WaitForReports(C, QStringLiteral("line"), 1));
    const qint64 sentToAll = Millis(Reports(A, QStringLiteral("sent")).at(1));
    EXPECT_TRUE(
        LineOf(m_users[A], QStringLiteral("всем")).match(Line(Reports(B, QStringLiteral("line")).at(1))).hasMatch());
    EXPECT_TRUE(
        LineOf(m_users[A], QStringLiteral("всем")).match(Line(Reports(C, QStringLiteral("line")).first())).hasMatch());
    const qint64 latencyToAllB = Millis(Reports(B, QStringLiteral("line")).at(1)) - sentToAll;
    const qint64 latencyToAllC = Millis(Reports(C, QStringLiteral("line")).first()) - sentToAll;

    Command(B, QStringLiteral("reply спасибо"));
    ASSERT_TRUE(WaitForReports(A, QStringLiteral("line"), 1));
    EXPECT_EQ(Reports(B, QStringLiteral("sent")).first().section(QLatin1Char(' '), 1), m_users[A]);
    EXPECT_TRUE(LineOf(m_users[B], QStringLiteral("спасибо"))
                    .match(Line(Reports(A, QStringLiteral("line")).first()))
                    .hasMatch());
    const qint64 latencyReply
        = Millis(Reports(A, QStringLiteral("line")).first()) - Millis(Reports(B, QStringLiteral("sent")).first());

    // Nothing more arrives anywhere: C never saw A's message to B, and A not its own to All.
    WaitFor([] { return false; }, std::chrono::milliseconds(500));
    EXPECT_EQ(Reports(A, QStringLiteral("line")).size(), 1);
    EXPECT_EQ(Reports(B, QStringLiteral("line")).size(), 2);
    EXPECT_EQ(Reports(C, QStringLiteral("line")).size(), 1);
    EXPECT_TRUE(Reports(A, QStringLiteral("error")).isEmpty() && Reports(B, QStringLiteral("error")).isEmpty());

    std::cout << "Send to line: A->B " << latencyToB << " ms, A->All at B " << latencyToAllB << " ms, at C "
              << latencyToAllC << " ms, B->A by Reply " << latencyReply << " ms" << std::endl;
}
