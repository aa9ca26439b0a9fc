#include "platform/InterfaceWatcher.h"

#include "platform/Logging.h"

#include <QSocketNotifier>

#include <cerrno>
#include <cstring>
#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <sys/socket.h>
#include <unistd.h>

InterfaceWatcher::InterfaceWatcher(std::function<void()> changed)
    : m_changed(std::move(changed))
{
    const int fd = socket(AF_NETLINK, SOCK_RAW | SOCK_CLOEXEC | SOCK_NONBLOCK, NETLINK_ROUTE);
    sockaddr_nl address{};
    address.nl_family = AF_NETLINK;
    address.nl_groups = RTMGRP_LINK | RTMGRP_IPV4_IFADDR;
    if (fd < 0 || bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        qCInfo(lcNet) << "interface changes cannot be watched:" << strerror(errno);
        if (fd >= 0)
            ::close(fd);
        return;
    }
    m_fd = fd;
    m_notifier = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, &InterfaceWatcher::OnReadable);
}

InterfaceWatcher::~InterfaceWatcher()
{
    m_notifier.reset();
    if (m_fd >= 0)
        ::close(m_fd);
}

void InterfaceWatcher::OnReadable()
{
    // What changed does not matter: the owner looks at the interfaces again. A report lost
    // to a full socket buffer (ENOBUFS) is a change as well.
    char buffer[8192];
    while (recv(m_fd, buffer, sizeof buffer, MSG_DONTWAIT) > 0 || errno == ENOBUFS || errno == EINTR) { }
    m_changed();
}
