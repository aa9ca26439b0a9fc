#pragma once

#include <QtGlobal>

#include <chrono>
#include <cstddef>

// The read side of the broadcast network: one UDP socket bound to 0.0.0.0:port without
// SO_REUSEADDR/SO_REUSEPORT, so a second copy on the same machine (network namespace)
// cannot open it. One datagram is one record.
// Where a datagram came from: the sender's IPv4 address (host order) and the index of the
// interface it arrived on.
struct DatagramOrigin {
    quint32 address = 0;
    int interface = 0;
};

class BroadcastReceiver {
public:
    enum class Result {
        Record, // a datagram of exactly the record's size was read
        Dropped, // a datagram of any other size was taken out whole and dropped
        Empty, // nothing waits
        Failed, // the socket reported an error
    };

    BroadcastReceiver() = default;
    ~BroadcastReceiver();
    BroadcastReceiver(const BroadcastReceiver&) = delete;
    BroadcastReceiver& operator=(const BroadcastReceiver&) = delete;

    // Port 0 binds any free port (tests); Port() tells which.
    bool Open(quint16 port);
    void Close();
    bool IsOpen() const { return m_fd >= 0; }
    int Fd() const { return m_fd; }
    quint16 Port() const { return m_port; }

    // Never blocks. Never writes more than size bytes into record; arrived tells when a record
    // reached the machine, and from where.
    Result Receive(void* record, std::size_t size, std::chrono::steady_clock::time_point& arrived,
                   DatagramOrigin& from);

private:
    int m_fd = -1;
    quint16 m_port = 0;
};

// A non-blocking UDP socket bound to 0.0.0.0:port (0: any free port), shared with other
// sockets that ask for it too when shared; its port goes to *bound. -1 on failure, with errno.
// The kernel stamps each datagram it takes in, and tells its interface, for ReceiveStamped.
int BindUdpSocket(quint16 port, bool shared, quint16* bound);

// recv of one datagram, never blocking; arrived is when the kernel took it in, which a reader
// that fell behind (a busy machine) cannot blur.
ssize_t ReceiveStamped(int fd, void* buffer, std::size_t size, std::chrono::steady_clock::time_point& arrived,
                       DatagramOrigin& from);
