#pragma once

#include <QtGlobal>

#include <cstddef>
#include <vector>

struct ifaddrs;

// One IPv4 network the machine is attached to: the address of the interface on it and the
// network's directed broadcast address, both in host byte order.
struct Ipv4Network {
    quint32 address = 0;
    quint32 broadcast = 0;
    bool operator==(const Ipv4Network&) const = default;
};

// The networks of the interfaces in list that are up, running (a cable or a radio link),
// broadcast-capable and not loopback; each broadcast address once.
std::vector<Ipv4Network> BroadcastNetworksOf(const ifaddrs* list);

// The same for the machine's interfaces now.
std::vector<Ipv4Network> BroadcastNetworks();

// The write side of the broadcast network: one sendto per network, so every copy on every
// attached IPv4 network hears the record (the kernel loops each one back to the sender too).
// Never to 255.255.255.255, which needs a default route.
class BroadcastSender {
public:
    BroadcastSender() = default;
    ~BroadcastSender();
    BroadcastSender(const BroadcastSender&) = delete;
    BroadcastSender& operator=(const BroadcastSender&) = delete;

    bool Open(quint16 port);
    void Close();
    bool IsOpen() const { return m_fd >= 0; }

    // True when at least one network took the datagram.
    bool Send(const void* data, std::size_t size, const std::vector<Ipv4Network>& networks);
    // To 127.255.255.255: only this machine hears it.
    bool SendToLoopback(const void* data, std::size_t size);

private:
    int m_fd = -1;
    quint16 m_port = 0;
};

// Sends one datagram to address:port from fd; true when the whole datagram was taken.
bool SendDatagramTo(int fd, quint32 address, quint16 port, const void* data, std::size_t size);
