#include "platform/MailslotWire.h"

#include <cerrno>
#include <climits>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// Any UDP datagram fits; a mailslot write of a record is about 530 bytes.
constexpr std::size_t kLargestDatagram = 65536;

} // namespace

QByteArray ComputerName()
{
    char name[HOST_NAME_MAX + 1] = {};
    if (gethostname(name, sizeof name - 1) != 0)
        return QByteArrayLiteral("LINUX");
    const QByteArray host(name);
    return host.left(host.indexOf('.') < 0 ? host.size() : host.indexOf('.'));
}

MailslotWire::~MailslotWire()
{
    Close();
}

MailslotWire::State MailslotWire::Open(quint16 port, const QByteArray& computerName, const QByteArray& workgroup)
{
    Close();
    m_fd = BindUdpSocket(port, true, &m_port);
    if (m_fd < 0)
        return m_state = errno == EACCES || errno == EPERM ? State::NoPermission : State::Failed;
    const int on = 1;
    setsockopt(m_fd, SOL_SOCKET, SO_BROADCAST, &on, sizeof on);
    m_origin.sourcePort = m_port;
    m_origin.sourceName = computerName;
    m_origin.groupName = workgroup;
    m_buffer.resize(kLargestDatagram);
    return m_state = State::Open;
}

void MailslotWire::Close()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    m_port = 0;
    m_state = State::Off;
}

bool MailslotWire::Send(const void* record, const std::vector<Ipv4Network>& networks)
{
    if (m_fd < 0)
        return false;
    bool taken = false;
    for (const Ipv4Network& network : networks) {
        m_origin.sourceAddress = network.address;
        ++m_origin.datagramId;
        const QByteArray datagram = MailslotDatagram::Encode(m_origin, record);
        taken = SendDatagramTo(m_fd, network.broadcast, m_port, datagram.constData(),
                               static_cast<std::size_t>(datagram.size()))
            || taken;
    }
    return taken;
}

BroadcastReceiver::Result MailslotWire::Receive(void* record, std::chrono::steady_clock::time_point& arrived,
                                                DatagramOrigin& from)
{
    const ssize_t n = ReceiveStamped(m_fd, m_buffer.data(), m_buffer.size(), arrived, from);
    if (n < 0)
        return errno == EAGAIN || errno == EWOULDBLOCK ? BroadcastReceiver::Result::Empty
                                                       : BroadcastReceiver::Result::Failed;
    return MailslotDatagram::Decode(m_buffer.data(), static_cast<std::size_t>(n), record)
        ? BroadcastReceiver::Result::Record
        : BroadcastReceiver::Result::Dropped;
}
