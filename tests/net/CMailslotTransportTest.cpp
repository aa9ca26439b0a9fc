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

#include <cstdlib>
#include <cstring>

namespace {

const QString kMailboxFailed = QStringLiteral("Невозможно создать почтовый ящик.");

QStringList Texts(const std::vector<RecordingReceiver::Received>& records)
{
    QStringList texts;
    for (const auto& record : records)
        texts.append(record.packet.Text());
    return texts;
}

// Reads for a while so that whatever else arrived is seen too.
void ReadOn(CMailslotTransport& transport, int ms)
{
    WaitFor([&] { return transport.ReadPending() && false; }, std::chrono::milliseconds(ms));
}

class TransportTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_transport.IsOpen());
        m_transport.Received().SetHandler(&m_received);
        m_transport.SetIncomingInFront(&m_incomingActive);
    }

    // Reads what arrives and lets the queue hand it on until total records came through.
    bool ReadUntil(std::size_t total)
    {
        return WaitFor([&] {
            m_transport.ReadPending();
            return m_received.Count() >= total;
        });
    }

    void Inject(const MessagePacket& packet) { ASSERT_TRUE(m_raw.Send(m_transport.Port(), &packet, sizeof packet)); }

    RecordingAlertSink m_alerts;
    CMailslotTransport m_transport{m_alerts, LoopbackEndpoints(true)};
    RecordingReceiver m_received;
    std::atomic<bool> m_incomingActive{false};
    RawDatagram m_raw;
    const OwnUserNameOverride m_me{QStringLiteral("ivan")};
};

} // namespace

// The name is taken by another copy: closed, yet its announcements still go out. (A taken port
// is walked by the conversation system test.)
TEST(TransportOpeningTest, ATakenConfirmationNameClosesTheCopyWithOneNotice)
{
    const TransportEndpoints sameName = LoopbackEndpoints();
    NamedEndpoint other;
    ASSERT_TRUE(other.Claim(sameName.confirmName));
    RecordingAlertSink alerts;
    CMailslotTransport copy(alerts, sameName);
    EXPECT_FALSE(copy.IsOpen());
    EXPECT_TRUE(copy.Send(MessagePacket::Make(PACKET_PRESENCE, u"Подтверждение...", u"ivan")));
    copy.Close(); // nothing left to close, nothing reported
    EXPECT_EQ(alerts.Texts(), QStringList{kMailboxFailed});
}

TEST_F(TransportTest, EachRecordFromEitherWireGoesWholeAndOnceToItsWindowAndWrongSizesToNone)
{
    ASSERT_EQ(m_transport.MailslotState(), MailslotWire::State::Open);
    m_incomingActive = true; // a message while Incoming Messages is in front flashes nothing
    Inject(MessagePacket::Make(PACKET_MESSAGE, u"seen", u"olga", u"All"));
    ASSERT_TRUE(ReadUntil(1));
    m_incomingActive = false;

    const MessagePacket own = MessagePacket::Make(PACKET_CHAT, u"строка чата", u"ivan");
    ASSERT_TRUE(m_transport.Send(own)); // on both wires, heard on both
    // A Windows copy writes the mailslot only.
    const MailslotDatagram::Origin windows{
        .sourceAddress = 0x7F000001, .sourceName = "WINPC", .groupName = "WORKGROUP"};
    const MessagePacket theirs = MessagePacket::Make(PACKET_CHAT, u"from Windows", u"petr");
    ASSERT_TRUE(m_raw.Send(m_transport.MailslotPort(), MailslotDatagram::Encode(windows, &theirs)));
    for (const int size : {0, 1, 363, 365, 65507})
        ASSERT_TRUE(m_raw.Send(m_transport.Port(), QByteArray(size, 'x')));
    Inject(MessagePacket::Make(PACKET_PRESENCE, u"Подтверждение...", u"olga"));
    Inject(MessagePacket::Make(PACKET_CHAT_PRESENCE, u"none", u"olga"));
    Inject(MessagePacket::Make(7, u"unknown", u"olga"));
    Inject(MessagePacket::Make(PACKET_MESSAGE, u"to all from me", u"ivan", u"All"));
    Inject(MessagePacket::Make(PACKET_MESSAGE, u"to me from me", u"ivan", u"ivan"));
    Inject(MessagePacket::Make(PACKET_CHAT, u"last", u"olga"));
    Inject(MessagePacket::Make(PACKET_CHAT, u"last", u"olga")); // its copy over a second interface
    ASSERT_TRUE(ReadUntil(7));
    ReadOn(m_transport, 100);

    QStringList chat = Texts(m_received.chat);
    chat.sort(); // the two wires are read in turn
    ASSERT_EQ(chat,
              (QStringList{QStringLiteral("from Windows"), QStringLiteral("last"), QStringLiteral("строка чата")}));
    EXPECT_EQ(std::memcmp(&m_received.chat[0].packet, &own, sizeof own), 0);
    ASSERT_EQ(m_received.presence.size(), 2u);
    EXPECT_FALSE(m_received.presence[0].flag);
    EXPECT_TRUE(m_received.presence[1].flag);
    EXPECT_EQ(Texts(m_received.incoming), (QStringList{QStringLiteral("seen"), QStringLiteral("to me from me")}));
    EXPECT_EQ(m_received.Unnoticed(), 1u);
    EXPECT_FALSE(m_received.incoming[0].flag);
    EXPECT_TRUE(m_alerts.Texts().isEmpty());
}

// An outage on a real interface in a private network: its address removed, then its link
// down. The kernel's reports of the changes reach the transport through the event loop.
TEST(TransportSendingTest, InAnOutageWhatTheUserWroteIsNeverSentAndEachIsShownPresenceOncePerOutage)
{
    const std::string failure = PrivateNetwork::Run([]() -> std::string {
        const auto ip = [](const char* command) {
            return std::system((std::string("ip ") + command + " 2>/dev/null").c_str()) == 0;
        };
        if (!PrivateNetwork::SetLoopbackUp(true) || !ip("link add d0 type veth peer name d1") || !ip("link set d1 up")
            || !ip("addr add 10.9.0.1/24 brd + dev d0") || !ip("link set d0 up"))
            return PrivateNetwork::Unavailable();
        // The kernel marks a new link running some time after "ip link set up" returned.
        if (!WaitFor([] { return !BroadcastNetworks().empty(); }))
            return "the test link never came to run";
        const OwnUserNameOverride me(QStringLiteral("ivan"));
        TransportEndpoints endpoints = LoopbackEndpoints(true);
        endpoints.networks = BroadcastNetworks;
        RecordingAlertSink alerts;
        CMailslotTransport transport(alerts, endpoints);
        RecordingReceiver received;
        transport.Received().SetHandler(&received);
        if (!transport.IsOpen())
            return "not open";

        std::string log;
        const auto step = [&](const MessagePacket& packet) {
            QCoreApplication::processEvents(); // the kernel's reports of changed interfaces
            const bool sent = transport.Send(packet);
            ReadOn(transport, 60); // longer than the span in which an equal record counts as a copy
            transport.Received().DeliverWaiting(); // as the session's tick takes waiting presence
            log += (sent ? "sent" : "failed") + std::to_string(alerts.Texts().size()) + ' ';
        };
        const auto presence = MessagePacket::Make(PACKET_PRESENCE, u"Подтверждение...", u"ivan");
        const auto line = [](const char16_t* text) { return MessagePacket::Make(PACKET_CHAT, text, u"ivan"); };

        step(line(u"before"));
        ip("addr del 10.9.0.1/24 dev d0");
        step(presence);
        step(MessagePacket::Make(PACKET_CHAT_PRESENCE, u"none", u"ivan"));
        step(line(u"lost 1"));
        step(MessagePacket::Make(PACKET_MESSAGE, u"text", u"ivan", u"ivan"));
        step(presence);
        ip("addr add 10.9.0.1/24 brd + dev d0");
        step(presence);
        step(line(u"after"));
        ip("link set d0 down");
        step(line(u"lost 2"));
        step(presence);
        step(presence);

        // The box for the lost line already told of the second outage: presence adds none.
        if (log != "sent0 failed1 failed1 failed2 failed3 failed3 sent3 sent3 failed4 failed4 failed4 ")
            return "sends and boxes: " + log;
        WaitFor([&] { return transport.ReadPending() && received.chat.size() >= 2 && received.presence.size() >= 6; });
        if (Texts(received.chat) != QStringList{QStringLiteral("before"), QStringLiteral("after")})
            return "chat room: " + Texts(received.chat).join(u';').toStdString();
        if (!received.incoming.empty())
            return "a message that did not go out came back";
        if (received.presence.size() != 6) // heard on loopback in the outage: this copy still lists itself
            return "presence heard: " + std::to_string(received.presence.size());
        if (alerts.Texts().removeAll(QStringLiteral("Ошибка в работе сети.")) != 4)
            return "unexpected text";
        return "";
    });
    if (failure == PrivateNetwork::Unavailable())
        GTEST_SKIP() << failure;
    EXPECT_EQ(failure, "");
}
