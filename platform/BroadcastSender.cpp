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

constexpr quint32 kLoopbackBroadcast = 0x7FFFFFFF; // 127.255.255.255

quint32 HostAddress(const sockaddr* address)
{
    sockaddr_in in;
    std::copy_n(reinterpret_cast<const char*>(address), sizeof in, reinterpret_cast<char*>(&in));
    return ntohl(in.sin_addr.s_addr);
}

} // namespace

std::vector<Ipv4Network> BroadcastNetworksOf(const ifaddrs* list)
{
    constexpr unsigned kWanted = IFF_UP | IFF_RUNNING | IFF_BROADCAST;
    std::vector<Ipv4Network> out;
    for (const ifaddrs* entry = list; entry; entry = entry->ifa_next) {
        const unsigned flags = entry->ifa_flags;
        if ((flags & kWanted) != kWanted || (flags & IFF_LOOPBACK))
            continue;
        const sockaddr* broadcast = entry->ifa_broadaddr;
        if (!entry->ifa_addr || entry->ifa_addr->sa_family != AF_INET || !broadcast || broadcast->sa_family != AF_INET)
            continue;
        Ipv4Network network{HostAddress(entry->ifa_addr), HostAddress(broadcast)};
        // An address set up without a broadcast address reports its own: the subnet's is meant.
        if (network.broadcast == network.address && entry->ifa_netmask && entry->ifa_netmask->sa_family == AF_INET)
            network.broadcast = network.address | ~HostAddress(entry->ifa_netmask);
        if (network.broadcast != 0 && network.broadcast != INADDR_BROADCAST)
            out.push_back(network);
    }
    // Two interfaces (or addresses) on one network share the broadcast address; a peer must
    // hear the record once.
    std::stable_sort(out.begin(), out.end(), [](auto& a, auto& b) { return a.broadcast < b.broadcast; });
    out.erase(std::unique(out.begin(), out.end(), [](auto& a, auto& b) { return a.broadcast == b.broadcast; }),
              out.end());
    return out;
}

std::vector<Ipv4Network> BroadcastNetworks()
{
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0)
        return {};
    std::vector<Ipv4Network> out = BroadcastNetworksOf(list);
    freeifaddrs(list);
    return out;
}

bool SendDatagramTo(int fd, quint32 address, quint16 port, const void* data, std::size_t size)
{
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(port);
    to.sin_addr.s_addr = htonl(address);
    ssize_t n;
    do {
        n = sendto(fd, data, size, 0, reinterpret_cast<const sockaddr*>(&to), sizeof to);
    } while (n < 0 && errno == EINTR);
    return n == static_cast<ssize_t>(size);
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
    return true;
}

void BroadcastSender::Close()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}

bool BroadcastSender::Send(const void* data, std::size_t size, const std::vector<Ipv4Network>& networks)
{
    bool taken = false;
    for (const Ipv4Network& network : networks)
        taken = (m_fd >= 0 && SendDatagramTo(m_fd, network.broadcast, m_port, data, size)) || taken;
    return taken;
}

bool BroadcastSender::SendToLoopback(const void* data, std::size_t size)
{
    return m_fd >= 0 && SendDatagramTo(m_fd, kLoopbackBroadcast, m_port, data, size);
}
