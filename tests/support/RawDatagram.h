#pragma once

#include <QByteArray>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

// Sends bytes as one datagram to 127.0.0.1:port, as a peer (or an attacker) would.
class RawDatagram {
public:
    RawDatagram()
        : m_fd(socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0))
    {
    }
    ~RawDatagram() { close(m_fd); }
    RawDatagram(const RawDatagram&) = delete;
    RawDatagram& operator=(const RawDatagram&) = delete;

    bool Send(quint16 port, const void* data, std::size_t size) const
    {
        sockaddr_in to{};
        to.sin_family = AF_INET;
        to.sin_port = htons(port);
        to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        return sendto(m_fd, data, size, 0, reinterpret_cast<const sockaddr*>(&to), sizeof to)
            == static_cast<ssize_t>(size);
    }

    bool Send(quint16 port, const QByteArray& bytes) const
    {
        return Send(port, bytes.constData(), static_cast<std::size_t>(bytes.size()));
    }

private:
    int m_fd;
};
