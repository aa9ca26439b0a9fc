#pragma once

#include "support/NetnsLab.h"
#include "support/WaitFor.h"

#include <QDir>
#include <QFileInfo>
#include <QMap>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <chrono>
#include <deque>
#include <iostream>
#include <sys/stat.h>

using namespace std::chrono_literals;
using namespace Qt::StringLiterals;

// One copy of the program under the test host (ProgramHost.cpp): commands go to its standard
// input; its reports, "KIND TIME TEXT" one a line, are kept as they come.
struct HostCopy {
    QProcess* process;
    QStringList reports;

    void Command(const QString& command) { process->write(command.toUtf8() + '\n'); }

    void Read()
    {
        while (process->canReadLine())
            reports << QString::fromUtf8(process->readLine()).chopped(1);
    }

    // The texts of every report of a kind, in order.
    QStringList Texts(const QString& kind) const
    {
        QStringList texts;
        for (const QString& report : reports)
            if (report.section(u' ', 0, 0) == kind)
                texts << report.section(u' ', 2);
        return texts;
    }

    // The Online list as last reported, "All" included: each name with its state (0 online,
    // 2 in the chat room).
    QMap<QString, int> List() const
    {
        const QStringList lists = Texts(u"list"_s);
        return Users(lists.value(lists.size() - 1));
    }

    int State(const QString& user) const { return List().value(user, -1); }

    static QMap<QString, int> Users(const QString& list)
    {
        QMap<QString, int> users;
        for (const QString& item : list.split(u' ', Qt::SkipEmptyParts))
            users.insert(item.section(u'=', 0, -2), item.section(u'=', -1).toInt());
        return users;
    }
};

// Three hosts, each running a copy of the program offscreen under the test host, as its own
// user with its own configuration folder (HostDir/config). PELLWICK_HOST names the test host,
// PELLWICK_PROGRAM the program itself. Every copy still running at the end must end with 0
// when its standard input closes.
class ProgramHostsTest : public ::testing::Test {
protected:
    static constexpr int kHosts = 3;

    void SetUp() override
    {
        if (const QString why = NetnsLab::Unavailable(); !why.isEmpty())
            GTEST_SKIP() << why.toStdString();
        ASSERT_TRUE(QFileInfo(qEnvironmentVariable("PELLWICK_HOST")).isExecutable())
            << "PELLWICK_HOST names no program";
        m_lab = std::make_unique<NetnsLab>(kHosts);
        ASSERT_TRUE(m_lab->Error().isEmpty()) << m_lab->Error().toStdString();
        chmod(m_dir.path().toLocal8Bit().constData(), 0755);
        for (int i = 0; i < kHosts; ++i) {
            m_users << m_lab->AddUser();
            ASSERT_FALSE(m_users.back().isEmpty()) << m_lab->Error().toStdString();
            ASSERT_TRUE(QDir().mkpath(HostDir(i) + u"/config"_s));
            for (const QString& path : {HostDir(i), HostDir(i) + u"/config"_s})
                chmod(path.toLocal8Bit().constData(), 0777); // its user writes there
        }
        for (int i = 0; i < kHosts; ++i)
            m_copies.push_back({StartHost(i), {}});
    }

    // What runs in a host: by default the test host as the host's user.
    virtual QProcess* StartHost(int host)
    {
        return m_lab->Start(host, m_users[host], u"/usr/bin/env"_s, Environment(host));
    }

    void TearDown() override
    {
        for (HostCopy& copy : m_copies) {
            if (copy.process->state() == QProcess::Running) {
                copy.process->closeWriteChannel();
                EXPECT_TRUE(copy.process->waitForFinished(5000));
                EXPECT_EQ(copy.process->exitCode(), 0);
            }
            copy.Read();
            if (HasFailure())
                std::cout << "host reported:\n"
                          << copy.reports.join(u'\n').toStdString() << '\n'
                          << copy.process->readAllStandardError().toStdString() << std::endl;
        }
    }

    QString HostDir(int host) const { return m_dir.filePath(u"host%1"_s.arg(host)); }

    // /usr/bin/env's arguments that run a program (by default the test host) in a host's
    // environment.
    QStringList Environment(int host, const QString& program = qEnvironmentVariable("PELLWICK_HOST")) const
    {
        return {u"XDG_CONFIG_HOME="_s + HostDir(host) + u"/config"_s, u"QT_QPA_PLATFORM=offscreen"_s, program};
    }

    // Runs the event loop, collecting every copy's reports, until the condition holds or the
    // time is up. Settle only lets the copies run on: a report that came twice or late shows.
    template <typename Condition> bool Until(Condition condition, std::chrono::milliseconds timeout)
    {
        return WaitFor(
            [&] {
                for (HostCopy& copy : m_copies)
                    copy.Read();
                return condition();
            },
            timeout);
    }
    void Settle(std::chrono::milliseconds time = 400ms)
    {
        Until([] { return false; }, time);
    }

    // Waits until every copy shows what the predicate asks for.
    template <typename Predicate> bool Everywhere(Predicate predicate, std::chrono::milliseconds timeout = 5s)
    {
        return Until([&] { return std::all_of(m_copies.begin(), m_copies.end(), predicate); }, timeout);
    }

    // Waits until every copy lists every user.
    bool AllListed()
    {
        const auto listsAll = [&](const HostCopy& copy) {
            return std::all_of(m_users.begin(), m_users.end(),
                               [&](const QString& user) { return copy.State(user) >= 0; });
        };
        return Everywhere(listsAll, 10s);
    }

    QTemporaryDir m_dir;
    std::unique_ptr<NetnsLab> m_lab;
    QStringList m_users;
    std::deque<HostCopy> m_copies;
};
