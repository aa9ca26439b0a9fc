#pragma once

#include "support/QtPrinters.h"
#include "support/WaitFor.h"

#include <QDir>
#include <QFile>
#include <QMap>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <deque>
#include <iostream>
#include <memory>
#include <unistd.h>

using namespace std::chrono_literals;
using namespace Qt::StringLiterals;

// A copy under the test host (ProgramHost.cpp): commands in, reports ("KIND TEXT") and log kept.
struct HostCopy {
    QProcess* process;
    QStringList reports;
    QString log;

    void Command(const QString& command) { process->write(command.toUtf8() + '\n'); }

    void Read()
    {
        while (process->canReadLine())
            reports << QString::fromUtf8(process->readLine()).chopped(1);
        log += QString::fromUtf8(process->readAllStandardError());
    }

    QStringList Texts(const QString& kind) const
    {
        QStringList texts;
        for (const QString& report : reports)
            if (report.section(u' ', 0, 0) == kind)
                texts << report.section(u' ', 1);
        return texts;
    }

    // The last Online list reported: each name ("All" too) with its state, 0 online, 2 in chat.
    QMap<QString, int> List() const
    {
        const QStringList lists = Texts(u"list"_s);
        QMap<QString, int> users;
        for (const QString& item : lists.value(lists.size() - 1).split(u' ', Qt::SkipEmptyParts))
            users.insert(item.section(u'=', 0, -2), item.section(u'=', -1).toInt());
        return users;
    }

    int State(const QString& user) const { return List().value(user, -1); }
};

// Three network namespaces bridged by a switch namespace per segment (10.77.0.0/24, no real
// network), each running a copy as a throwaway user; copies still running at the end must end
// with 0.
class ProgramHostsTest : public ::testing::Test {
protected:
    static constexpr int kHosts = 3;
    enum Host { A = 0, B = 1, C = 2 };

    void SetUp() override
    {
        if (geteuid() != 0)
            GTEST_SKIP() << "network namespaces need root";
        QString lab = u"for name in $(ip netns list | cut -d' ' -f1; cut -d: -f1 /etc/passwd); do\n"
                      "  pid=$(expr \"$name\" : 'pwlab\\([0-9]*\\)[-u]') || continue\n"
                      "  kill -0 $pid 2>/dev/null || ip netns delete $name 2>/dev/null || userdel $name 2>/dev/null || true\n"
                      "  kill -0 $pid 2>/dev/null || rm -rf /etc/netns/$name\n"
                      "done\n"
                      "chmod 755 %2\n"_s.arg(m_dir.path());
        // One switch per segment; a router (.254 on each) joins them when there are several.
        int segments = 0;
        for (int i = 0; i < kHosts; ++i)
            segments = std::max(segments, SegmentOf(i) + 1);
        m_routed = segments > 1;
        if (m_routed)
            lab += u"ip netns add %1-router\nip -n %1-router link set lo up\n"
                   "ip netns exec %1-router sysctl -q net.ipv4.ip_forward=1\n"_s.arg(m_prefix);
        for (int s = 0; s < segments; ++s)
            lab += SegmentScript(s);
        for (int i = 0; i < kHosts; ++i)
            lab += HostScript(i);
        const QString failure = Shell(lab);
        ASSERT_TRUE(failure.isEmpty()) << failure.toStdString();
        for (int i = 0; i < kHosts; ++i) {
            m_users << Login(i);
            m_copies.push_back({StartHost(i), {}, {}});
        }
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
                          << copy.log.toStdString() << std::endl;
        }
        m_processes.clear(); // kills what still runs: a user with processes cannot be deleted
        Shell(u"for ns in $(ip netns list | cut -d' ' -f1 | grep '^%1-'); do ip netns delete $ns; rm -rf /etc/netns/$ns; done\n"
              "for user in $(cut -d: -f1 /etc/passwd | grep '^%1u'); do userdel $user; done"_s.arg(m_prefix));
    }

    // Sets up a segment's switch (and its router leg), and a host on its segment.
    QString SegmentScript(int segment) const
    {
        QString script = u"ip netns add %1-switch%2\nip -n %1-switch%2 link add br0 up type bridge\n"_s.arg(m_prefix).arg(segment);
        if (m_routed)
            script += u"ip -n %1-switch%2 link add r master br0 up type veth peer name eth%2 netns %1-router\n"
                      "ip -n %1-router addr add 10.77.%2.254/24 brd + dev eth%2\n"
                      "ip -n %1-router link set eth%2 up\n"_s.arg(m_prefix).arg(segment);
        return script;
    }
    QString HostScript(int host) const
    {
        return u"ip netns add %1-host%2\n"
               "ip -n %1-host%2 link set lo up\n"
               "ip -n %1-switch%3 link add p%2 master br0 up type veth peer name eth0 netns %1-host%2\n"
               "ip -n %1-host%2 addr add %4/24 brd + dev eth0\n"
               "ip -n %1-host%2 link set eth0 up\n"
               "%5"
               "useradd --no-create-home --shell /usr/sbin/nologin %1u%2\n"
               "mkdir -p %6/config && chmod 777 %6/config\n"_s.arg(m_prefix)
            .arg(host)
            .arg(SegmentOf(host))
            .arg(Address(host),
                 m_routed ? u"ip -n %1-host%2 route add default via 10.77.%3.254\n"_s.arg(m_prefix).arg(host).arg(SegmentOf(host))
                          : QString(),
                 HostDir(host));
    }

    // Runs a script that stops at its first failure: empty when it went through, else its output.
    QString Shell(const QString& script)
    {
        QByteArray output;
        const int code = Run(-1, {}, u"/bin/sh"_s, {u"-ec"_s, u"exec 2>&1\n"_s + script}, &output);
        return code == 0 ? QString() : QString::fromLocal8Bit(output);
    }

    // The segment a host is on (10.77.<segment>.0/24); several segments are joined by a router
    // that forwards no broadcast (unless a test turns bc_forwarding on).
    virtual int SegmentOf(int /*host*/) const { return 0; }
    QString Address(int host) const { return u"10.77.%1.%2"_s.arg(SegmentOf(host)).arg(host + 1); }
    // The login of the host's throwaway user (its copy may go by another name: m_users).
    QString Login(int host) const { return m_prefix + u"u%1"_s.arg(host); }
    QString HostDir(int host) const { return m_dir.filePath(u"host%1"_s.arg(host)); }

    // Starts a program in a host (-1: none) as a user (empty: root) with more "NAME=value"s, killed at the end if
    // need be. No wrapper may exec it: only setpriv's exec passes a build folder in a 0700 home.
    QProcess* Start(int host, const QString& user, const QString& program, const QStringList& arguments,
                    const QStringList& variables = {})
    {
        QStringList command;
        if (host >= 0)
            command << u"ip"_s << u"netns"_s << u"exec"_s << u"%1-host%2"_s.arg(m_prefix).arg(host);
        if (!user.isEmpty())
            command << u"setpriv"_s << u"--reuid="_s + user << u"--regid="_s + user << u"--init-groups"_s << u"--"_s;
        command << program << arguments;
        auto& process = m_processes.emplace_back(std::make_unique<QProcess>());
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(u"XDG_CONFIG_HOME"_s, HostDir(host) + u"/config"_s);
        environment.insert(u"QT_LOGGING_RULES"_s, u"pellwick.net.info=true"_s);
        for (const QString& variable : variables)
            environment.insert(variable.section(u'=', 0, 0), variable.section(u'=', 1));
        process->setProcessEnvironment(environment);
        process->setWorkingDirectory(u"/"_s);
        process->start(command.takeFirst(), command);
        process->waitForStarted();
        return process.get();
    }

    // Runs a program to its end: its exit code (-1 if it did not end in 30 s) and its standard output.
    int Run(int host, const QString& user, const QString& program, const QStringList& arguments,
            QByteArray* output = nullptr)
    {
        QProcess* process = Start(host, user, program, arguments);
        const bool ended = process->waitForFinished(30000);
        if (output)
            *output = process->readAllStandardOutput();
        return ended && process->exitStatus() == QProcess::NormalExit ? process->exitCode() : -1;
    }

    // Starts a host's copy from a settings file holding these lines below the header.
    void WriteSettings(int host, const QString& lines)
    {
        const QString folder = HostDir(host) + u"/config/pellwick"_s;
        QDir().mkpath(folder);
        QFile::setPermissions(folder, QFile::Permissions(0x7777));
        QFile registry(folder + u"/registry.reg"_s);
        ASSERT_TRUE(registry.open(QIODevice::WriteOnly));
        registry.write((u"Windows Registry Editor Version 5.00\r\n\r\n"_s + lines).toUtf8());
        registry.close();
        registry.setPermissions(QFile::Permissions(0x6666));
    }

    // What a Windows peer (mailslot_peer.py) heard, as tshark reads its capture: each datagram
    // must be one whole record written to \\MAILSLOT\\forall; the records in hex.
    QStringList MailslotRecords(const QString& capture)
    {
        const QString slot = u"\\MAILSLOT\\forall\t"_s;
        QByteArray fields;
        EXPECT_EQ(Run(-1, {}, u"/usr/bin/tshark"_s,
                      {u"-r"_s, capture, u"-T"_s, u"fields"_s, u"-e"_s, u"mailslot.name"_s, u"-e"_s, u"data.data"_s}, &fields),
                  0);
        QStringList records;
        for (const QString& row : QString::fromLatin1(fields).split(u'\n', Qt::SkipEmptyParts)) {
            EXPECT_TRUE(row.startsWith(slot) && row.size() == slot.size() + 2 * 364) << row.toStdString();
            records << row.mid(slot.size());
        }
        return records;
    }

    // What runs in a host: by default the test host (PELLWICK_HOST) as the host's user.
    virtual QProcess* StartHost(int host)
    {
        return Start(host, Login(host), qEnvironmentVariable("PELLWICK_HOST"), {});
    }

    // Collects reports until the condition holds; Settle lets a late or repeated report show.
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

    // Waits until every copy shows what the predicate asks for; AllListed: every copy lists every
    // user, and these others.
    template <typename Predicate> bool Everywhere(Predicate predicate, std::chrono::milliseconds timeout = 5s)
    {
        return Until([&] { return std::ranges::all_of(m_copies, predicate); }, timeout);
    }
    bool AllListed(const QStringList& others = {}, std::chrono::milliseconds timeout = 10s)
    {
        return Everywhere(
            [&](const HostCopy& copy) {
                return std::ranges::all_of(m_users + others, [&](const QString& user) { return copy.State(user) >= 0; });
            },
            timeout);
    }

    const QString m_prefix = u"pwlab%1"_s.arg(getpid());
    QTemporaryDir m_dir;
    bool m_routed = false;
    QStringList m_users;
    std::deque<HostCopy> m_copies;
    std::vector<std::unique_ptr<QProcess>> m_processes; // the lab's, killed at the end
};
