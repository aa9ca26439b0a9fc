#include "platform/PollableEvent.h"

#include <cerrno>
#include <cstdint>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

PollableEvent::PollableEvent()
    : m_fd(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK))
{
}

PollableEvent::~PollableEvent()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

void PollableEvent::Set()
{
    // Nobody reads the counter, so the descriptor stays readable from now on.
    const std::uint64_t one = 1;
    while (m_fd >= 0 && write(m_fd, &one, sizeof one) < 0 && errno == EINTR) { }
}

bool PollableEvent::WaitFor(std::chrono::milliseconds timeout) const
{
    if (m_fd < 0)
        return false;
    pollfd entry{m_fd, POLLIN, 0};
    const int limit = timeout.count() < 0 ? -1 : static_cast<int>(timeout.count());
    int n;
    while ((n = poll(&entry, 1, limit)) < 0 && errno == EINTR) { }
    return n > 0;
}
