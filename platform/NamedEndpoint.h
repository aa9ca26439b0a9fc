#pragma once

#include <QByteArray>

// A machine-wide name held for as long as this object lives: an abstract Unix socket. The
// kernel frees the name when the process ends, however it ends, so a crash never leaves a
// stale lock. Abstract names belong to the network namespace, which makes each test host its
// own machine.
class NamedEndpoint {
public:
    NamedEndpoint() = default;
    ~NamedEndpoint();
    NamedEndpoint(const NamedEndpoint&) = delete;
    NamedEndpoint& operator=(const NamedEndpoint&) = delete;

    // False when another process (or object) holds the name, or no socket could be made.
    bool Claim(const QByteArray& name);
    void Release();
    bool IsHeld() const { return m_fd >= 0; }

private:
    int m_fd = -1;
};

// The one-copy-per-machine lock.
inline const QByteArray kInstanceLockName = QByteArrayLiteral("pellwick/instance");
// The endpoint a running copy holds beside its read socket.
inline const QByteArray kConfirmEndpointName = QByteArrayLiteral("pellwick/confirm_presense");
