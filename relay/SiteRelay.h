#pragma once

#include "net/CLookupThread.h"
#include "net/CMailslotTransport.h"
#include "net/ReceiveQueue.h"
#include "relay/MqttLink.h"
#include "relay/RelayConfig.h"

#include <QObject>
#include <QTimer>

#include <chrono>
#include <deque>
#include <memory>
#include <map>
#include <optional>

class AlertSink;

// Bridges one segment and the broker. Every record heard on the segment (both wires) is
// published under the site's topic; every record of the other sites is broadcast on the
// segment (both wires), so that every copy there lists and hears their users.
// - No loops: a record heard on the segment within kEchoSpan of the relay broadcasting an
//   equal one is its own echo and is not published.
// - No doubles: each relay of a site says it is there once a second on the broker; the relay
//   with the lowest id among those heard in the last kRelaySilence forwards, the others stand by
//   (and one takes over when the forwarder falls silent).
// - Records from the broker while the relays decide wait for the decision.
// - Broker gone: presence is not kept (the others drop the site's users as their ticks say);
//   chat lines and messages wait, up to kBufferedRecords, the oldest going first.
// Lives on the GUI thread.
class SiteRelay : public QObject, private ReceiveQueue::Handler {
public:
    static constexpr std::size_t kBufferedRecords = 10000;
    // Lines and messages go to the broker in batches, one batch on its way at a time.
    static constexpr std::size_t kBatchRecords = 100;
    static constexpr std::chrono::milliseconds kEchoSpan{2000};
    static constexpr std::chrono::milliseconds kHeartbeat{1000};
    static constexpr std::chrono::milliseconds kRelaySilence{3500};
    // After (re)connecting, the other relays of the site are heard before the relay decides.
    static constexpr std::chrono::milliseconds kElectionSpan{2500};
    static constexpr int kDeliveryMs = 100;
    static constexpr std::chrono::seconds kFirstContactSpan{10};

    SiteRelay(AlertSink& alerts, RelayConfig config, TransportEndpoints endpoints);
    ~SiteRelay() override;

    bool IsOpen() const { return m_transport.IsOpen(); }
    bool Start(QString* error);
    bool IsForwarding() const { return m_bElected && m_bForwarding; }
    CMailslotTransport& Transport() { return m_transport; }

    // A message from the broker: the other sites' records go on the segment, the site's relay
    // markers decide who forwards; anything else is dropped.
    void OnBrokerMessage(const QString& topic, const QByteArray& payload);

private:
    // Hears every record the segment carries, whoever it is for.
    class SegmentTransport : public CMailslotTransport {
    public:
        using CMailslotTransport::CMailslotTransport;
        void Dispatch(MessagePacket packet, quint32 from) override;
    };

    void OnPresence(const MessagePacket& packet, bool chatPresence, quint32 from) override;
    void OnMessage(const MessagePacket& packet, bool unnoticed, quint32 from) override;
    void OnChatLine(const MessagePacket& packet, quint32 from) override;

    void FromSegment(const MessagePacket& packet);
    void ToSegment(const MessagePacket& record);
    bool IsEcho(const MessagePacket& packet);
    void OnConnected();
    void OnDisconnected(const QString& why);
    void Decide();
    void OnHeartbeat();
    void Flush();
    void OnPublished(int id);
    bool IsLowestRelay();

    const RelayConfig m_config;
    SegmentTransport m_transport;
    std::unique_ptr<CLookupThread> m_pLookupThread;
    MqttLink m_link;
    QTimer m_election;
    QTimer m_deliveryTick;
    QTimer m_heartbeat;
    bool m_bConnected = false;
    bool m_bElected = false;
    bool m_bForwarding = false;
    bool m_bEverConnected = false;
    std::map<QString, std::chrono::steady_clock::time_point> m_relays; // the others, when last heard
    std::deque<MessagePacket> m_waiting;
    std::optional<int> m_batchOnItsWay; // its message id
    std::deque<MessagePacket> m_undecided; // from the broker before the relays decided
    std::size_t m_dropped = 0;
    struct Broadcast {
        std::chrono::steady_clock::time_point at;
        MessagePacket record;
    };
    std::deque<Broadcast> m_broadcast;
};
