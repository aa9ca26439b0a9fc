#include "session/MessengerSession.h"

#include "platform/FreeMemory.h"
#include "platform/OwnUserName.h"
#include "platform/ThreadCheck.h"
#include "platform/Windows1251.h"

#include <utility>

using namespace Qt::StringLiterals;

MessengerSession::MessengerSession(AlertSink& alerts, TransportEndpoints endpoints, QObject* parent)
    : QObject(parent)
    , m_transport(alerts, std::move(endpoints))
    , m_roster(*this)
{
    m_transport.SetIncomingInFront(&m_bIncomingInFront);
    m_transport.Received().SetHandler(this);
    m_presenceTimer.setInterval(kPresenceMs);
    connect(&m_presenceTimer, &QTimer::timeout, this, &MessengerSession::OnPresenceTick);
    // The room's announcements keep their beat: the others drop the mark after a few silent ticks.
    m_chatPresenceTimer.setInterval(kChatPresenceMs);
    m_chatPresenceTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_chatPresenceTimer, &QTimer::timeout, this,
            [this] { Send(MessagePacket::Make(PACKET_CHAT_PRESENCE, u"none", GetOwnUserName())); });
}

MessengerSession::~MessengerSession()
{
    Stop();
}

bool MessengerSession::Start(bool announcePresence)
{
    ASSERT_GUI_THREAD();
    if (!IsOpen() || m_pLookupThread)
        return false;
    m_pLookupThread = std::make_unique<CLookupThread>(m_transport);
    if (!m_pLookupThread->Start()) {
        m_pLookupThread.reset();
        return false;
    }
    m_bAnnouncePresence = announcePresence;
    m_presenceTimer.start();
    return true;
}

void MessengerSession::Stop()
{
    m_presenceTimer.stop();
    m_chatPresenceTimer.stop();
    if (m_pLookupThread) {
        m_pLookupThread->Stop();
        m_pLookupThread.reset();
    }
}

bool MessengerSession::Send(const MessagePacket& packet)
{
    ASSERT_GUI_THREAD();
    const bool sent = m_transport.Send(packet);
    if (sent != m_bNetworkUp) {
        m_bNetworkUp = sent;
        if (sent)
            Q_EMIT NetworkBack();
        else
            Q_EMIT NetworkLost();
    }
    return sent;
}

QString MessengerSession::WireText(const QString& typed)
{
    QString text = typed;
    text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    return text;
}

MessengerSession::SendResult MessengerSession::CheckMessageText(const QString& typed)
{
    if (typed.isEmpty())
        return SendResult::EmptyText;
    return WireText(typed).size() > kMaxTextLength ? SendResult::TextTooLong : SendResult::Sent;
}

MessengerSession::SendResult MessengerSession::CheckChatLine(const QString& text)
{
    if (text.isEmpty())
        return SendResult::EmptyText;
    if (text.contains(u'\n') || text.contains(u'\r'))
        return SendResult::NotOneLine;
    return text.size() > kMaxTextLength ? SendResult::TextTooLong : SendResult::Sent;
}

bool MessengerSession::SendChatLine(const QString& text)
{
    return CheckChatLine(text) == SendResult::Sent && Send(MessagePacket::Make(PACKET_CHAT, text, GetOwnUserName()));
}

MessengerSession::SendResult MessengerSession::SendMessage(const QString& recipient, const QString& typed)
{
    if (const SendResult refused = CheckMessageText(typed); refused != SendResult::Sent)
        return refused;
    // "All" is everybody's address, never listed as a user.
    if (recipient != u"All" && !IsListed(recipient))
        return SendResult::NotListed;
    // Cut to the field, the name would address nobody (or somebody else).
    if (Windows1251::Encode(recipient).size() >= static_cast<qsizetype>(MessagePacket::kNameWidth))
        return SendResult::NameTooLong;
    return Send(MessagePacket::Make(PACKET_MESSAGE, WireText(typed), GetOwnUserName(), recipient)) ? SendResult::Sent
                                                                                        : SendResult::NoNetwork;
}

void MessengerSession::SetInChatRoom(bool inChatRoom)
{
    if (!inChatRoom)
        m_chatPresenceTimer.stop();
    else if (!m_chatPresenceTimer.isActive())
        m_chatPresenceTimer.start();
}

void MessengerSession::OnPresenceTick()
{
    if (m_bAnnouncePresence)
        Send(MessagePacket::Make(PACKET_PRESENCE, u"Подтверждение...", GetOwnUserName()));
    // Presence of users already seen waits for this moment (it does not wake the program).
    m_transport.Received().DeliverWaiting();
    const std::size_t listed = m_roster.Users().size();
    // What the windows freed for the senders gone at the last tick is freed by now.
    if (std::exchange(m_bReturnMemoryDue, false))
        ReturnFreeMemory();
    m_roster.Tick();
    // A storm of senders has gone: what was kept for them goes back.
    if (listed - m_roster.Users().size() >= kReturnMemoryAfter) {
        m_roster.Compact();
        m_transport.Received().ForgetSenders();
        m_bReturnMemoryDue = true;
    }
}

void MessengerSession::OnPresence(const MessagePacket& packet, bool chatPresence, quint32 from)
{
    if (chatPresence)
        m_roster.OnChatPresence(packet.Sender());
    else
        m_roster.OnPresence(packet.Sender(), from);
}

void MessengerSession::OnMessage(const MessagePacket& packet, bool unnoticed, quint32 from)
{
    Q_EMIT MessageReceived(ShownSender(packet, from), packet.Text(), unnoticed);
}

void MessengerSession::OnChatLine(const MessagePacket& packet, quint32 from)
{
    Q_EMIT ChatLineReceived(ShownSender(packet, from), packet.Text());
}

QString MessengerSession::ShownSender(const MessagePacket& packet, quint32 from)
{
    QString sender = packet.Sender();
    // Another computer that speaks in this user's name is never taken for the user.
    if (sender == GetOwnUserName() && !m_transport.IsFromThisMachine(from))
        sender += u" (%1.%2.%3.%4)"_s.arg(from >> 24).arg(from >> 16 & 0xff).arg(from >> 8 & 0xff).arg(from & 0xff);
    return sender;
}
