#pragma once

#include <QtGlobal>

#include <chrono>
#include <cstddef>
#include <functional>
#include <vector>

struct ifaddrs;

// IPv4 directed broadcast addresses (host byte order) of the interfaces in list that are up,
// broadcast-capable and not loopback; each address once.
std::vector<quint32> DirectedBroadcastsOf(const ifaddrs* list);

// The same for the machine's interfaces now.
std::vector<quint32> DirectedBroadcasts();

// The write side of the broadcast network: one sendto per directed broadcast address, so every
// copy on every attached IPv4 network hears the record (the kernel loops each one back to the
// sender too). Without such an interface it sends to 127.255.255.255, so that a machine
// without a network still hears itself. Never to 255.255.255.255, which needs a default route.
class BroadcastSender {
public:
    using DestinationSource = std::function<std::vector<quint32>()>;

    explicit BroadcastSender(DestinationSource destinations = DirectedBroadcasts);
    ~BroadcastSender();
    BroadcastSender(const BroadcastSender&) = delete;
    BroadcastSender& operator=(const BroadcastSender&) = delete;

    bool Open(quint16 port);
    void Close();
    bool IsOpen() const { return m_fd >= 0; }

    // True when at least one destination took the datagram.
    bool Send(const void* data, std::size_t size);

private:
    void RefreshDestinations();

    DestinationSource m_source;
    std::vector<quint32> m_destinations;
    std::chrono::steady_clock::time_point m_lookedUp;
    bool m_stale = true;
    int m_fd = -1;
    quint16 m_port = 0;
};
