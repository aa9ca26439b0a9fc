#pragma once

#include "net/MessagePacket.h"
#include "net/ReceiveQueue.h"
#include "net/RepeatFilter.h"
#include "platform/BroadcastReceiver.h"
#include "platform/BroadcastSender.h"
#include "platform/ExtraNetworks.h"
#include "platform/MailslotWire.h"
#include "platform/NamedEndpoint.h"
#include "platform/NetworkList.h"
#include "platform/PellwickPort.h"

#include <QByteArray>

#include <atomic>
#include <optional>
#include <vector>

class AlertSink;

// Where the transport lives. Tests use port 0 (any free port), a name of their own and a
// loopback network, so that they never reach a real network.
struct TransportEndpoints {
    quint16 port = kPellwickPort;
    QByteArray confirmName = kConfirmEndpointName;
    NetworkList::Source networks = BroadcastNetworks;
    // The Windows peers' wire: its port (0: any free port), or none to leave it off.
    std::optional<quint16> mailslotPort = MailslotDatagram::kPort;
    QByteArray computerName = ComputerName();
    QByteArray workgroup = QByteArrayLiteral("WORKGROUP");
    // Hosts and subnets beyond the attached networks that get every record too, on both wires.
    QString extraNetworks;
};

// The program's only link to the network: the read socket, the broadcast write side and the
// confirmation endpoint, opened in that order by the constructor, and beside them the Windows
// peers' mailslot wire, which the program can do without. Every record goes out on both
// wires and is read from both. The GUI thread sends; the listener thread reads (ReadPending)
// and routes (Dispatch) into the queue that hands the records to the session on the GUI
// thread. Made on the GUI thread.
class CMailslotTransport {
public:
    explicit CMailslotTransport(AlertSink& alerts, TransportEndpoints endpoints = {});
    virtual ~CMailslotTransport();
    CMailslotTransport(const CMailslotTransport&) = delete;
    CMailslotTransport& operator=(const CMailslotTransport&) = delete;

    // Listener thread: routes one record, heard from the IPv4 address from, by its type.
    virtual void Dispatch(MessagePacket packet, quint32 from);

    // GUI thread: broadcasts one record on every network; true when one took it. What the
    // user wrote (chat lines, messages) goes out on a network or not at all, and a failure is
    // shown every time. The automatic announcements reach at least this copy (a machine
    // without a network still lists its own user), and a failure is shown once per outage.
    virtual bool Send(MessagePacket packet);

    bool IsOpen() const;
    void Close();

    // GUI thread, before the listener starts: the flag, kept by the GUI thread, says whether
    // the Incoming Messages window is in front; it is read as each message arrives.
    void SetIncomingInFront(const std::atomic<bool>* flag) { m_incomingInFront = flag; }

    // Listener thread: reads what waits on both wires (at most a bounded batch, so that a
    // flood cannot hold the listener from its stop signal), drops repeats, dispatches the
    // rest. False when a read failed.
    bool ReadPending();

    // The sockets the listener waits on.
    std::vector<int> ReadFds() const;
    int ReadFd() const { return m_readSlot.Fd(); }
    quint16 Port() const { return m_readSlot.Port(); }
    // GUI thread: whether a record heard from the address was sent by this machine.
    bool IsFromThisMachine(quint32 from);
    MailslotWire::State MailslotState() const { return m_mailslot.GetState(); }
    quint16 MailslotPort() const { return m_mailslot.Port(); }
    ReceiveQueue& Received() { return m_received; }
    // What is wrong with the extra networks' entries (each is skipped).
    const QStringList& ExtraNetworkProblems() const { return m_extraNetworks.Problems(); }

private:
    bool SendOnBothWires(const MessagePacket& packet);
    template <typename Receive> bool ReadWire(RepeatFilter::Wire wire, Receive receive);

    AlertSink& m_alerts;
    const std::atomic<bool>* m_incomingInFront = nullptr;
    ReceiveQueue m_received;

    NamedEndpoint m_hConfirmSlot;
    BroadcastReceiver m_readSlot;
    BroadcastSender m_hBroadcast;
    MailslotWire m_mailslot;
    // GUI thread; the extra networks are looked up again whenever the interfaces change.
    ExtraNetworks m_extraNetworks;
    NetworkList m_networks;
    std::vector<Ipv4Network> m_destinations;

    // GUI thread: a failed send has been shown and no send succeeded since. Set at first: a
    // machine started without a network has lost nothing, and its announcements reach itself.
    bool m_bSendOutageShown = true;

    // Listener thread.
    RepeatFilter m_repeats;
    // Listener thread: a failed read has been shown and no read succeeded since.
    bool m_bReadOutageShown = false;
};
