#include "platform/PollSet.h"

#include <cerrno>
#include <poll.h>
#include <pthread.h>

PollSet::PollSet() = default;
PollSet::~PollSet() = default;

void PollSet::Add(int fd)
{
    m_fds.push_back({fd, POLLIN, 0});
}

bool PollSet::Wait(std::chrono::milliseconds timeout)
{
    const int ms = timeout.count() < 0 ? -1 : static_cast<int>(timeout.count());
    int n;
    while ((n = poll(m_fds.data(), m_fds.size(), ms)) < 0 && errno == EINTR) { }
    return n > 0;
}

bool PollSet::IsReady(std::size_t index) const
{
    return index < m_fds.size() && m_fds[index].revents != 0;
}

void NameCallingThread(const char* name)
{
    pthread_setname_np(pthread_self(), name);
}
