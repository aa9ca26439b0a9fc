#include "support/NetnsLab.h"
#include "support/QtPrinters.h"
#include "support/WaitFor.h"

#include <gtest/gtest.h>

#include <QFileInfo>
#include <QMap>

namespace {

constexpr int kHosts = 3;
constexpr int kLinesEach = 20;

class NetworkSpineTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (const QString why = NetnsLab::Unavailable(); !why.isEmpty())
            GTEST_SKIP() << why.toStdString();
        for (const char* tool : {"PELLWICK_PROBE"})
            ASSERT_TRUE(QFileInfo(Tool(tool)).isExecutable()) << tool << " must name the built program (ctest sets it)";
        m_lab = std::make_unique<NetnsLab>(kHosts);
        ASSERT_TRUE(m_lab->Error().isEmpty()) << m_lab->Error().toStdString();
        for (int i = 0; i < kHosts; ++i) {
            m_users.append(m_lab->AddUser());
            ASSERT_FALSE(m_users.back().isEmpty()) << m_lab->Error().toStdString();
        }
    }

    static QString Tool(const char* variable) { return qEnvironmentVariable(variable); }

    std::unique_ptr<NetnsLab> m_lab;
    QStringList m_users;
};

} // namespace

TEST_F(NetworkSpineTest, EveryCopyHearsEveryBroadcastOfEveryCopyExactlyOnce)
{
    std::vector<QProcess*> probes;
    for (int i = 0; i < kHosts; ++i)
        probes.push_back(m_lab->Start(i, m_users[i], Tool("PELLWICK_PROBE"), {}));
    std::vector<QByteArray> output(kHosts);
    const auto collect = [&] {
        for (int i = 0; i < kHosts; ++i)
            output[i] += probes[i]->readAllStandardOutput();
    };
    ASSERT_TRUE(WaitFor([&] {
        collect();
        return std::all_of(output.begin(), output.end(), [](const QByteArray& o) { return o.startsWith("ready\n"); });
    })) << "a probe did not open its transport";

    for (QProcess* probe : probes)
        probe->write(QByteArray("send ") + QByteArray::number(kLinesEach) + '\n');
    const int expected = kHosts * kLinesEach;
    WaitFor([&] {
        collect();
        return std::all_of(output.begin(), output.end(),
                           [&](const QByteArray& o) { return o.count("heard ") >= expected; });
    });
    WaitFor([] { return false; }, std::chrono::milliseconds(300)); // late duplicates would show now
    for (QProcess* probe : probes) {
        probe->closeWriteChannel();
        EXPECT_TRUE(probe->waitForFinished(5000));
        EXPECT_EQ(probe->exitCode(), 0);
    }
    collect();

    for (int i = 0; i < kHosts; ++i) {
        QMap<QByteArray, int> heard;
        for (const QByteArray& line : output[i].split('\n'))
            if (line.startsWith("heard "))
                ++heard[line.mid(6)];
        EXPECT_EQ(heard.size(), expected) << "host " << i;
        for (const QString& user : std::as_const(m_users))
            for (int n = 0; n < kLinesEach; ++n)
                EXPECT_EQ(heard.value(user.toUtf8() + " line " + QByteArray::number(n)), 1)
                    << "host " << i << " from " << user.toStdString() << " line " << n;
    }
}
