#include "relay/SiteRelay.h"

#include "platform/Logging.h"

#include <algorithm>

namespace {

bool IsPresence(const MessagePacket& packet)
{
    return packet.type == PACKET_PRESENCE || packet.type == PACKET_CHAT_PRESENCE;
}

} // namespace

void SiteRelay::SegmentTransport::Dispatch(MessagePacket packet, quint32 from)
{
    if (packet.type == PACKET_MESSAGE)
        Received().PushMessage(packet, false, from);
    else
        CMailslotTransport::Dispatch(packet, from);
}

SiteRelay::SiteRelay(AlertSink& alerts, RelayConfig config, TransportEndpoints endpoints)
    : m_config(std::move(config))
    , m_transport(alerts, std::move(endpoints))
    , m_link(m_config)
{
    m_transport.Received().SetHandler(this);
    // A copy's tick takes the presence of known senders from the queue; the relay's must too,
    // and soon, as the copies behind the broker count their ticks from its arrival.
    m_deliveryTick.setInterval(kDeliveryMs);
    connect(&m_deliveryTick, &QTimer::timeout, &m_transport.Received(), &ReceiveQueue::DeliverWaiting);
    m_election.setSingleShot(true);
    m_election.setInterval(kElectionSpan);
    connect(&m_election, &QTimer::timeout, this, &SiteRelay::Decide);
    m_heartbeat.setInterval(kHeartbeat);
    connect(&m_heartbeat, &QTimer::timeout, this, &SiteRelay::OnHeartbeat);
    connect(&m_link, &MqttLink::Connected, this, &SiteRelay::OnConnected);
    connect(&m_link, &MqttLink::Disconnected, this, &SiteRelay::OnDisconnected);
    connect(&m_link, &MqttLink::Received, this, &SiteRelay::OnBrokerMessage);
    connect(&m_link, &MqttLink::Published, this, &SiteRelay::OnPublished);
}

SiteRelay::~SiteRelay()
{
    m_link.Stop();
    if (m_pLookupThread)
        m_pLookupThread->Stop();
}

bool SiteRelay::Start(QString* error)
{
    if (!m_link.Start(error))
        return false;
    m_pLookupThread = std::make_unique<CLookupThread>(m_transport);
    if (!m_pLookupThread->Start()) {
        m_pLookupThread.reset();
        *error = QStringLiteral("cannot start the listener");
        return false;
    }
    m_deliveryTick.start();
    m_heartbeat.start();
    // The client's own retries say nothing while the broker has never answered.
    QTimer::singleShot(kFirstContactSpan, this, [this] {
        if (!m_bEverConnected)
            qCWarning(lcRelay).noquote() << "broker" << m_config.broker.toDisplayString(QUrl::RemoveUserInfo)
                                         << "has not answered yet; trying again";
    });
    return true;
}

bool SiteRelay::IsLowestRelay()
{
    const auto now = std::chrono::steady_clock::now();
    std::erase_if(m_relays, [&](const auto& relay) { return now - relay.second > kRelaySilence; });
    return m_relays.empty() || m_relays.begin()->first > m_config.relayId;
}

void SiteRelay::OnConnected()
{
    qCInfo(lcRelay).noquote() << "connected to" << m_config.broker.toDisplayString(QUrl::RemoveUserInfo);
    m_bConnected = true;
    m_bEverConnected = true;
    m_link.Subscribe(m_config.RecordsTopic(QStringLiteral("+")));
    m_link.Subscribe(m_config.RelaysTopic() + QStringLiteral("/+"));
    OnHeartbeat();
    m_election.start();
}

void SiteRelay::OnDisconnected(const QString& why)
{
    if (m_bConnected || !m_bEverConnected)
        qCWarning(lcRelay).noquote() << "broker" << m_config.broker.toDisplayString(QUrl::RemoveUserInfo)
                                     << "-" << why << "Trying again with a back-off.";
    m_bConnected = false;
    m_bElected = false;
    m_election.stop();
}

void SiteRelay::OnHeartbeat()
{
    if (!m_bConnected)
        return;
    m_link.Publish(m_config.RelaysTopic() + u'/' + m_config.relayId, QByteArrayLiteral("1"), 0, false);
    // A forwarder that fell silent is replaced here.
    if (m_bElected)
        Decide();
}

void SiteRelay::Decide()
{
    const bool forwarding = IsLowestRelay();
    if (forwarding != m_bForwarding || !m_bElected)
        qCInfo(lcRelay).noquote() << (forwarding ? "this relay forwards the site's records"
                                                 : "another relay of the site forwards; standing by");
    m_bElected = true;
    m_bForwarding = forwarding;
    if (forwarding) {
        for (const MessagePacket& record : m_undecided)
            ToSegment(record);
        Flush();
    } else {
        m_waiting.clear();
    }
    m_undecided.clear();
}

void SiteRelay::OnBrokerMessage(const QString& topic, const QByteArray& payload)
{
    const QString relays = m_config.RelaysTopic() + u'/';
    if (topic.startsWith(relays)) {
        const QString id = topic.mid(relays.size());
        if (id != m_config.relayId && !payload.isEmpty())
            m_relays[id] = std::chrono::steady_clock::now();
        return;
    }
    const QString records = m_config.topicPrefix + u'/';
    const QString site = topic.mid(records.size());
    if (!topic.startsWith(records) || site.contains(u'/') || site == m_config.site)
        return;
    // A batch of whole records; each passes the same test as a datagram on the wire.
    const qsizetype size = sizeof(MessagePacket);
    if (payload.isEmpty() || payload.size() % size != 0 || payload.size() > qsizetype(kBatchRecords) * size)
        return;
    for (qsizetype at = 0; at < payload.size(); at += size) {
        const std::optional<MessagePacket> record = MessagePacket::FromBytes(QByteArrayView(payload).sliced(at, size));
        if (!record)
            continue;
        // Right after (re)connecting the broker hands over what it kept for the relay, before
        // the relays have decided who forwards: that waits for the decision, not dropped.
        if (!m_bElected) {
            if (m_undecided.size() < kBufferedRecords)
                m_undecided.push_back(*record);
        } else if (IsForwarding()) {
            ToSegment(*record);
        }
    }
}

void SiteRelay::ToSegment(const MessagePacket& record)
{
    const auto now = std::chrono::steady_clock::now();
    while (!m_broadcast.empty() && now - m_broadcast.front().at > kEchoSpan)
        m_broadcast.pop_front();
    m_broadcast.push_back({now, record});
    m_transport.Send(record);
}

bool SiteRelay::IsEcho(const MessagePacket& packet)
{
    const auto now = std::chrono::steady_clock::now();
    while (!m_broadcast.empty() && now - m_broadcast.front().at > kEchoSpan)
        m_broadcast.pop_front();
    return std::ranges::any_of(m_broadcast, [&](const Broadcast& sent) { return sent.record.SameContent(packet); });
}

void SiteRelay::OnPresence(const MessagePacket& packet, bool, quint32)
{
    FromSegment(packet);
}

void SiteRelay::OnMessage(const MessagePacket& packet, bool, quint32)
{
    FromSegment(packet);
}

void SiteRelay::OnChatLine(const MessagePacket& packet, quint32)
{
    FromSegment(packet);
}

void SiteRelay::FromSegment(const MessagePacket& packet)
{
    if (IsEcho(packet) || (m_bElected && !m_bForwarding))
        return;
    // Late presence would keep a user listed who is gone: it goes now or never.
    if (IsPresence(packet)) {
        if (IsForwarding())
            m_link.Publish(m_config.RecordsTopic(m_config.site), packet.Bytes(), 0, false);
        return;
    }
    if (m_waiting.size() == kBufferedRecords) {
        if (m_dropped++ == 0)
            qCWarning(lcRelay) << "the broker takes nothing: more than" << kBufferedRecords
                               << "lines and messages wait; the oldest go";
        m_waiting.pop_front();
    }
    m_waiting.push_back(packet);
    if (IsForwarding())
        Flush();
}

void SiteRelay::Flush()
{
    if (m_batchOnItsWay || m_waiting.empty())
        return;
    const std::size_t count = std::min(m_waiting.size(), kBatchRecords);
    QByteArray batch;
    batch.reserve(qsizetype(count * sizeof(MessagePacket)));
    for (std::size_t i = 0; i < count; ++i)
        batch += m_waiting[i].Bytes();
    int id = 0;
    // Once it has an id the batch is the client's: it sends it when it can.
    if (!m_link.Publish(m_config.RecordsTopic(m_config.site), batch, 2, false, &id) && id == 0)
        return;
    m_batchOnItsWay = id;
    m_waiting.erase(m_waiting.begin(), m_waiting.begin() + std::ptrdiff_t(count));
    if (m_waiting.empty() && m_dropped > 0) {
        qCWarning(lcRelay) << m_dropped << "lines and messages were lost while the broker was away";
        m_dropped = 0;
    }
}

void SiteRelay::OnPublished(int id)
{
    // The client sends a batch again after a reconnect until the broker has it.
    if (m_batchOnItsWay != id)
        return;
    m_batchOnItsWay.reset();
    if (IsForwarding())
        Flush();
}
