#include "platform/BroadcastReceiver.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// Room for a burst of a few thousand records while the listener sleeps at low priority.
constexpr int kReceiveBufferBytes = 4 * 1024 * 1024;

ssize_t RecvRetrying(int fd, void* buffer, std::size_t size, int flags)
{
    ssize_t n;
    do {
        n = recv(fd, buffer, size, flags | MSG_DONTWAIT);
    } while (n < 0 && errno == EINTR);
    return n;
}

} // namespace

int BindUdpSocket(quint16 port, bool shared, quint16* bound)
{
    const int fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0)
        return -1;
    const int on = 1;
    if (shared)
        setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    setsockopt(fd, SOL_SOCKET, SO_TIMESTAMPNS, &on, sizeof on);
    setsockopt(fd, IPPROTO_IP, IP_PKTINFO, &on, sizeof on);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_ANY);
    socklen_t length = sizeof address;
    if (bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0
        || getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        const int error = errno;
        ::close(fd);
        errno = error;
        return -1;
    }
    *bound = ntohs(address.sin_port);
    return fd;
}

ssize_t ReceiveStamped(int fd, void* buffer, std::size_t size, std::chrono::steady_clock::time_point& arrived,
                       DatagramOrigin& from)
{
    iovec part{buffer, size};
    sockaddr_in sender{};
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(timespec)) + CMSG_SPACE(sizeof(in_pktinfo))];
    msghdr message{};
    message.msg_name = &sender;
    message.msg_namelen = sizeof sender;
    message.msg_iov = &part;
    message.msg_iovlen = 1;
    message.msg_control = control;
    message.msg_controllen = sizeof control;
    ssize_t n;
    do {
        n = recvmsg(fd, &message, MSG_DONTWAIT);
    } while (n < 0 && errno == EINTR);
    arrived = std::chrono::steady_clock::now();
    from = {ntohl(sender.sin_addr.s_addr), 0};
    for (cmsghdr* header = n < 0 ? nullptr : CMSG_FIRSTHDR(&message); header;
         header = CMSG_NXTHDR(&message, header)) {
        if (header->cmsg_level == IPPROTO_IP && header->cmsg_type == IP_PKTINFO) {
            in_pktinfo info{};
            std::memcpy(&info, CMSG_DATA(header), sizeof info);
            from.interface = info.ipi_ifindex;
        }
        if (header->cmsg_level != SOL_SOCKET || header->cmsg_type != SCM_TIMESTAMPNS)
            continue;
        // The stamp is on the wall clock: its age moves it onto the steady one.
        timespec stamp{};
        timespec now{};
        std::memcpy(&stamp, CMSG_DATA(header), sizeof stamp);
        clock_gettime(CLOCK_REALTIME, &now);
        const auto age = std::chrono::seconds(now.tv_sec - stamp.tv_sec)
            + std::chrono::nanoseconds(now.tv_nsec - stamp.tv_nsec);
        if (age > std::chrono::nanoseconds::zero())
            arrived -= std::chrono::duration_cast<std::chrono::steady_clock::duration>(age);
    }
    return n;
}

BroadcastReceiver::~BroadcastReceiver()
{
    Close();
}

bool BroadcastReceiver::Open(quint16 port)
{
    Close();
    m_fd = BindUdpSocket(port, false, &m_port);
    // Best effort: the kernel caps the request at net.core.rmem_max.
    if (m_fd >= 0)
        setsockopt(m_fd, SOL_SOCKET, SO_RCVBUF, &kReceiveBufferBytes, sizeof kReceiveBufferBytes);
    return m_fd >= 0;
}

void BroadcastReceiver::Close()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    m_port = 0;
}

BroadcastReceiver::Result BroadcastReceiver::Receive(void* record, std::size_t size,
                                                     std::chrono::steady_clock::time_point& arrived, DatagramOrigin& from)
{
    // MSG_TRUNC makes a peek report the datagram's real length, whatever the buffer.
    char probe;
    const ssize_t length = RecvRetrying(m_fd, &probe, 1, MSG_PEEK | MSG_TRUNC);
    if (length < 0)
        return errno == EAGAIN || errno == EWOULDBLOCK ? Result::Empty : Result::Failed;
    if (static_cast<std::size_t>(length) != size) {
        // A short read still takes the whole datagram out of the queue.
        return RecvRetrying(m_fd, &probe, 1, 0) < 0 ? Result::Failed : Result::Dropped;
    }
    return ReceiveStamped(m_fd, record, size, arrived, from) == length ? Result::Record : Result::Failed;
}
