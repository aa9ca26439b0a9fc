#include "support/NetnsLab.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QStandardPaths>

#include <cerrno>
#include <csignal>
#include <unistd.h>

namespace {

const QString kPrefix = QStringLiteral("pwlab");

int RunTool(const QString& program, const QStringList& arguments, QByteArray* output = nullptr)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    if (!process.waitForFinished(30000)) {
        process.kill();
        process.waitForFinished();
        return -1;
    }
    if (output)
        *output = process.readAll();
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

bool ProcessAlive(qint64 pid)
{
    return kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH;
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
    : m_hosts(hosts)
    , m_prefix(kPrefix + QString::number(getpid()))
{
    m_error = Unavailable();
    if (!m_error.isEmpty())
        return;
    RemoveLeftovers();

    const QString sw = SwitchNamespace();
    bool ok = Ip({QStringLiteral("netns"), QStringLiteral("add"), sw});
    if (ok)
        m_namespaces.push_back(sw);
    ok = ok
        && Ip({QStringLiteral("-n"), sw, QStringLiteral("link"), QStringLiteral("add"), QStringLiteral("br0"),
               QStringLiteral("type"), QStringLiteral("bridge")})
        && Ip({QStringLiteral("-n"), sw, QStringLiteral("link"), QStringLiteral("set"), QStringLiteral("br0"),
               QStringLiteral("up")});
    for (int i = 0; ok && i < hosts; ++i) {
        const QString ns = Namespace(i);
        const QString port = QStringLiteral("p%1").arg(i);
        ok = Ip({QStringLiteral("netns"), QStringLiteral("add"), ns});
        if (ok)
            m_namespaces.push_back(ns);
        ok = ok
            && Ip({QStringLiteral("-n"), ns, QStringLiteral("link"), QStringLiteral("set"), QStringLiteral("lo"),
                   QStringLiteral("up")})
            && Ip({QStringLiteral("-n"), sw, QStringLiteral("link"), QStringLiteral("add"), port,
                   QStringLiteral("type"), QStringLiteral("veth"), QStringLiteral("peer"), QStringLiteral("name"),
                   QStringLiteral("eth0"), QStringLiteral("netns"), ns})
            && Ip({QStringLiteral("-n"), sw, QStringLiteral("link"), QStringLiteral("set"), port,
                   QStringLiteral("master"), QStringLiteral("br0"), QStringLiteral("up")})
            && Ip({QStringLiteral("-n"), ns, QStringLiteral("addr"), QStringLiteral("add"),
                   Address(i) + QStringLiteral("/24"), QStringLiteral("brd"), QStringLiteral("+"),
                   QStringLiteral("dev"), QStringLiteral("eth0")})
            && Ip({QStringLiteral("-n"), ns, QStringLiteral("link"), QStringLiteral("set"), QStringLiteral("eth0"),
                   QStringLiteral("up")});
    }
}

NetnsLab::~NetnsLab()
{
    for (const auto& process : m_processes) {
        if (process->state() != QProcess::NotRunning) {
            process->kill();
            process->waitForFinished(5000);
        }
    }
    m_processes.clear();
    for (auto it = m_namespaces.rbegin(); it != m_namespaces.rend(); ++it)
        RunTool(QStringLiteral("ip"), {QStringLiteral("netns"), QStringLiteral("delete"), *it});
    for (const QString& user : std::as_const(m_users))
        RunTool(QStringLiteral("userdel"), {user});
}

QString NetnsLab::SwitchNamespace() const
{
    return m_prefix + QStringLiteral("-switch");
}

QString NetnsLab::Namespace(int host) const
{
    return m_prefix + QStringLiteral("-host%1").arg(host);
}

QString NetnsLab::Address(int host)
{
    return QStringLiteral("10.77.0.%1").arg(host + 1);
}

bool NetnsLab::Ip(const QStringList& arguments)
{
    QByteArray output;
    if (RunTool(QStringLiteral("ip"), arguments, &output) == 0)
        return true;
    if (m_error.isEmpty())
        m_error = QStringLiteral("ip %1: %2").arg(arguments.join(u' '), QString::fromLocal8Bit(output).trimmed());
    return false;
}

// Namespaces and users of labs whose process is gone (a crash or a kill mid-test).
void NetnsLab::RemoveLeftovers()
{
    const QRegularExpression owned(QStringLiteral("^%1(\\d+)[-u]").arg(kPrefix));
    QByteArray list;
    RunTool(QStringLiteral("ip"), {QStringLiteral("netns"), QStringLiteral("list")}, &list);
    for (const QByteArray& line : list.split('\n')) {
        const QString name = QString::fromLatin1(line.split(' ').value(0));
        const auto match = owned.match(name);
        if (match.hasMatch() && !ProcessAlive(match.captured(1).toLongLong()))
            RunTool(QStringLiteral("ip"), {QStringLiteral("netns"), QStringLiteral("delete"), name});
    }
    QFile passwd(QStringLiteral("/etc/passwd"));
    if (!passwd.open(QIODevice::ReadOnly))
        return;
    for (const QByteArray& line : passwd.readAll().split('\n')) {
        const QString name = QString::fromLatin1(line.split(':').value(0));
        const auto match = owned.match(name);
        if (match.hasMatch() && !ProcessAlive(match.captured(1).toLongLong()))
            RunTool(QStringLiteral("userdel"), {name});
    }
}

QString NetnsLab::AddUser()
{
    const QString name = m_prefix + QStringLiteral("u%1").arg(m_users.size());
    QByteArray output;
    if (RunTool(
            QStringLiteral("useradd"),
            {QStringLiteral("--no-create-home"), QStringLiteral("--shell"), QStringLiteral("/usr/sbin/nologin"), name},
            &output)
        != 0) {
        m_error = QStringLiteral("useradd %1: %2").arg(name, QString::fromLocal8Bit(output).trimmed());
        return {};
    }
    m_users.append(name);
    return name;
}

QProcess* NetnsLab::Start(int host, const QString& user, const QString& program, const QStringList& arguments)
{
    QStringList command = {QStringLiteral("netns"), QStringLiteral("exec"), Namespace(host)};
    if (!user.isEmpty())
        command << QStringLiteral("setpriv") << QStringLiteral("--reuid=") + user << QStringLiteral("--regid=") + user
                << QStringLiteral("--init-groups") << QStringLiteral("--");
    command << program << arguments;
    auto process = std::make_unique<QProcess>();
    process->setProgram(QStringLiteral("ip"));
    process->setArguments(command);
    process->setWorkingDirectory(QDir::rootPath());
    process->start();
    process->waitForStarted();
    m_processes.push_back(std::move(process));
    return m_processes.back().get();
}

int NetnsLab::Run(int host, const QString& user, const QString& program, const QStringList& arguments,
                  QByteArray* output, int timeoutMs)
{
    QProcess* process = Start(host, user, program, arguments);
    if (!process->waitForFinished(timeoutMs)) {
        process->kill();
        process->waitForFinished();
        return -1;
    }
    if (output)
        *output = process->readAllStandardOutput();
    return process->exitStatus() == QProcess::NormalExit ? process->exitCode() : -1;
}
