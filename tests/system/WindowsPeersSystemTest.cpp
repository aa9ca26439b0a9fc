#include "net/MessagePacket.h"
#include "system/ProgramHostsTest.h"

#include <QFileInfo>

namespace {

const QString kPeer = u"Пётр"_s;
const QString kNotice = u"the Windows peers' wire is off: Pellwick may not use"_s;

// Two Linux copies and a Windows peer (mailslot_peer.py); A may bind the Windows port 138, B not.
class WindowsPeersSystemTest : public ProgramHostsTest {
protected:
    static constexpr int WINDOWS = C;

    void SetUp() override
    {
        if (!QFileInfo(u"/usr/bin/tshark"_s).isExecutable()
            || QProcess::execute(u"/usr/bin/python3"_s, {u"-c"_s, u"import scapy"_s}) != 0)
            GTEST_SKIP() << "tshark or python3-scapy is missing (scripts/bootstrap.sh installs them)";
        ProgramHostsTest::SetUp();
    }

    QProcess* StartHost(int host) override
    {
        if (host == WINDOWS) {
            const QString script = qEnvironmentVariable("PELLWICK_SOURCE_DIR") + u"/tests/system/mailslot_peer.py"_s;
            return Start(host, {}, u"/usr/bin/python3"_s,
                         {script, Address(host), u"10.77.0.255"_s, kPeer, m_dir.filePath(u"heard.pcap"_s)});
        }
        if (host == A) {
            EXPECT_EQ(Run(host, {}, u"sysctl"_s, {u"-qw"_s, u"net.ipv4.ip_unprivileged_port_start=138"_s}), 0);
        }
        // Not the first start, whose tray hint would hold the notice back by ten seconds.
        WriteSettings(host, u"[HKEY_CURRENT_USER\\SOFTWARE\\Ravelstone\\Pellwick\\Preferences\\Notices]\r\n"
                            "\"TrayHint\"=\"1\"\r\n"_s);
        return ProgramHostsTest::StartHost(host);
    }
};

} // namespace

TEST_F(WindowsPeersSystemTest, CopiesWithThePortTalkWithWindowsPeersAndOneWithoutSaysSoOnce)
{
    m_copies[A].Command(u"show-chat"_s);
    ASSERT_TRUE(Until(
        [&] {
            return m_copies[A].State(kPeer) >= 0 && m_copies[A].State(m_users[B]) >= 0
                && m_copies[B].State(m_users[A]) >= 0 && m_copies[B].log.contains(kNotice);
        },
        15s));

    m_copies[WINDOWS].Command(u"chat привет из Windows"_s);
    m_copies[WINDOWS].Command(u"message %1 лично тебе"_s.arg(m_users[A]));
    m_copies[A].Command(u"say ответ с Linux"_s);
    m_copies[A].Command(u"send %1 письмо Петру"_s.arg(kPeer));
    ASSERT_TRUE(Until(
        [&] { return m_copies[A].Texts(u"line"_s).size() >= 2 && !m_copies[A].Texts(u"message"_s).isEmpty(); }, 10s));
    Settle(2s); // nothing arrives twice, the notice is not said again, the peer hears all

    // The two lines were said at the same time: their order is the network's.
    QStringList lines = m_copies[A].Texts(u"line"_s);
    lines.sort();
    EXPECT_EQ(lines, (QStringList{m_users[A] + u"%ответ с Linux"_s, kPeer + u"%привет из Windows"_s}));
    EXPECT_EQ(m_copies[A].Texts(u"message"_s), QStringList{u"Пётр%лично тебе"_s});
    // B, without the port, says so once and stays on its own wire, out of the peer's reach.
    EXPECT_EQ(m_copies[B].Texts(u"line"_s), QStringList{m_users[A] + u"%ответ с Linux"_s});
    EXPECT_EQ(m_copies[B].State(kPeer), -1);
    EXPECT_EQ(m_copies[B].log.count(kNotice), 1) << m_copies[B].log.toStdString();
    EXPECT_TRUE(m_copies[B].log.contains(u"setcap cap_net_bind_service=+ep"_s));
    EXPECT_FALSE(m_copies[A].log.contains(kNotice));

    // tshark: the peer heard only 364-byte writes to \MAILSLOT\forall, A's line and message once.
    m_copies[WINDOWS].Command(u"quit"_s);
    ASSERT_TRUE(m_copies[WINDOWS].process->waitForFinished(10000));
    const QStringList decoded = MailslotRecords(m_dir.filePath(u"heard.pcap"_s));
    ASSERT_FALSE(decoded.isEmpty());
    const auto heard = [&](const MessagePacket& packet) { return decoded.count(QString::fromLatin1(packet.Bytes().toHex())); };
    EXPECT_GE(heard(MessagePacket::Make(PACKET_PRESENCE, u"Подтверждение...", m_users[A])), 1);
    EXPECT_EQ(heard(MessagePacket::Make(PACKET_CHAT, u"ответ с Linux", m_users[A])), 1);
    EXPECT_EQ(heard(MessagePacket::Make(PACKET_MESSAGE, u"письмо Петру", m_users[A], kPeer)), 1);
}
