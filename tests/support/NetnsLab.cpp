#include "support/NetnsLab.h"

#include <QDir>
#include <QStandardPaths>

#include <unistd.h>

namespace {

// Runs a shell script that stops at the first failure; returns an empty string when it went
// through, otherwise what it printed.
QString Shell(const QString& script)
{
    QProcess shell;
    shell.setProcessChannelMode(QProcess::MergedChannels);
    shell.start(QStringLiteral("/bin/sh"), {QStringLiteral("-ec"), script});
    const bool ended = shell.waitForFinished(30000);
    const QString output = QString::fromLocal8Bit(shell.readAll()).trimmed();
    if (ended && shell.exitStatus() == QProcess::NormalExit && shell.exitCode() == 0)
        return {};
    return output.isEmpty() ? QStringLiteral("a set-up step failed") : output;
}

} // namespace

QString NetnsLab::Unavailable()
{
    if (geteuid() != 0)
        return QStringLiteral("network namespaces need root");
    for (const char* tool : {"ip", "setpriv", "useradd", "userdel"})
        if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty())
            return QStringLiteral("the tool '%1' is not installed").arg(QString::fromLatin1(tool));
    return {};
}

NetnsLab::NetnsLab(int hosts)
    : m_prefix(QStringLiteral("pwlab%1").arg(getpid()))
{
    m_error = Unavailable();
    if (!m_error.isEmpty())
        return;
    // Namespaces and users of labs whose process is gone (a crash or a kill mid-test).
    Shell(QStringLiteral(
        "for name in $(ip netns list | cut -d' ' -f1; cut -d: -f1 /etc/passwd); do\n"
        "  pid=$(expr \"$name\" : 'pwlab\\([0-9]*\\)[-u]') || continue\n"
        "  kill -0 $pid 2>/dev/null || ip netns delete $name 2>/dev/null || userdel $name 2>/dev/null || true\n"
        "done"));
    m_error = Shell(QStringLiteral("sw=%1-switch\n"
                                   "ip netns add $sw\n"
                                   "ip -n $sw link add br0 type bridge\n"
                                   "ip -n $sw link set br0 up\n"
                                   "for i in $(seq 0 %2); do\n"
                                   "  ns=%1-host$i\n"
                                   "  ip netns add $ns\n"
                                   "  ip -n $ns link set lo up\n"
                                   "  ip -n $sw link add p$i type veth peer name eth0 netns $ns\n"
                                   "  ip -n $sw link set p$i master br0 up\n"
                                   "  ip -n $ns addr add 10.77.0.$((i + 1))/24 brd + dev eth0\n"
                                   "  ip -n $ns link set eth0 up\n"
                                   "done")
                        .arg(m_prefix)
                        .arg(hosts - 1));
}

NetnsLab::~NetnsLab()
{
    for (const auto& process : m_processes) {
        process->kill();
        process->waitForFinished(5000);
    }
    Shell(QStringLiteral("for ns in $(ip netns list | cut -d' ' -f1 | grep '^%1-'); do ip netns delete $ns; done\n"
                         "for user in $(cut -d: -f1 /etc/passwd | grep '^%1u'); do userdel $user; done")
              .arg(m_prefix));
}

QString NetnsLab::Address(int host)
{
    return QStringLiteral("10.77.0.%1").arg(host + 1);
}

QString NetnsLab::AddUser()
{
    const QString name = m_prefix + QStringLiteral("u%1").arg(m_userCount++);
    m_error = Shell(QStringLiteral("useradd --no-create-home --shell /usr/sbin/nologin ") + name);
    return m_error.isEmpty() ? name : QString();
}

QProcess* NetnsLab::Start(int host, const QString& user, const QString& program, const QStringList& arguments)
{
    QStringList command{QStringLiteral("netns"), QStringLiteral("exec"),
                        m_prefix + QStringLiteral("-host%1").arg(host)};
    if (!user.isEmpty())
        command << QStringLiteral("setpriv") << QStringLiteral("--reuid=") + user << QStringLiteral("--regid=") + user
                << QStringLiteral("--init-groups") << QStringLiteral("--");
    auto& process = m_processes.emplace_back(std::make_unique<QProcess>());
    process->setWorkingDirectory(QDir::rootPath());
    process->start(QStringLiteral("ip"), command << program << arguments);
    process->waitForStarted();
    return process.get();
}

int NetnsLab::Run(int host, const QString& user, const QString& program, const QStringList& arguments,
                  QByteArray* output)
{
    QProcess* process = Start(host, user, program, arguments);
    const bool ended = process->waitForFinished(10000);
    if (output)
        *output = process->readAllStandardOutput();
    return ended && process->exitStatus() == QProcess::NormalExit ? process->exitCode() : -1;
}
