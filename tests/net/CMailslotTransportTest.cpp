#include "net/CMailslotTransport.h"
#include "platform/MailslotDatagram.h"
#include "platform/OwnUserName.h"
#include "support/LoopbackEndpoints.h"
#include "support/PrivateNetwork.h"
#include "support/QtPrinters.h"
#include "support/RawDatagram.h"
#include "support/RecordingAlertSink.h"
#include "support/RecordingReceiver.h"
#include "support/WaitFor.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <arpa/inet.h>
#include <cstdlib>
#include <cstring>
#include <random>
#include <sys/eventfd.h>
#include <unistd.h>

namespace {

const QString kMailboxFailed = QStringLiteral("Невозможно создать почтовый ящик.");
const QString kNetworkError = QStringLiteral("Ошибка в работе сети.");

class TransportTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_transport.IsOpen());
        m_transport.SetTargets({&m_chat, &m_incoming, &m_main, &m_tray, &m_incomingActive});
    }

    // Reads what arrives and delivers the posted events until the receivers hold total events.
    bool ReadUntil(std::size_t total)
    {
        return WaitFor([&] {
            m_transport.ReadPending();
            return m_chat.Count() + m_incoming.Count() + m_main.Count() + m_tray.Count() >= total;
        });
    }

    void Inject(const MessagePacket& packet) { ASSERT_TRUE(m_raw.Send(m_transport.Port(), &packet, sizeof packet)); }

    RecordingAlertSink m_alerts;
    CMailslotTransport m_transport{m_alerts, LoopbackEndpoints()};
    RecordingReceiver m_chat, m_incoming, m_main, m_tray;
    std::atomic<bool> m_incomingActive{false};
    RawDatagram m_raw;
    const OwnUserNameOverride m_me{QStringLiteral("ivan")};
};

} // namespace

TEST(TransportOpeningTest, AnOccupiedReadPortStopsTheOpeningAtTheFirstStep)
{
    RecordingAlertSink alerts;
    CMailslotTransport first(alerts, LoopbackEndpoints());
    ASSERT_TRUE(first.IsOpen());

    TransportEndpoints endpoints = LoopbackEndpoints();
    endpoints.port = first.Port();
    RecordingAlertSink secondAlerts;
    CMailslotTransport second(secondAlerts, endpoints);
    EXPECT_FALSE(second.IsOpen());
    EXPECT_EQ(secondAlerts.Texts(), QStringList{kMailboxFailed});
    EXPECT_FALSE(second.Send(MessagePacket::Make(PACKET_CHAT, u"x", u"y")));
    EXPECT_EQ(secondAlerts.Texts().size(), 1); // a send on a closed transport says nothing

    NamedEndpoint confirm; // never claimed by the failed copy
    EXPECT_TRUE(confirm.Claim(endpoints.confirmName));
    EXPECT_TRUE(alerts.Texts().isEmpty());
}

TEST(TransportOpeningTest, AnOccupiedConfirmationNameClosesTheCopyButSendingStillWorks)
{
    const TransportEndpoints endpoints = LoopbackEndpoints();
    NamedEndpoint other;
    ASSERT_TRUE(other.Claim(endpoints.confirmName));

    RecordingAlertSink alerts;
    CMailslotTransport transport(alerts, endpoints);
    EXPECT_FALSE(transport.IsOpen());
    EXPECT_EQ(alerts.Texts(), QStringList{kMailboxFailed});
    EXPECT_TRUE(transport.Send(MessagePacket::Make(PACKET_PRESENCE, u"Подтверждение...", u"ivan")));
    transport.Close();
    transport.Close(); // nothing left to close, nothing reported
    EXPECT_EQ(alerts.Texts().size(), 1);
}

TEST_F(TransportTest, ASentRecordComesBackWholeExactlyOnce)
{
    const MessagePacket sent = MessagePacket::Make(PACKET_CHAT, u"строка чата", u"ivan");
    ASSERT_TRUE(m_transport.Send(sent));
    ASSERT_TRUE(ReadUntil(1));
    ASSERT_EQ(m_chat.Count(), 1u);
    EXPECT_EQ(std::memcmp(&m_chat.Events()[0].packet, &sent, sizeof sent), 0);
    m_transport.ReadPending();
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(m_chat.Count(), 1u);
    EXPECT_TRUE(m_alerts.Texts().isEmpty());
}

TEST_F(TransportTest, EachTypeGoesToItsWindow)
{
    Inject(MessagePacket::Make(PACKET_CHAT, u"line", u"olga"));
    Inject(MessagePacket::Make(PACKET_PRESENCE, u"Подтверждение...", u"olga"));
    Inject(MessagePacket::Make(PACKET_CHAT_PRESENCE, u"none", u"olga"));
    Inject(MessagePacket::Make(7, u"unknown", u"olga"));
    Inject(MessagePacket::Make(PACKET_MESSAGE, u"to all from me", u"ivan", u"All"));
    Inject(MessagePacket::Make(PACKET_MESSAGE, u"to Ivan", u"olga", u"Ivan"));
    Inject(MessagePacket::Make(PACKET_MESSAGE, u"to petr", u"olga", u"petr"));
    Inject(MessagePacket::Make(PACKET_MESSAGE, u"to me from me", u"ivan", u"ivan"));
    Inject(MessagePacket::Make(PACKET_CHAT, u"last", u"olga"));
    ASSERT_TRUE(ReadUntil(6));
    WaitFor([] { return false; }, std::chrono::milliseconds(50)); // nothing more may come

    ASSERT_EQ(m_chat.Count(), 2u);
    EXPECT_EQ(m_chat.Events()[0].type, WM_PACKET);
    EXPECT_EQ(m_chat.Events()[1].packet.Text(), QStringLiteral("last"));

    ASSERT_EQ(m_main.Count(), 2u);
    EXPECT_EQ(m_main.Events()[0].type, WM_PRESENCE);
    EXPECT_EQ(m_main.Events()[0].lParam, 0);
    EXPECT_EQ(m_main.Events()[1].lParam, 1);
    EXPECT_EQ(m_main.Events()[1].packet.type, PACKET_CHAT_PRESENCE);

    ASSERT_EQ(m_incoming.Count(), 1u);
    EXPECT_EQ(m_incoming.Events()[0].packet.Text(), QStringLiteral("to me from me"));
    ASSERT_EQ(m_tray.Count(), 1u);
    EXPECT_EQ(m_tray.Events()[0].type, WM_FLASH_TRAY);
    EXPECT_EQ(m_tray.Events()[0].lParam, FlashTrayEvent::FLASH_INCOMING_MESSAGE);
}

TEST_F(TransportTest, TheTrayFlashesOnlyWhileIncomingMessagesIsNotInFront)
{
    const OwnUserNameOverride me(QStringLiteral("petr"));
    m_incomingActive = true;
    Inject(MessagePacket::Make(PACKET_MESSAGE, u"one", u"olga", u"All"));
    ASSERT_TRUE(ReadUntil(1));
    m_incomingActive = false;
    Inject(MessagePacket::Make(PACKET_MESSAGE, u"two", u"olga", u"petr"));
    ASSERT_TRUE(ReadUntil(3));
    EXPECT_EQ(m_incoming.Count(), 2u);
    EXPECT_EQ(m_tray.Count(), 1u);
}

TEST_F(TransportTest, OnlyImmediateRepeatsAreDropped)
{
    const MessagePacket a = MessagePacket::Make(PACKET_CHAT, u"A", u"olga");
    const MessagePacket b = MessagePacket::Make(PACKET_CHAT, u"B", u"olga");
    MessagePacket aWithJunk = a;
    aWithJunk.text[100] = 'j';
    Inject(a);
    Inject(aWithJunk); // a copy that came over a second interface
    Inject(a);
    Inject(b);
    Inject(a);
    ASSERT_TRUE(ReadUntil(3));
    WaitFor([] { return false; }, std::chrono::milliseconds(100)); // a later A is no repeat
    Inject(a);
    ASSERT_TRUE(ReadUntil(4));

    QStringList texts;
    for (const auto& event : m_chat.Events())
        texts.append(event.packet.Text());
    EXPECT_EQ(texts, (QStringList{QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("A"), QStringLiteral("A")}));
}

TEST_F(TransportTest, AFloodOfBadDatagramsIsSurvivedAndNothingIsMisread)
{
    std::mt19937 random(2024);
    int expected = 0;
    for (int round = 0; round < 200; ++round) {
        for (const int size : {0, 1, 363, 365, 65507})
            ASSERT_TRUE(m_raw.Send(m_transport.Port(), QByteArray(size, static_cast<char>(random()))));
        // A 364-byte record without a single NUL, of a known or unknown type.
        MessagePacket record;
        auto* bytes = reinterpret_cast<unsigned char*>(&record);
        for (std::size_t i = 0; i < sizeof record; ++i)
            bytes[i] = static_cast<unsigned char>(1 + random() % 255);
        if (round % 2 == 0) {
            record.type = round % 8 == 0 ? PACKET_MESSAGE : PACKET_CHAT;
            expected += round % 8 == 0 ? 0 : 1; // a message to a random name is not for us
        }
        Inject(record);
        ASSERT_TRUE(ReadUntil(static_cast<std::size_t>(expected))); // within the socket's buffer
    }
    ASSERT_TRUE(ReadUntil(static_cast<std::size_t>(expected)));
    WaitFor([] { return false; }, std::chrono::milliseconds(50));
    EXPECT_EQ(m_chat.Count(), static_cast<std::size_t>(expected));
    EXPECT_EQ(m_main.Count() + m_incoming.Count() + m_tray.Count(), 0u);
    for (const auto& event : m_chat.Events()) {
        EXPECT_EQ(event.packet.Text().size(), 260);
        EXPECT_EQ(event.packet.Sender().size(), 50);
    }
    EXPECT_TRUE(m_alerts.Texts().isEmpty());
}

TEST_F(TransportTest, AFailingReadIsReportedOncePerOutage)
{
    // Swap the socket for something that is no socket, and back.
    const int fd = m_transport.ReadFd();
    const int socketCopy = dup(fd);
    const int notASocket = eventfd(1, EFD_CLOEXEC);
    ASSERT_GE(dup2(notASocket, fd), 0);
    EXPECT_FALSE(m_transport.ReadPending());
    EXPECT_FALSE(m_transport.ReadPending());
    EXPECT_EQ(m_alerts.Texts(), QStringList{QStringLiteral("can't read mailslot")});

    ASSERT_GE(dup2(socketCopy, fd), 0);
    Inject(MessagePacket::Make(PACKET_CHAT, u"back", u"olga"));
    ASSERT_TRUE(ReadUntil(1));
    ASSERT_GE(dup2(notASocket, fd), 0);
    EXPECT_FALSE(m_transport.ReadPending());
    EXPECT_EQ(m_alerts.Texts().size(), 2);

    dup2(socketCopy, fd);
    close(socketCopy);
    close(notASocket);
}

TEST(TransportWiresTest, ARecordTravelsBothWiresIsHeardOnceAndAWindowsPeerIsHeard)
{
    RecordingAlertSink alerts;
    CMailslotTransport transport(alerts, LoopbackEndpoints(true));
    ASSERT_EQ(transport.MailslotState(), MailslotWire::State::Open);
    EXPECT_EQ(transport.ReadFds().size(), 2u);
    RecordingReceiver chat, others;
    transport.SetTargets({&chat, &others, &others, &others, nullptr});

    // Beside the program, a second reader of the port (as Samba's nmbd binds it) hears the
    // broadcasts too.
    const int beside = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    const int on = 1;
    setsockopt(beside, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in any{};
    any.sin_family = AF_INET;
    any.sin_port = htons(transport.MailslotPort());
    ASSERT_EQ(bind(beside, reinterpret_cast<const sockaddr*>(&any), sizeof any), 0);

    const MessagePacket mine = MessagePacket::Make(PACKET_CHAT, u"по обоим проводам", u"ivan");
    ASSERT_TRUE(transport.Send(mine));
    char datagram[2048];
    const ssize_t size = recv(beside, datagram, sizeof datagram, 0);
    close(beside);
    MessagePacket carried;
    ASSERT_TRUE(MailslotDatagram::Decode(datagram, static_cast<std::size_t>(std::max<ssize_t>(size, 0)), &carried));
    EXPECT_EQ(std::memcmp(&carried, &mine, sizeof mine), 0);

    // A Windows copy writes the mailslot only.
    MailslotDatagram::Origin windows;
    windows.sourceAddress = 0x7F000001;
    windows.sourceName = "WINPC";
    windows.groupName = "WORKGROUP";
    const MessagePacket theirs = MessagePacket::Make(PACKET_CHAT, u"from Windows", u"petr");
    ASSERT_TRUE(RawDatagram().Send(transport.MailslotPort(), MailslotDatagram::Encode(windows, &theirs)));

    ASSERT_TRUE(WaitFor([&] {
        transport.ReadPending();
        return chat.Count() >= 2;
    }));
    WaitFor([&] { return transport.ReadPending() && false; }, std::chrono::milliseconds(100));
    ASSERT_EQ(chat.Count(), 2u);
    EXPECT_EQ(chat.Events()[0].packet.Text(), QStringLiteral("по обоим проводам"));
    EXPECT_EQ(chat.Events()[1].packet.Text(), QStringLiteral("from Windows"));
    EXPECT_TRUE(alerts.Texts().isEmpty());
}

// An outage made with a real interface in a private network: its address removed, then its
// link down. The kernel's reports of the changes reach the transport through the event loop.
TEST(TransportSendingTest, InAnOutageWhatTheUserWroteIsNeverSentAndEachIsShownPresenceOncePerOutage)
{
    const std::string failure = PrivateNetwork::Run([]() -> std::string {
        const auto ip = [](const char* command) {
            return std::system((std::string("ip ") + command + " 2>/dev/null").c_str()) == 0;
        };
        if (!PrivateNetwork::SetLoopbackUp(true) || !ip("link add d0 type veth peer name d1") || !ip("link set d1 up")
            || !ip("addr add 10.9.0.1/24 brd + dev d0") || !ip("link set d0 up"))
            return PrivateNetwork::Unavailable();
        const OwnUserNameOverride me(QStringLiteral("ivan"));
        TransportEndpoints endpoints = LoopbackEndpoints(true);
        endpoints.networks = BroadcastNetworks;
        RecordingAlertSink alerts;
        CMailslotTransport transport(alerts, endpoints);
        RecordingReceiver chat, incoming, main, tray;
        transport.SetTargets({&chat, &incoming, &main, &tray, nullptr});
        if (!transport.IsOpen())
            return "not open";

        std::string log;
        const auto step = [&](const MessagePacket& packet) {
            QCoreApplication::processEvents(); // the kernel's reports of changed interfaces
            const bool sent = transport.Send(packet);
            // Longer than the span in which an equal record counts as a copy.
            WaitFor([&] { return transport.ReadPending() && false; }, std::chrono::milliseconds(60));
            transport.Received().DeliverWaiting(); // as the Online window's tick takes waiting presence
            log += (sent ? "sent" : "failed") + std::to_string(alerts.Texts().size()) + ' ';
        };
        const auto presence = MessagePacket::Make(PACKET_PRESENCE, u"Подтверждение...", u"ivan");
        const auto chatPresence = MessagePacket::Make(PACKET_CHAT_PRESENCE, u"none", u"ivan");
        const auto line = [](const char16_t* text) { return MessagePacket::Make(PACKET_CHAT, text, u"ivan"); };
        const auto message = MessagePacket::Make(PACKET_MESSAGE, u"text", u"ivan", u"ivan");

        step(line(u"before"));
        ip("addr del 10.9.0.1/24 dev d0");
        step(presence);
        step(chatPresence);
        step(line(u"lost 1"));
        step(message);
        step(presence);
        ip("addr add 10.9.0.1/24 brd + dev d0");
        step(presence);
        step(line(u"after"));
        ip("link set d0 down");
        step(line(u"lost 2"));
        step(presence);
        step(presence);

        // The box for the lost line already told of the second outage: presence adds none.
        const std::string expected
            = "sent0 failed1 failed1 failed2 failed3 failed3 sent3 sent3 failed4 failed4 failed4 ";
        if (log != expected)
            return "sends and boxes: " + log;
        WaitFor([&] { return transport.ReadPending() && chat.Count() >= 2 && main.Count() >= 6; });
        std::string lines;
        for (const auto& event : chat.Events())
            lines += event.packet.Text().toStdString() + ';';
        if (lines != "before;after;")
            return "chat room: " + lines;
        if (!incoming.Events().empty())
            return "a message that did not go out came back";
        // Heard on loopback in the outage: this copy still lists itself.
        if (main.Count() != 6)
            return "presence heard: " + std::to_string(main.Count());
        for (const QString& text : alerts.Texts())
            if (text != kNetworkError)
                return "unexpected text";
        return "";
    });
    if (failure == PrivateNetwork::Unavailable())
        GTEST_SKIP() << failure;
    EXPECT_EQ(failure, "");
}
