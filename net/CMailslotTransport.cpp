#include "net/CMailslotTransport.h"

#include "platform/AlertSink.h"
#include "platform/OwnUserName.h"
#include "platform/Windows1251.h"

namespace {

// Copies of one broadcast that arrive over several interfaces come within microseconds of
// each other. A record equal to the one read before it and read within this span is one of
// those copies. Presence, sent once a second, is never absorbed.
constexpr std::chrono::milliseconds kRepeatSpan(50);

// Bounds one ReadPending, so the listener sees its stop signal even under a flood.
constexpr int kMaxRecordsPerRead = 256;

} // namespace

CMailslotTransport::CMailslotTransport(AlertSink& alerts, TransportEndpoints endpoints)
    : m_alerts(alerts)
    , m_hBroadcast(std::move(endpoints.destinations))
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
    if (!m_hConfirmSlot.Claim(endpoints.confirmName))
        m_alerts.ShowAlert(QStringLiteral("Невозможно создать почтовый ящик."));
}

CMailslotTransport::~CMailslotTransport()
{
    Close();
}

void CMailslotTransport::SetTargets(const DispatchTargets& targets)
{
    m_incomingActive = targets.incomingActive;
    m_received.SetTargets({targets.chatWnd, targets.incomingWnd, targets.mainWnd, targets.trayWnd});
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
}

bool CMailslotTransport::Send(MessagePacket packet)
{
    if (!m_readSlot.IsOpen() || !m_hBroadcast.IsOpen())
        return false;
    if (m_hBroadcast.Send(&packet, sizeof packet)) {
        m_bSendOutageShown = false;
        return true;
    }
    const bool userText = packet.type == PACKET_CHAT || packet.type == PACKET_MESSAGE;
    if (userText || !m_bSendOutageShown)
        m_alerts.ShowAlert(QStringLiteral("Ошибка в работе сети."));
    m_bSendOutageShown = true;
    return false;
}

bool CMailslotTransport::IsRepeat(const MessagePacket& packet, std::chrono::steady_clock::time_point now) const
{
    return m_lastReadTime && now - *m_lastReadTime < kRepeatSpan && packet.SameContent(m_lastRecord);
}

bool CMailslotTransport::ReadPending()
{
    MessagePacket record;
    for (int i = 0; i < kMaxRecordsPerRead; ++i) {
        switch (m_readSlot.Receive(&record, sizeof record)) {
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
        case BroadcastReceiver::Result::Record: {
            m_bReadOutageShown = false;
            const auto now = std::chrono::steady_clock::now();
            if (!IsRepeat(record, now))
                Dispatch(record);
            m_lastRecord = record;
            m_lastReadTime = now;
            break;
        }
        }
    }
    return true;
}

void CMailslotTransport::Dispatch(MessagePacket packet)
{
    switch (packet.type) {
    case PACKET_CHAT:
        m_received.PushChatLine(packet);
        break;
    case PACKET_MESSAGE: {
        // The own name is fetched anew for each packet, in the form it takes on the wire.
        if (!packet.IsForUser(Windows1251::Encode(GetOwnUserName())))
            break;
        const bool incomingInFront = m_incomingActive && m_incomingActive->load();
        m_received.PushMessage(packet, !incomingInFront);
        break;
    }
    case PACKET_PRESENCE:
    case PACKET_CHAT_PRESENCE:
        m_received.PushPresence(packet, packet.type == PACKET_CHAT_PRESENCE);
        break;
    default:
        break;
    }
}
