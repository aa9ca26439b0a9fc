#include "net/MessagePacket.h"
#include "support/WaitFor.h"
#include "system/ProgramHostsTest.h"

#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <iostream>

namespace {

enum Host { CHAT = 0, MESSAGES = 1, WINDOWS = 2 };

const QString kPeer = QStringLiteral("Пётр");

// Two Linux copies and a Windows copy's stand-in: a peer that speaks only the mailslot wire,
// built from scapy's NetBIOS and SMB layers (tests/system/mailslot_peer.py), which also keeps
// what it heard for tshark. The chat host runs the program under the chat driver
// (tests/system/ChatDriver.cpp), the message host under the message host
// (tests/system/MessageHost.cpp).
class WindowsPeersSystemTest : public ProgramHostsTest {
protected:
    void SetUp() override
    {
        ProgramHostsTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        for (const char* tool : {"/usr/bin/tshark", "/usr/bin/python3"})
            if (!QFileInfo(QString::fromLatin1(tool)).isExecutable())
                GTEST_SKIP() << tool << " is missing (scripts/bootstrap.sh installs it)";
        if (QProcess::execute(QStringLiteral("/usr/bin/python3"),
                              {QStringLiteral("-c"), QStringLiteral("import scapy")})
            != 0)
            GTEST_SKIP() << "python3-scapy is missing (scripts/bootstrap.sh installs it)";
        m_pcap = m_dir.filePath(QStringLiteral("heard.pcap"));
    }

    void TearDown() override
    {
        for (std::size_t i = 0; i < m_processes.size(); ++i) {
            m_processes[i]->closeWriteChannel();
            m_processes[i]->waitForFinished(5000);
            if (HasFailure())
                std::cout << "host " << i << " reported:\n"
                          << m_reports[i].join(QLatin1Char('\n')).toStdString() << "\n"
                          << m_errors[i].toStdString() << std::endl;
        }
    }

    // The port of the Windows peers is below 1024; in a host where users may bind it, the
    // copy runs as though the program had been granted the capability.
    bool AllowLowPorts(int host)
    {
        return m_lab->Run(host, {}, QStringLiteral("/sbin/sysctl"),
                          {QStringLiteral("-qw"), QStringLiteral("net.ipv4.ip_unprivileged_port_start=138")})
            == 0;
    }

    void StartCopy(int host, const QString& driverVariable)
    {
        QStringList arguments = Arguments(host, qEnvironmentVariable(driverVariable.toLatin1().constData()));
        arguments.insert(arguments.size() - 1, QStringLiteral("QT_LOGGING_RULES=pellwick.net.info=true"));
        Watch(m_lab->Start(host, m_users[host], QStringLiteral("/usr/bin/env"), arguments));
    }

    void StartPeer()
    {
        const QString script
            = qEnvironmentVariable("PELLWICK_SOURCE_DIR") + QStringLiteral("/tests/system/mailslot_peer.py");
        Watch(m_lab->Start(WINDOWS, {}, QStringLiteral("/usr/bin/python3"),
                           {script, NetnsLab::Address(WINDOWS), QStringLiteral("10.77.0.255"), kPeer, m_pcap}));
    }

    void Watch(QProcess* process)
    {
        const std::size_t i = m_processes.size();
        m_processes.push_back(process);
        m_reports.emplace_back();
        m_errors.emplace_back();
        QObject::connect(process, &QProcess::readyReadStandardOutput, process, [this, process, i] {
            while (process->canReadLine())
                m_reports[i] << QString::fromUtf8(process->readLine()).chopped(1);
        });
        QObject::connect(process, &QProcess::readyReadStandardError, process,
                         [this, process, i] { m_errors[i] += QString::fromUtf8(process->readAllStandardError()); });
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

    // The chat driver's reports carry a time first.
    QStringList ChatLines() const
    {
        QStringList lines;
        for (const QString& report : Reports(CHAT, QStringLiteral("line")))
            lines << report.section(QLatin1Char(' '), 1);
        return lines;
    }

    QString m_pcap;
    std::vector<QProcess*> m_processes;
    std::vector<QStringList> m_reports;
    std::vector<QString> m_errors;
};

QString Hex(const MessagePacket& packet)
{
    return QString::fromLatin1(QByteArray(reinterpret_cast<const char*>(&packet), sizeof packet).toHex());
}

} // namespace

TEST_F(WindowsPeersSystemTest, LinuxAndWindowsCopiesSeeEachOtherAndEveryLineArrivesOnce)
{
    ASSERT_TRUE(AllowLowPorts(CHAT) && AllowLowPorts(MESSAGES));
    StartCopy(CHAT, QStringLiteral("PELLWICK_CHAT_DRIVER"));
    StartCopy(MESSAGES, QStringLiteral("PELLWICK_MESSAGE_HOST"));
    StartPeer();
    Command(WINDOWS, QStringLiteral("presence"));
    Command(CHAT, QStringLiteral("show-chat"));

    // Presence of all three is complete everywhere.
    ASSERT_TRUE(WaitFor(
        [&] {
            const QStringList lists = Reports(CHAT, QStringLiteral("list"));
            const QStringList listed = Reports(MESSAGES, QStringLiteral("listed"));
            const QStringList heard = Reports(WINDOWS, QStringLiteral("heard"));
            return !lists.isEmpty() && lists.last().contains(kPeer + QLatin1Char('='))
                && lists.last().contains(m_users[MESSAGES] + QLatin1Char('=')) && listed.contains(kPeer)
                && listed.contains(m_users[CHAT])
                && heard.contains(QStringLiteral("2 %1\t\tПодтверждение...").arg(m_users[CHAT]))
                && heard.contains(QStringLiteral("2 %1\t\tПодтверждение...").arg(m_users[MESSAGES]));
        },
        std::chrono::seconds(15)));

    Command(WINDOWS, QStringLiteral("chat привет из Windows"));
    Command(WINDOWS, QStringLiteral("message %1 лично тебе").arg(m_users[MESSAGES]));
    Command(CHAT, QStringLiteral("say ответ с Linux"));
    Command(MESSAGES, QStringLiteral("send %1 письмо Петру").arg(kPeer));
    ASSERT_TRUE(WaitFor(
        [&] {
            return ChatLines().size() >= 2 && Reports(MESSAGES, QStringLiteral("line")).size() >= 1
                && Reports(WINDOWS, QStringLiteral("heard")).filter(QRegularExpression(QStringLiteral("^[01] "))).size()
                >= 2;
        },
        std::chrono::seconds(10)));
    WaitFor([] { return false; }, std::chrono::seconds(1)); // nothing arrives twice

    // The two lines were said at the same time: their order is the network's.
    QStringList chatLines = ChatLines();
    chatLines.sort();
    EXPECT_EQ(
        chatLines,
        (QStringList{m_users[CHAT] + QStringLiteral("%ответ с Linux"), kPeer + QStringLiteral("%привет из Windows")}));
    const QStringList messages = Reports(MESSAGES, QStringLiteral("line"));
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].contains(kPeer + QStringLiteral("%["))
                && messages[0].endsWith(QStringLiteral("] лично тебе")))
        << messages[0].toStdString();
    QStringList toPeer = Reports(WINDOWS, QStringLiteral("heard")).filter(QRegularExpression(QStringLiteral("^[01] ")));
    toPeer.sort();
    EXPECT_EQ(toPeer,
              (QStringList{QStringLiteral("0 %1\t\tответ с Linux").arg(m_users[CHAT]),
                           QStringLiteral("1 %1\t%2\tписьмо Петру").arg(m_users[MESSAGES], kPeer)}));

    // tshark, from the datagrams the peer heard: every one a mailslot write to
    // \MAILSLOT\forall whose 364 data bytes are the record.
    Command(WINDOWS, QStringLiteral("quit"));
    ASSERT_TRUE(m_processes[WINDOWS]->waitForFinished(10000));
    QProcess tshark;
    tshark.start(QStringLiteral("/usr/bin/tshark"),
                 {QStringLiteral("-r"), m_pcap, QStringLiteral("-T"), QStringLiteral("fields"), QStringLiteral("-e"),
                  QStringLiteral("mailslot.name"), QStringLiteral("-e"), QStringLiteral("data.data")});
    ASSERT_TRUE(tshark.waitForFinished(60000));
    const QStringList decoded
        = QString::fromLatin1(tshark.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_FALSE(decoded.isEmpty());
    for (const QString& row : decoded)
        EXPECT_TRUE(row.startsWith(QStringLiteral("\\MAILSLOT\\forall\t")) && row.size() == 17 + 728)
            << row.toStdString();
    for (const MessagePacket& expected :
         {MessagePacket::Make(PACKET_PRESENCE, u"Подтверждение...", m_users[CHAT]),
          MessagePacket::Make(PACKET_CHAT, u"ответ с Linux", m_users[CHAT]),
          MessagePacket::Make(PACKET_MESSAGE, u"письмо Петру", m_users[MESSAGES], kPeer)})
        EXPECT_TRUE(decoded.contains(QStringLiteral("\\MAILSLOT\\forall\t") + Hex(expected)))
            << "not seen: " << expected.Text().toStdString();

    // Both copies had the port, so neither told its user it could not reach Windows computers.
    for (const Host host : {CHAT, MESSAGES})
        EXPECT_FALSE(m_errors[host].contains(QStringLiteral("Windows peers' wire is off"))) << host;
}

TEST_F(WindowsPeersSystemTest, WithoutThePortACopyRunsOnItsOwnWireAndSaysSoOnce)
{
    StartCopy(CHAT, QStringLiteral("PELLWICK_CHAT_DRIVER"));
    StartCopy(MESSAGES, QStringLiteral("PELLWICK_MESSAGE_HOST"));
    ASSERT_TRUE(WaitFor(
        [&] {
            const QStringList lists = Reports(CHAT, QStringLiteral("list"));
            return !lists.isEmpty() && lists.last().contains(m_users[MESSAGES] + QLatin1Char('='))
                && Reports(MESSAGES, QStringLiteral("listed")).contains(m_users[CHAT]);
        },
        std::chrono::seconds(15)));
    const QString notice = QStringLiteral("the Windows peers' wire is off: Pellwick may not use");
    EXPECT_TRUE(WaitFor([&] { return m_errors[CHAT].contains(notice) && m_errors[MESSAGES].contains(notice); },
                        std::chrono::seconds(10)));
    WaitFor([] { return false; }, std::chrono::seconds(2));
    for (const Host host : {CHAT, MESSAGES}) {
        EXPECT_EQ(m_errors[host].count(notice), 1)
            << m_errors[host].toStdString();
        EXPECT_TRUE(m_errors[host].contains(QStringLiteral("setcap cap_net_bind_service=+ep")));
    }
}
