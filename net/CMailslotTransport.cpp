#include "net/CMailslotTransport.h"

#include "platform/AlertSink.h"
#include "platform/Logging.h"
#include "platform/ThreadCheck.h"
#include "platform/OwnUserName.h"
#include "platform/Windows1251.h"

#include <algorithm>

static_assert(sizeof(MessagePacket) == MailslotDatagram::kRecordSize);

namespace {

// Bounds one ReadPending, so the listener sees its stop signal even under a flood.
constexpr int kMaxRecordsPerRead = 256;

} // namespace

CMailslotTransport::CMailslotTransport(AlertSink& alerts, TransportEndpoints endpoints)
    : m_alerts(alerts)
    , m_extraNetworks(endpoints.extraNetworks)
    , m_networks(std::move(endpoints.networks), [this] { m_extraNetworks.Refresh(); })
{
    if (!m_readSlot.Open(endpoints.port)) {
        m_alerts.ShowAlert(QStringLiteral("Невозможно создать почтовый ящик."));
        return;
    }
    // Port 0 (tests) means the read side's port, so the transport hears itself.
    if (!m_hBroadcast.Open(m_readSlot.Port())) {
        m_alerts.ShowAlert(QStringLiteral("Невозможно создать файл MSFS."));
        return;
    }
    if (!m_hConfirmSlot.Claim(endpoints.confirmName)) {
        m_alerts.ShowAlert(QStringLiteral("Невозможно создать почтовый ящик."));
        return;
    }
    if (endpoints.mailslotPort
        && m_mailslot.Open(*endpoints.mailslotPort, endpoints.computerName, endpoints.workgroup)
            != MailslotWire::State::Open)
        qCInfo(lcNet) << "the Windows peers' wire is off: port" << *endpoints.mailslotPort << "cannot be opened";
}

CMailslotTransport::~CMailslotTransport()
{
    Close();
}

bool CMailslotTransport::IsOpen() const
{
    return m_readSlot.IsOpen() && m_hBroadcast.IsOpen() && m_hConfirmSlot.IsHeld();
}

void CMailslotTransport::Close()
{
    m_readSlot.Close();
    m_hConfirmSlot.Release();
    m_hBroadcast.Close();
    m_mailslot.Close();
}

std::vector<int> CMailslotTransport::ReadFds() const
{
    std::vector<int> fds{m_readSlot.Fd()};
    if (m_mailslot.IsOpen())
        fds.push_back(m_mailslot.Fd());
    return fds;
}

bool CMailslotTransport::SendOnBothWires(const MessagePacket& packet)
{
    // An extra network that is also attached gets the record once.
    m_destinations = m_networks.Current();
    for (const Ipv4Network& extra : m_extraNetworks.Current())
        if (std::ranges::none_of(m_destinations, [&](auto& n) { return n.broadcast == extra.broadcast; }))
            m_destinations.push_back(extra);
    const bool own = m_hBroadcast.Send(&packet, sizeof packet, m_destinations);
    return m_mailslot.Send(&packet, m_destinations) || own;
}

bool CMailslotTransport::Send(MessagePacket packet)
{
    if (!m_readSlot.IsOpen() || !m_hBroadcast.IsOpen())
        return false;
    const bool userText = packet.type == PACKET_CHAT || packet.type == PACKET_MESSAGE;
    const bool hadNetworks = !m_networks.Current().empty();
    // A send that failed where networks were known, or a line the user wrote, may have met a
    // report of a change still on its way: look at the interfaces at once. Without a network,
    // the presence waits for the kernel's report instead of a look every second.
    if (SendOnBothWires(packet) || ((hadNetworks || userText) && m_networks.LookAgain() && SendOnBothWires(packet))) {
        m_bSendOutageShown = false;
        return true;
    }
    // Heard by this copy alone, a line would look sent in its own Chat Room.
    if (!userText)
        m_hBroadcast.SendToLoopback(&packet, sizeof packet);
    if (userText || !m_bSendOutageShown)
        m_alerts.ShowAlert(QStringLiteral("Ошибка в работе сети."));
    m_bSendOutageShown = true;
    return false;
}

bool CMailslotTransport::ReadPending()
{
    const bool own = ReadWire(RepeatFilter::OWN_WIRE,
                              [this](MessagePacket& record, RepeatFilter::Clock::time_point& at, DatagramOrigin& from) {
                                  return m_readSlot.Receive(&record, sizeof record, at, from);
                              });
    if (!m_mailslot.IsOpen())
        return own;
    const bool windows = ReadWire(RepeatFilter::MAILSLOT_WIRE,
                                  [this](MessagePacket& record, RepeatFilter::Clock::time_point& at, DatagramOrigin& from) {
                                      return m_mailslot.Receive(&record, at, from);
                                  });
    return own && windows;
}

template <typename Receive> bool CMailslotTransport::ReadWire(RepeatFilter::Wire wire, Receive receive)
{
    MessagePacket record;
    RepeatFilter::Clock::time_point arrived;
    DatagramOrigin from;
    for (int i = 0; i < kMaxRecordsPerRead; ++i) {
        switch (receive(record, arrived, from)) {
        case BroadcastReceiver::Result::Empty:
            return true;
        case BroadcastReceiver::Result::Failed:
            if (!m_bReadOutageShown)
                m_alerts.ShowAlert(QStringLiteral("can't read mailslot"));
            m_bReadOutageShown = true;
            return false;
        case BroadcastReceiver::Result::Dropped:
            m_bReadOutageShown = false;
            break;
        case BroadcastReceiver::Result::Record:
            m_bReadOutageShown = false;
            if (!m_repeats.IsRepeat(wire, record, arrived, from))
                Dispatch(record, from.address);
            break;
        }
    }
    return true;
}

bool CMailslotTransport::IsFromThisMachine(quint32 from)
{
    ASSERT_GUI_THREAD();
    constexpr quint32 kLoopbackNet = 0x7f000000; // 127.0.0.0/8
    return (from & 0xff000000) == kLoopbackNet
        || std::ranges::any_of(m_networks.Current(), [from](const Ipv4Network& network) { return network.address == from; });
}

void CMailslotTransport::Dispatch(MessagePacket packet, quint32 from)
{
    switch (packet.type) {
    case PACKET_CHAT:
        m_received.PushChatLine(packet, from);
        break;
    case PACKET_MESSAGE: {
        // The own name is fetched anew for each packet, in the form it takes on the wire.
        if (!packet.IsForUser(Windows1251::Encode(GetOwnUserName())))
            break;
        const bool inFront = m_incomingInFront && m_incomingInFront->load();
        m_received.PushMessage(packet, !inFront, from);
        break;
    }
    case PACKET_PRESENCE:
    case PACKET_CHAT_PRESENCE:
        m_received.PushPresence(packet, packet.type == PACKET_CHAT_PRESENCE, from);
        break;
    default:
        break;
    }
}
