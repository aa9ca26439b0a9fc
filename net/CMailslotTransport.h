#pragma once

#include "net/MessagePacket.h"
#include "net/ReceiveQueue.h"
#include "platform/BroadcastReceiver.h"
#include "platform/BroadcastSender.h"
#include "platform/NamedEndpoint.h"
#include "platform/PellwickPort.h"

#include <QByteArray>

#include <atomic>
#include <chrono>
#include <optional>

class AlertSink;

// Where the transport lives. Tests use port 0 (any free port, heard back on loopback), a
// name of their own and no interfaces, so that they never reach a real network.
struct TransportEndpoints {
    quint16 port = kPellwickPort;
    QByteArray confirmName = kConfirmEndpointName;
    BroadcastSender::DestinationSource destinations = DirectedBroadcasts;
};

// The receivers of Dispatch, set before the listener starts and unchanged while it runs.
struct DispatchTargets {
    QObject* chatWnd = nullptr;
    QObject* incomingWnd = nullptr;
    QObject* mainWnd = nullptr;
    QObject* trayWnd = nullptr;
    // Kept by the GUI thread: the Incoming Messages window is the active window.
    const std::atomic<bool>* incomingActive = nullptr;
};

// The program's only link to the network: the read socket, the broadcast write side and the
// confirmation endpoint, opened in that order by the constructor. The GUI thread sends; the
// listener thread reads (ReadPending) and routes (Dispatch) into the queue that hands the
// records to the windows. Made on the GUI thread.
class CMailslotTransport {
public:
    explicit CMailslotTransport(AlertSink& alerts, TransportEndpoints endpoints = {});
    virtual ~CMailslotTransport();
    CMailslotTransport(const CMailslotTransport&) = delete;
    CMailslotTransport& operator=(const CMailslotTransport&) = delete;

    // Listener thread: routes one record by its type.
    virtual void Dispatch(MessagePacket packet);

    // GUI thread: broadcasts one record. A failure is shown every time for what the user
    // wrote (chat lines, messages) and once per outage for the automatic announcements.
    virtual bool Send(MessagePacket packet);

    bool IsOpen() const;
    void Close();

    // GUI thread, before the listener starts.
    void SetTargets(const DispatchTargets& targets);

    // Listener thread: reads what waits (at most a bounded batch, so that a flood cannot hold
    // the listener from its stop signal), drops immediate repeats, dispatches the rest.
    // False when a read failed.
    bool ReadPending();

    int ReadFd() const { return m_readSlot.Fd(); }
    quint16 Port() const { return m_readSlot.Port(); }
    ReceiveQueue& Received() { return m_received; }

private:
    bool IsRepeat(const MessagePacket& packet, std::chrono::steady_clock::time_point now) const;

    AlertSink& m_alerts;
    const std::atomic<bool>* m_incomingActive = nullptr;
    ReceiveQueue m_received;

    NamedEndpoint m_hConfirmSlot;
    BroadcastReceiver m_readSlot;
    BroadcastSender m_hBroadcast;

    // GUI thread: a failed send has been shown and no send succeeded since.
    bool m_bSendOutageShown = false;

    // Listener thread: the record read last, and when, for the repeat test.
    MessagePacket m_lastRecord;
    std::optional<std::chrono::steady_clock::time_point> m_lastReadTime;
    // Listener thread: a failed read has been shown and no read succeeded since.
    bool m_bReadOutageShown = false;
};
