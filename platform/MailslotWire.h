#pragma once

#include "platform/BroadcastReceiver.h"
#include "platform/BroadcastSender.h"
#include "platform/MailslotDatagram.h"

#include <QByteArray>

#include <vector>

// The wire of the Windows peers: records as mailslot datagrams on UDP port 138, read and sent
// through one socket bound to 0.0.0.0:138 with SO_REUSEADDR, so that Samba's nmbd, which binds
// the port the same way, can run beside it in either start order (broadcasts reach both).
class MailslotWire {
public:
    enum class State {
        Off, // not asked for
        Open,
        NoPermission, // the port needs CAP_NET_BIND_SERVICE
        Failed, // any other reason
    };

    MailslotWire() = default;
    ~MailslotWire();
    MailslotWire(const MailslotWire&) = delete;
    MailslotWire& operator=(const MailslotWire&) = delete;

    // Port 0 binds any free port (tests); datagrams then go to that same port. computerName
    // and workgroup name the sender and the addressed group in every datagram.
    State Open(quint16 port, const QByteArray& computerName, const QByteArray& workgroup);
    void Close();
    State GetState() const { return m_state; }
    bool IsOpen() const { return m_fd >= 0; }
    int Fd() const { return m_fd; }
    quint16 Port() const { return m_port; }

    // One datagram per network, each naming the address of the interface it leaves through.
    // True when at least one network took it.
    bool Send(const void* record, const std::vector<Ipv4Network>& networks);

    // Never blocks. Record: a record was read into record (MailslotDatagram::kRecordSize bytes),
    // which reached the machine at arrived from the address from; Dropped: a datagram that
    // carries none was taken out.
    BroadcastReceiver::Result Receive(void* record, std::chrono::steady_clock::time_point& arrived,
                                      DatagramOrigin& from);

private:
    int m_fd = -1;
    quint16 m_port = 0;
    State m_state = State::Off;
    MailslotDatagram::Origin m_origin;
    std::vector<char> m_buffer;
};

// The computer's name as Windows networks know it: the host name up to its first dot.
QByteArray ComputerName();
