#pragma once

#include "support/NetnsLab.h"
#include "support/WaitFor.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <deque>
#include <iostream>
#include <memory>
#include <pwd.h>
#include <unistd.h>

// ThreadSanitizer slows the copies several times over: limits on how fast they answer stretch
// with it (limits set by the program's own timers do not).
#if defined(__SANITIZE_THREAD__)
inline constexpr int kSlowdown = 10;
#else
inline constexpr int kSlowdown = 1;
#endif

// The monotonic clock in microseconds, as the test host stamps its reports.
inline long long SteadyMicros()
{
    return std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// One copy of the program under the test host (ProgramHost.cpp): commands go to its standard
// input, its reports are collected as they come.
class HostCopy {
public:
    struct Report {
        QString kind;
        long long time = 0;
        QString text;
    };

    explicit HostCopy(QProcess* process)
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
            m_log << line;
            m_reports.push_back({line.section(QLatin1Char(' '), 0, 0),
                                 line.section(QLatin1Char(' '), 1, 1).toLongLong(), line.section(QLatin1Char(' '), 2)});
        }
    }

    std::vector<Report> Of(const QString& kind) const
    {
        std::vector<Report> found;
        std::copy_if(m_reports.begin(), m_reports.end(), std::back_inserter(found),
                     [&](const Report& report) { return report.kind == kind; });
        return found;
    }

    QStringList Texts(const QString& kind) const
    {
        QStringList texts;
        for (const Report& report : Of(kind))
            texts << report.text;
        return texts;
    }

    // The user's state in the Online list as last reported: 0 online, 2 in chat, -1 not listed.
    int State(const QString& user) const
    {
        const std::vector<Report> lists = Of(QStringLiteral("list"));
        return lists.empty() ? -1 : StateIn(lists.back(), user);
    }

    // When the list first showed the user in the state at or after a time; -1 never.
    long long When(const QString& user, int state, long long after) const
    {
        for (const Report& list : Of(QStringLiteral("list")))
            if (list.time >= after && StateIn(list, user) == state)
                return list.time;
        return -1;
    }

    // The names in the Online list as last reported, "All" included, sorted.
    QStringList Listed() const
    {
        const std::vector<Report> lists = Of(QStringLiteral("list"));
        QStringList names;
        if (!lists.empty())
            for (const QString& item : lists.back().text.split(QLatin1Char(' '), Qt::SkipEmptyParts))
                names << item.left(item.lastIndexOf(QLatin1Char('=')));
        names.sort();
        return names;
    }

    QProcess* Process() const { return m_process; }
    QString Log() const { return m_log.join(QLatin1Char('\n')); }

private:
    static int StateIn(const Report& list, const QString& user)
    {
        for (const QString& item : list.text.split(QLatin1Char(' ')))
            if (item.left(item.lastIndexOf(QLatin1Char('='))) == user)
                return item.mid(item.lastIndexOf(QLatin1Char('=')) + 1).toInt();
        return -1;
    }

    QProcess* m_process;
    QByteArray m_buffer;
    QStringList m_log;
    std::vector<Report> m_reports;
};

// Three hosts, each to run a copy of the program as its own user with its own configuration
// folder (HostDir/config), offscreen. PELLWICK_HOST names the test host, PELLWICK_PROGRAM the
// program itself.
class ProgramHostsTest : public ::testing::Test {
protected:
    static constexpr int kHosts = 3;

    void SetUp() override
    {
        if (const QString why = NetnsLab::Unavailable(); !why.isEmpty())
            GTEST_SKIP() << why.toStdString();
        ASSERT_TRUE(QFileInfo(HostProgram()).isExecutable()) << "PELLWICK_HOST must name the test host";
        ASSERT_TRUE(m_dir.isValid());
        m_lab = std::make_unique<NetnsLab>(kHosts);
        ASSERT_TRUE(m_lab->Error().isEmpty()) << m_lab->Error().toStdString();
        chmod(m_dir.path().toLocal8Bit().constData(), 0755);
        for (int i = 0; i < kHosts; ++i) {
            m_users.append(m_lab->AddUser());
            ASSERT_FALSE(m_users.back().isEmpty()) << m_lab->Error().toStdString();
            const QString home = HostDir(i);
            ASSERT_TRUE(QDir().mkpath(home + QStringLiteral("/config")));
            const passwd* account = getpwnam(m_users.back().toLocal8Bit().constData());
            ASSERT_NE(account, nullptr);
            for (const QString& path : {home, home + QStringLiteral("/config")})
                ASSERT_EQ(chown(path.toLocal8Bit().constData(), account->pw_uid, account->pw_gid), 0);
        }
        for (int i = 0; i < kHosts; ++i)
            m_copies.emplace_back(StartHost(i));
    }

    // What runs in a host: by default the test host as the host's user.
    virtual QProcess* StartHost(int host)
    {
        return m_lab->Start(host, m_users[host], QStringLiteral("/usr/bin/env"), Arguments(host));
    }

    void TearDown() override
    {
        for (std::size_t i = 0; i < m_copies.size(); ++i) {
            HostCopy& copy = m_copies[i];
            copy.Process()->closeWriteChannel();
            copy.Process()->waitForFinished(5000);
            copy.Read();
            if (HasFailure())
                std::cout << "host " << i << " reported:\n"
                          << copy.Log().toStdString() << '\n'
                          << copy.Process()->readAllStandardError().toStdString() << std::endl;
        }
    }

    static QString HostProgram() { return qEnvironmentVariable("PELLWICK_HOST"); }

    QString HostDir(int host) const { return m_dir.filePath(QStringLiteral("host%1").arg(host)); }

    // /usr/bin/env's arguments that run a program (by default the test host) in a host's
    // environment.
    QStringList Arguments(int host, const QString& program = HostProgram()) const
    {
        return {QStringLiteral("XDG_CONFIG_HOME=") + HostDir(host) + QStringLiteral("/config"),
                QStringLiteral("QT_QPA_PLATFORM=offscreen"), program};
    }

    // Runs the event loop, collecting every copy's reports, until the condition holds or the
    // time is up.
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

    // Lets the copies run on a little: a report that came twice or late would show now.
    void Settle(std::chrono::milliseconds time = std::chrono::milliseconds(400))
    {
        Until([] { return false; }, time);
    }

    template <typename Predicate> bool Everywhere(Predicate predicate) const
    {
        return std::all_of(m_copies.begin(), m_copies.end(), predicate);
    }

    // Waits until every copy lists every user.
    bool AllListedEverywhere(std::chrono::milliseconds timeout = std::chrono::seconds(10))
    {
        return Until(
            [&] {
                return Everywhere([&](const HostCopy& copy) {
                    return std::all_of(m_users.begin(), m_users.end(),
                                       [&](const QString& user) { return copy.State(user) >= 0; });
                });
            },
            timeout);
    }

    QTemporaryDir m_dir;
    std::unique_ptr<NetnsLab> m_lab;
    QStringList m_users;
    std::deque<HostCopy> m_copies;
};
