#include "net/MessagePacket.h"
#include "system/ProgramHostsTest.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <map>

namespace {

// A and B on one segment, C on another behind the router. Each copy names the other side in
// its ExtraNetworks: A by host name (from A's own hosts file) beside two entries that cannot be
// had, B by address, C the whole other subnet (its directed broadcast, which the router
// forwards with bc_forwarding on).
class ExtraNetworksSystemTest : public ProgramHostsTest {
protected:
    int SegmentOf(int host) const override { return host == C ? 1 : 0; }

    QProcess* StartHost(int host) override
    {
        if (host == A) {
            const QString failure = Shell(
                u"ip netns exec %1-router sysctl -q net.ipv4.conf.all.bc_forwarding=1 "
                "net.ipv4.conf.eth0.bc_forwarding=1 net.ipv4.conf.eth1.bc_forwarding=1\n"
                "mkdir -p /etc/netns/%1-host0\n"
                "printf '127.0.0.1 localhost\\n%2 segment-c\\n' > /etc/netns/%1-host0/hosts"_s.arg(m_prefix, Address(C)));
            EXPECT_TRUE(failure.isEmpty()) << failure.toStdString();
        }
        const QString extra[] = {u"segment-c, no/such nowhere.invalid"_s, Address(C), u"10.77.0.0/24"_s};
        WriteSettings(host, u"[HKEY_CURRENT_USER\\SOFTWARE\\Ravelstone\\Pellwick\\Network]\r\n"
                            "\"ExtraNetworks\"=\"%1\"\r\n"_s.arg(extra[host]));
        return ProgramHostsTest::StartHost(host);
    }
};

} // namespace

TEST_F(ExtraNetworksSystemTest, CopiesOnBothSegmentsListAndReachEachOther)
{
    ASSERT_TRUE(Everywhere([&](const HostCopy& copy) { return copy.List().size() > 1; }, 10s));
    ASSERT_TRUE(Everywhere(
        [&](const HostCopy& copy) {
            return std::ranges::all_of(m_users, [&](const QString& user) { return copy.State(user) >= 0; });
        },
        2s));
    EXPECT_TRUE(m_copies[A].log.contains(u"'no/such' is neither"_s)) << m_copies[A].log.toStdString();
    EXPECT_TRUE(m_copies[A].log.contains(u"'nowhere.invalid' does not resolve"_s));

    m_copies[A].Command(u"say from A"_s);
    m_copies[C].Command(u"say from C"_s);
    const QStringList said{m_users[A] + u"%from A"_s, m_users[C] + u"%from C"_s};
    EXPECT_TRUE(Everywhere([&](const HostCopy& copy) { return copy.Texts(u"line"_s).size() >= 2; }, 3s));
    m_copies[A].Command(u"send %1 to C"_s.arg(m_users[C]));
    ASSERT_TRUE(Until([&] { return m_copies[C].Texts(u"message"_s).size() == 1; }, 3s));
    m_copies[C].Command(u"reply to A"_s);
    ASSERT_TRUE(Until([&] { return m_copies[A].Texts(u"message"_s).size() == 1; }, 3s));
    Settle(500ms);
    for (const HostCopy& copy : m_copies) {
        QStringList lines = copy.Texts(u"line"_s);
        lines.sort();
        EXPECT_EQ(lines, said);
    }
    EXPECT_EQ(m_copies[C].Texts(u"message"_s), QStringList{m_users[A] + u"%to C"_s});
    EXPECT_EQ(m_copies[A].Texts(u"message"_s), QStringList{m_users[C] + u"%to A"_s});
    EXPECT_TRUE(m_copies[B].Texts(u"message"_s).isEmpty());
}

namespace {

const QString kPeer = u"Пётр"_s;

// A, B and C each on a segment of their own (west, north, east), each segment with its relay
// (west with two, and a Windows peer), the broker on a fourth; the router forwards no broadcast.
// The broker takes TLS only (8883; 8884 also asks for a client certificate) and known users;
// two more relays must be refused: a wrong password, a CA nobody trusts.
class RelaySystemTest : public ProgramHostsTest {
protected:
    enum Extra { BROKER = 3, RELAY_A1, RELAY_A2, RELAY_B, RELAY_C, WINDOWS, WRONG_PASSWORD, UNTRUSTING };

    void SetUp() override
    {
        for (const char* tool : {"/usr/sbin/mosquitto", "/usr/bin/mosquitto_passwd", "/usr/bin/openssl", "/usr/bin/tshark"})
            if (!QFileInfo(QString::fromLatin1(tool)).isExecutable())
                GTEST_SKIP() << tool << " is missing (scripts/bootstrap.sh installs it)";
        if (QProcess::execute(u"/usr/bin/python3"_s, {u"-c"_s, u"import scapy"_s}) != 0)
            GTEST_SKIP() << "python3-scapy is missing (scripts/bootstrap.sh installs it)";
        ProgramHostsTest::SetUp();
    }

    int SegmentOf(int host) const override
    {
        static constexpr int kSegments[] = {0, 1, 2, 3, 0, 0, 1, 2, 0, 3, 3};
        return kSegments[host];
    }

    QProcess* StartHost(int host) override
    {
        if (host == A) {
            StartBrokerAndRelays();
            // A talks with the Windows peer on its segment.
            EXPECT_EQ(Run(host, {}, u"sysctl"_s, {u"-qw"_s, u"net.ipv4.ip_unprivileged_port_start=138"_s}), 0);
        }
        return ProgramHostsTest::StartHost(host);
    }

    void StartBrokerAndRelays()
    {
        QString lab = SegmentScript(3);
        for (int host = BROKER; host <= UNTRUSTING; ++host)
            lab += HostScript(host);
        const QString failure = Shell(lab + u"cd %1\n"
            "key='-newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes'\n"
            "for ca in ca stranger; do openssl req -x509 $key -days 1 -subj /CN=$ca -keyout $ca.key -out $ca.crt 2>/dev/null; done\n"
            "printf 'subjectAltName=IP:%2\\n' > broker.ext; : > relay.ext\n"
            "for name in broker relay; do\n"
            "  openssl req $key -subj /CN=$name -keyout $name.key -out $name.csr 2>/dev/null\n"
            "  openssl x509 -req -in $name.csr -CA ca.crt -CAkey ca.key -CAcreateserial -days 1 -extfile $name.ext -out $name.crt 2>/dev/null\n"
            "done\n"
            "mosquitto_passwd -c -b passwords relay 'relay secret'; echo 'relay secret' > broker-password\n"_s.arg(m_dir.path(), Address(BROKER)));
        ASSERT_TRUE(failure.isEmpty()) << failure.toStdString();
        QFile broker(m_dir.filePath(u"mosquitto.conf"_s));
        ASSERT_TRUE(broker.open(QIODevice::WriteOnly));
        const QString tls = u"cafile %1/ca.crt\ncertfile %1/broker.crt\nkeyfile %1/broker.key\n"_s.arg(m_dir.path());
        broker.write(u"per_listener_settings false\nallow_anonymous false\npassword_file %1/passwords\n"
                     "user root\npersistence true\npersistence_location %1/\n"
                     "listener 8883 0.0.0.0\n%2listener 8884 0.0.0.0\n%2require_certificate true\n"_s.arg(m_dir.path(), tls)
                         .toUtf8());
        broker.close();
        StartBroker();
        // The password and the client key as systemd hands them to the service (LoadCredential=).
        qputenv("CREDENTIALS_DIRECTORY", m_dir.path().toUtf8());
        const QString trusted = u"username=relay\npassword_file=broker-password\nca_file=%2/ca.crt\n"_s;
        const std::pair<int, QString> relays[] = {
            {RELAY_A1, u"site=west\nrelay_id=one\nbroker=mqtts://%1\n"_s + trusted},
            {RELAY_A2, u"site=west\nrelay_id=two\nbroker=mqtts://%1\n"_s + trusted},
            {RELAY_B, u"site=north\nbroker=mqtts://%1\nusername=relay\npassword=relay secret\nca_file=%2/ca.crt\n"_s},
            {RELAY_C, u"site=east\nbroker=mqtts://%1:8884\ncert_file=%2/relay.crt\nkey_file=relay.key\n"_s + trusted},
            {WRONG_PASSWORD, u"site=intruder\nbroker=mqtts://%1\nusername=relay\npassword=guess\nca_file=%2/ca.crt\n"_s},
            {UNTRUSTING, u"site=intruder\nbroker=mqtts://%1\nusername=relay\npassword=relay secret\nca_file=%2/stranger.crt\n"_s},
        };
        for (const auto& [host, settings] : relays) {
            QFile config(HostDir(host) + u"/relay.conf"_s);
            ASSERT_TRUE(config.open(QIODevice::WriteOnly));
            config.write(settings.arg(Address(BROKER), m_dir.path()).toUtf8());
            config.close();
            m_relays[host] = Start(host, {}, qEnvironmentVariable("PELLWICK_PROGRAM"),
                                   {u"--relay"_s, u"--config"_s, config.fileName()});
        }
        m_peer = Start(WINDOWS, {}, u"/usr/bin/python3"_s,
                       {qEnvironmentVariable("PELLWICK_SOURCE_DIR") + u"/tests/system/mailslot_peer.py"_s,
                        Address(WINDOWS), u"10.77.0.255"_s, kPeer, m_dir.filePath(u"heard.pcap"_s)});
    }

    void StartBroker()
    {
        m_broker = Start(BROKER, {}, u"/usr/sbin/mosquitto"_s, {u"-c"_s, m_dir.filePath(u"mosquitto.conf"_s)});
    }

    // Every copy shows these lines, once each, in each sender's order.
    void ExpectLines(const QStringList& said)
    {
        EXPECT_TRUE(Everywhere([&](const HostCopy& copy) { return copy.Texts(u"line"_s).size() >= said.size(); }, 5s));
        Settle(1s);
        for (const HostCopy& copy : m_copies)
            for (const QString& user : m_users + QStringList{kPeer})
                EXPECT_EQ(copy.Texts(u"line"_s).filter(QRegularExpression(u'^' + user + u'%')),
                          said.filter(QRegularExpression(u'^' + user + u'%')));
    }

    void TearDown() override
    {
        if (m_peer)
            m_peer->kill();
        for (auto& [host, relay] : m_relays) {
            relay->terminate();
            EXPECT_TRUE(relay->waitForFinished(5000));
            EXPECT_EQ(relay->exitCode(), 0) << host;
            if (HasFailure())
                std::cout << "relay " << host << ":\n" << RelayLog(host).toStdString() << std::endl;
        }
        ProgramHostsTest::TearDown();
    }

    // What a relay said so far.
    const QString& RelayLog(int host)
    {
        return m_relayLogs[host] += QString::fromUtf8(m_relays.at(host)->readAllStandardError());
    }

    QProcess* m_broker = nullptr;
    QProcess* m_peer = nullptr;
    std::map<int, QProcess*> m_relays;
    std::map<int, QString> m_relayLogs;
};

} // namespace

TEST_F(RelaySystemTest, SitesListAndHearEachOtherOnceAndComeBackAfterTheBrokerWasAway)
{
    ASSERT_TRUE(AllListed({kPeer}));

    QStringList said;
    for (int i = 0; i < 20; ++i)
        for (int host : {A, B, C}) {
            m_copies[host].Command(u"say line %1"_s.arg(i));
            said << m_users[host] + u"%line %1"_s.arg(i);
        }
    m_peer->write(u"chat привет из Windows\n"_s.toUtf8());
    said << kPeer + u"%привет из Windows"_s;
    ExpectLines(said);
    m_copies[A].Command(u"send %1 across"_s.arg(m_users[C]));
    m_copies[C].Command(u"send All to all"_s);
    m_copies[B].Command(u"send %1 to Windows"_s.arg(kPeer));
    m_peer->write(u"message %1 from Windows\n"_s.arg(m_users[B]).toUtf8());
    EXPECT_TRUE(Until([&] { return m_copies[C].Texts(u"message"_s).size() == 1 && m_copies[B].Texts(u"message"_s).size() == 2; }, 5s));

    // The broker stops for 10 s: each site drops the others' users as its ticks say, hears its
    // own segment all along, and gets the lines said meanwhile once the broker is back.
    m_broker->terminate();
    m_broker->waitForFinished(2000);
    EXPECT_TRUE(Everywhere([&](const HostCopy& copy) { return copy.List().size() == (&copy == &m_copies[A] ? 3 : 2); }, 9s));
    EXPECT_GE(m_copies[A].State(kPeer), 0);
    m_copies[A].Command(u"say while away"_s);
    m_copies[B].Command(u"say while away"_s);
    said << m_users[A] + u"%while away"_s << m_users[B] + u"%while away"_s;
    Settle(2s);
    StartBroker();
    // Within the relays' longest back-off (10 s), their election (2.5 s) and a presence round.
    EXPECT_TRUE(AllListed({kPeer}, 15s));
    ExpectLines(said);
    const auto sorted = [](QStringList texts) {
        texts.sort();
        return texts;
    };
    EXPECT_EQ(m_copies[C].Texts(u"message"_s), QStringList{m_users[A] + u"%across"_s});
    EXPECT_EQ(m_copies[A].Texts(u"message"_s), QStringList{m_users[C] + u"%to all"_s});
    EXPECT_EQ(sorted(m_copies[B].Texts(u"message"_s)), sorted({m_users[C] + u"%to all"_s, kPeer + u"%from Windows"_s}));
    // Each site relay said the broker's absence once, and no refused relay got in.
    for (int host : {RELAY_A1, RELAY_A2, RELAY_B, RELAY_C})
        EXPECT_EQ(RelayLog(host).count(u"Trying again"_s), 1) << RelayLog(host).toStdString();
    for (int host : {WRONG_PASSWORD, UNTRUSTING}) {
        EXPECT_FALSE(RelayLog(host).contains(u"connected to"_s)) << RelayLog(host).toStdString();
        EXPECT_LE(RelayLog(host).count(u"Trying again"_s), 8) << RelayLog(host).toStdString();
    }
    EXPECT_TRUE(RelayLog(WRONG_PASSWORD).contains(u"not authorised"_s)) << RelayLog(WRONG_PASSWORD).toStdString();
    EXPECT_TRUE(RelayLog(UNTRUSTING).contains(u"certificate verify failed"_s)) << RelayLog(UNTRUSTING).toStdString();

    // The peer heard the other sites through one relay of its segment: each line and message once.
    m_peer->write("quit\n");
    ASSERT_TRUE(m_peer->waitForFinished(10000));
    const QStringList heard = MailslotRecords(m_dir.filePath(u"heard.pcap"_s));
    const auto count = [&](PacketType type, const QString& text, const QString& from, const QString& to = {}) {
        return heard.count(QString::fromLatin1(MessagePacket::Make(type, text, from, to).Bytes().toHex()));
    };
    for (int host : {B, C}) {
        EXPECT_GE(count(PACKET_PRESENCE, u"Подтверждение..."_s, m_users[host]), 1);
        EXPECT_EQ(count(PACKET_CHAT, u"line 7"_s, m_users[host]), 1);
    }
    EXPECT_EQ(count(PACKET_CHAT, u"while away"_s, m_users[B]), 1);
    EXPECT_EQ(count(PACKET_MESSAGE, u"to Windows"_s, m_users[B], kPeer), 1);
}
