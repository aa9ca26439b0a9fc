#include "net/CLookupThread.h"

#include "net/CMailslotTransport.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <poll.h>
#include <pthread.h>
#include <sys/eventfd.h>
#include <sys/resource.h>
#include <unistd.h>

namespace {

// A few steps below the creating thread, so that the windows win a contest for the CPU, but
// not the idle level: nice 19 would starve the listener behind any busy program and drop bursts.
constexpr int kNiceSteps = 5;

// After a failed read the socket may stay readable; wait this long (or for the stop signal)
// before trying again instead of spinning.
constexpr int kRetryAfterFailureMs = 50;

// Records that come close after each other (a busy network, a flood) are taken in batches:
// after a read that follows the previous one within this span, the listener rests this long
// before it looks again, so that it and the windows wake once per batch, not once per record.
// A record that comes alone is still taken at once.
constexpr std::chrono::milliseconds kBatchSpan(5);

void SetEvent(int fd)
{
    const std::uint64_t one = 1;
    while (write(fd, &one, sizeof one) < 0 && errno == EINTR) { }
}

// True when the event is set, or becomes set within timeoutMs (-1: no limit).
bool WaitEvent(int fd, int timeoutMs)
{
    pollfd entry{fd, POLLIN, 0};
    int n;
    while ((n = poll(&entry, 1, timeoutMs)) < 0 && errno == EINTR) { }
    return n > 0;
}

} // namespace

CLookupThread::CLookupThread(CMailslotTransport& transport)
    : m_transport(transport)
    , m_hStopEvent(eventfd(0, EFD_CLOEXEC))
    , m_hDoneEvent(eventfd(0, EFD_CLOEXEC))
{
}

CLookupThread::~CLookupThread()
{
    Stop();
    for (const int fd : {m_hStopEvent, m_hDoneEvent})
        if (fd >= 0)
            ::close(fd);
}

bool CLookupThread::Start()
{
    if (m_hStopEvent < 0 || m_hDoneEvent < 0 || m_thread.joinable())
        return false;
    m_nBaseNice = getpriority(PRIO_PROCESS, 0);
    try {
        m_thread = std::thread(&CLookupThread::Run, this);
    } catch (const std::system_error&) {
        return false;
    }
    return true;
}

void CLookupThread::Stop()
{
    if (m_hStopEvent >= 0)
        SetEvent(m_hStopEvent);
    if (!m_thread.joinable())
        return;
    if (const pid_t id = m_threadId.load())
        setpriority(PRIO_PROCESS, static_cast<id_t>(id), m_nBaseNice);
    WaitEvent(m_hDoneEvent, -1);
    m_thread.join();
}

void CLookupThread::Run()
{
    pthread_setname_np(pthread_self(), "pellwick-lookup");
    // Linux keeps a nice value per thread; 0 names the calling thread.
    setpriority(PRIO_PROCESS, 0, std::min(m_nBaseNice + kNiceSteps, 19));
    m_threadId = gettid();

    pollfd fds[2] = {{m_hStopEvent, POLLIN, 0}, {m_transport.ReadFd(), POLLIN, 0}};
    auto lastRead = std::chrono::steady_clock::now() - kBatchSpan;
    for (;;) {
        if (poll(fds, 2, -1) < 0) {
            if (errno == EINTR)
                continue;
            break;
        }
        if (fds[0].revents)
            break;
        if (!fds[1].revents)
            continue;
        const auto now = std::chrono::steady_clock::now();
        const bool busy = now - lastRead < kBatchSpan;
        lastRead = now;
        if (!m_transport.ReadPending()) {
            if (WaitEvent(m_hStopEvent, kRetryAfterFailureMs))
                break;
        } else if (busy && !WaitEvent(m_transport.ReadFd(), 0) && WaitEvent(m_hStopEvent, kBatchSpan.count())) {
            break; // rested (unless a full batch still waits) and was stopped meanwhile
        }
    }
    m_threadId = 0; // the id may be reused once the thread is gone
    SetEvent(m_hDoneEvent);
}
