#include "platform/NamedEndpoint.h"

#include <cstddef>
#include <cstring>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

NamedEndpoint::~NamedEndpoint()
{
    Release();
}

bool NamedEndpoint::Claim(const QByteArray& name)
{
    Release();
    sockaddr_un address{};
    // The leading NUL of sun_path puts the name in the abstract namespace.
    if (name.isEmpty() || static_cast<std::size_t>(name.size()) + 1 > sizeof address.sun_path)
        return false;
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path + 1, name.constData(), static_cast<std::size_t>(name.size()));
    const auto length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + name.size());

    const int fd = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    if (bind(fd, reinterpret_cast<const sockaddr*>(&address), length) != 0) {
        ::close(fd);
        return false;
    }
    m_fd = fd;
    return true;
}

void NamedEndpoint::Release()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}
