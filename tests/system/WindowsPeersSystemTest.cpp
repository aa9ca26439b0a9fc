#include "net/MessagePacket.h"
#include "support/QtPrinters.h"
#include "system/ProgramHostsTest.h"

#include <QProcess>
#include <QRegularExpression>

#include <gtest/gtest.h>

namespace {

enum Host { A = 0, B = 1, WINDOWS = 2 };

const QString kPeer = QStringLiteral("Пётр");
const QString kNotice = QStringLiteral("the Windows peers' wire is off: Pellwick may not use");

// Two Linux copies and, in the third host, a Windows copy's stand-in: a peer that speaks only
// the mailslot wire, built from scapy's NetBIOS and SMB layers (mailslot_peer.py), which also
// keeps what it heard for tshark. Its reports read like the test host's ("heard T ...").
class WindowsPeersSystemTest : public ProgramHostsTest {
protected:
    void SetUp() override
    {
        for (const char* tool : {"/usr/bin/tshark", "/usr/bin/python3"})
            if (!QFileInfo(QString::fromLatin1(tool)).isExecutable())
                GTEST_SKIP() << tool << " is missing (scripts/bootstrap.sh installs it)";
        if (QProcess::execute(QStringLiteral("/usr/bin/python3"),
                              {QStringLiteral("-c"), QStringLiteral("import scapy")})
            != 0)
            GTEST_SKIP() << "python3-scapy is missing (scripts/bootstrap.sh installs it)";
        ProgramHostsTest::SetUp();
    }

    // The port of the Windows peers is below 1024: where users may bind it, a copy runs as
    // though the program had been granted the capability.
    virtual bool GrantsPort() const { return true; }

    QProcess* StartHost(int host) override
    {
        if (host == WINDOWS) {
            m_pcap = m_dir.filePath(QStringLiteral("heard.pcap"));
            const QString script
                = qEnvironmentVariable("PELLWICK_SOURCE_DIR") + QStringLiteral("/tests/system/mailslot_peer.py");
            return m_lab->Start(host, {}, QStringLiteral("/usr/bin/python3"),
                                {script, NetnsLab::Address(host), QStringLiteral("10.77.0.255"), kPeer, m_pcap});
        }
        if (GrantsPort()) {
            EXPECT_EQ(m_lab->Run(host, {}, QStringLiteral("sysctl"),
                                 {QStringLiteral("-qw"), QStringLiteral("net.ipv4.ip_unprivileged_port_start=138")}),
                      0);
        }
        QStringList arguments = Arguments(host);
        arguments.insert(arguments.size() - 1, QStringLiteral("QT_LOGGING_RULES=pellwick.net.info=true"));
        return m_lab->Start(host, m_users[host], QStringLiteral("/usr/bin/env"), arguments);
    }

    QStringList Heard(const QString& pattern) const
    {
        QStringList heard = m_copies[WINDOWS].Texts(QStringLiteral("heard")).filter(QRegularExpression(pattern));
        heard.sort();
        return heard;
    }

    QString m_pcap;
};

class WithoutPortTest : public WindowsPeersSystemTest {
protected:
    bool GrantsPort() const override { return false; }
};

QString Hex(const MessagePacket& packet)
{
    return QString::fromLatin1(QByteArray(reinterpret_cast<const char*>(&packet), sizeof packet).toHex());
}

} // namespace

TEST_F(WindowsPeersSystemTest, LinuxAndWindowsCopiesSeeEachOtherAndEveryLineArrivesOnce)
{
    m_copies[WINDOWS].Command(QStringLiteral("presence"));
    m_copies[A].Command(QStringLiteral("show-chat"));
    // Presence of all three is complete everywhere.
    const QString presence = QStringLiteral("2 %1\t\tПодтверждение...");
    ASSERT_TRUE(Until(
        [&] {
            return m_copies[A].State(kPeer) >= 0 && m_copies[A].State(m_users[B]) >= 0 && m_copies[B].State(kPeer) >= 0
                && m_copies[B].State(m_users[A]) >= 0
                && !Heard(QStringLiteral("^") + presence.arg(m_users[A])).isEmpty()
                && !Heard(QStringLiteral("^") + presence.arg(m_users[B])).isEmpty();
        },
        std::chrono::seconds(15)));

    m_copies[WINDOWS].Command(QStringLiteral("chat привет из Windows"));
    m_copies[WINDOWS].Command(QStringLiteral("message %1 лично тебе").arg(m_users[B]));
    m_copies[A].Command(QStringLiteral("say ответ с Linux"));
    m_copies[B].Command(QStringLiteral("send %1 письмо Петру").arg(kPeer));
    ASSERT_TRUE(Until(
        [&] {
            return m_copies[A].Of(QStringLiteral("line")).size() >= 2
                && !m_copies[B].Of(QStringLiteral("message")).empty() && Heard(QStringLiteral("^[01] ")).size() >= 2;
        },
        std::chrono::seconds(10)));
    Settle(std::chrono::seconds(1)); // nothing arrives twice

    // The two lines were said at the same time: their order is the network's.
    QStringList lines = m_copies[A].Texts(QStringLiteral("line"));
    lines.sort();
    EXPECT_EQ(
        lines,
        (QStringList{m_users[A] + QStringLiteral("%ответ с Linux"), kPeer + QStringLiteral("%привет из Windows")}));
    const QStringList messages = m_copies[B].Texts(QStringLiteral("message"));
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].startsWith(kPeer + QStringLiteral("%["))
                && messages[0].endsWith(QStringLiteral("] лично тебе")))
        << messages[0].toStdString();
    EXPECT_EQ(Heard(QStringLiteral("^[01] ")),
              (QStringList{QStringLiteral("0 %1\t\tответ с Linux").arg(m_users[A]),
                           QStringLiteral("1 %1\t%2\tписьмо Петру").arg(m_users[B], kPeer)}));

    // tshark, from the datagrams the peer heard: every one a mailslot write to
    // \MAILSLOT\forall whose 364 data bytes are the record.
    m_copies[WINDOWS].Command(QStringLiteral("quit"));
    ASSERT_TRUE(m_copies[WINDOWS].Process()->waitForFinished(10000));
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
    for (const MessagePacket& expected : {MessagePacket::Make(PACKET_PRESENCE, u"Подтверждение...", m_users[A]),
                                          MessagePacket::Make(PACKET_CHAT, u"ответ с Linux", m_users[A]),
                                          MessagePacket::Make(PACKET_MESSAGE, u"письмо Петру", m_users[B], kPeer)})
        EXPECT_TRUE(decoded.contains(QStringLiteral("\\MAILSLOT\\forall\t") + Hex(expected)))
            << "not seen: " << expected.Text().toStdString();

    // Both copies had the port, so neither told its user it could not reach Windows computers.
    for (const Host host : {A, B})
        EXPECT_FALSE(QString::fromUtf8(m_copies[host].Process()->readAllStandardError()).contains(kNotice)) << host;
}

TEST_F(WithoutPortTest, ACopyRunsOnItsOwnWireAndSaysSoOnce)
{
    m_copies[WINDOWS].Command(QStringLiteral("presence"));
    QString errors[2];
    ASSERT_TRUE(Until(
        [&] {
            for (const Host host : {A, B})
                errors[host] += QString::fromUtf8(m_copies[host].Process()->readAllStandardError());
            return m_copies[A].State(m_users[B]) >= 0 && m_copies[B].State(m_users[A]) >= 0
                && errors[A].contains(kNotice) && errors[B].contains(kNotice);
        },
        std::chrono::seconds(15)));
    Settle(std::chrono::seconds(2));
    for (const Host host : {A, B}) {
        errors[host] += QString::fromUtf8(m_copies[host].Process()->readAllStandardError());
        EXPECT_EQ(errors[host].count(kNotice), 1) << errors[host].toStdString();
        EXPECT_TRUE(errors[host].contains(QStringLiteral("setcap cap_net_bind_service=+ep")));
        EXPECT_EQ(m_copies[host].State(kPeer), -1); // the Windows copy is out of reach
    }
}
