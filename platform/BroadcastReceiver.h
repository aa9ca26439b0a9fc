#pragma once

#include <QtGlobal>

#include <cstddef>

// The read side of the broadcast network: one UDP socket bound to 0.0.0.0:port without
// SO_REUSEADDR/SO_REUSEPORT, so a second copy on the same machine (network namespace)
// cannot open it. One datagram is one record.
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

    // Never blocks. Never writes more than size bytes into record.
    Result Receive(void* record, std::size_t size);

private:
    int m_fd = -1;
    quint16 m_port = 0;
};

// A non-blocking UDP socket bound to 0.0.0.0:port (0: any free port), shared with other
// sockets that ask for it too when shared; its port goes to *bound. -1 on failure, with errno.
int BindUdpSocket(quint16 port, bool shared, quint16* bound);
