#include "platform/BroadcastSender.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// Interfaces come and go (a cable, a VPN, Wi-Fi): look them up again at most once a second,
// and at once after a send that reached nobody.
constexpr std::chrono::seconds kLookupInterval(1);

constexpr quint32 kLoopbackBroadcast = 0x7FFFFFFF; // 127.255.255.255

} // namespace

std::vector<quint32> DirectedBroadcastsOf(const ifaddrs* list)
{
    std::vector<quint32> out;
    for (const ifaddrs* entry = list; entry; entry = entry->ifa_next) {
        const unsigned flags = entry->ifa_flags;
        if (!(flags & IFF_UP) || !(flags & IFF_BROADCAST) || (flags & IFF_LOOPBACK))
            continue;
        const sockaddr* broadcast = entry->ifa_broadaddr;
        if (!entry->ifa_addr || entry->ifa_addr->sa_family != AF_INET || !broadcast || broadcast->sa_family != AF_INET)
            continue;
        sockaddr_in address;
        std::copy_n(reinterpret_cast<const char*>(broadcast), sizeof address, reinterpret_cast<char*>(&address));
        const quint32 host = ntohl(address.sin_addr.s_addr);
        if (host != 0 && host != INADDR_BROADCAST)
            out.push_back(host);
    }
    // Two interfaces on one network share the address; a peer must hear the record once.
    std::sort(out.begin(), out.end());
    out.erase(std::unique(out.begin(), out.end()), out.end());
    return out;
}

std::vector<quint32> DirectedBroadcasts()
{
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0)
        return {};
    std::vector<quint32> out = DirectedBroadcastsOf(list);
    freeifaddrs(list);
    return out;
}

BroadcastSender::BroadcastSender(DestinationSource destinations)
    : m_source(std::move(destinations))
{
}

BroadcastSender::~BroadcastSender()
{
    Close();
}

bool BroadcastSender::Open(quint16 port)
{
    Close();
    const int fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    const int on = 1;
    if (setsockopt(fd, SOL_SOCKET, SO_BROADCAST, &on, sizeof on) != 0) {
        ::close(fd);
        return false;
    }
    m_fd = fd;
    m_port = port;
    m_stale = true;
    return true;
}

void BroadcastSender::Close()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}

void BroadcastSender::RefreshDestinations()
{
    const auto now = std::chrono::steady_clock::now();
    if (!m_stale && now - m_lookedUp < kLookupInterval)
        return;
    m_destinations = m_source();
    if (m_destinations.empty())
        m_destinations.push_back(kLoopbackBroadcast);
    m_lookedUp = now;
    m_stale = false;
}

bool BroadcastSender::Send(const void* data, std::size_t size)
{
    if (m_fd < 0)
        return false;
    RefreshDestinations();
    bool taken = false;
    for (const quint32 destination : m_destinations) {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(m_port);
        address.sin_addr.s_addr = htonl(destination);
        ssize_t n;
        do {
            n = sendto(m_fd, data, size, 0, reinterpret_cast<const sockaddr*>(&address), sizeof address);
        } while (n < 0 && errno == EINTR);
        taken = taken || n == static_cast<ssize_t>(size);
    }
    if (!taken)
        m_stale = true;
    return taken;
}
