#include "net/CLookupThread.h"

#include "net/CMailslotTransport.h"
#include "platform/Logging.h"
#include "platform/PollSet.h"
#include "platform/ThreadCheck.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <utility>

namespace {

// A few steps below the creating thread, so that the windows win a contest for the CPU, but
// not the idle level: nice 19 would starve the listener behind any busy program and drop bursts.
constexpr int kNiceSteps = 5;

// After a failed read the socket may stay readable; wait this long (or for the stop signal)
// before trying again instead of spinning.
constexpr std::chrono::milliseconds kRetryAfterFailure(50);

// Records that come close after each other (a busy network, a flood) are taken in batches:
// after a read that follows the previous one within this span, the listener rests this long
// before it looks again, so that it and the windows wake once per batch, not once per record.
// A record that comes alone is still taken at once.
constexpr std::chrono::milliseconds kBatchSpan(5);

} // namespace

CLookupThread::CLookupThread(CMailslotTransport& transport)
    : m_transport(transport)
{
}

CLookupThread::~CLookupThread()
{
    Stop();
}

bool CLookupThread::Start()
{
    if (!m_hStopEvent.IsValid() || !m_hDoneEvent.IsValid() || m_thread.joinable())
        return false;
    m_nBaseNice = ThreadPriority::OfCallingThread();
    try {
        m_thread = std::thread(&CLookupThread::Run, this);
    } catch (const std::system_error&) {
        return false;
    }
    return true;
}

void CLookupThread::Stop()
{
    m_bStopping = true;
    m_hStopEvent.Set();
    if (!m_thread.joinable())
        return;
    m_hDoneEvent.Wait();
    m_thread.join();
}

void CLookupThread::Run()
{
    ASSERT_NOT_GUI_THREAD();
    NameCallingThread("pellwick-lookup");
    ThreadPriority::SetForCallingThread(m_nBaseNice + kNiceSteps);

    // The stop event first, then every read socket the transport has open.
    PollSet waitSet;
    waitSet.Add(m_hStopEvent.Fd());
    for (const int fd : m_transport.ReadFds())
        waitSet.Add(fd);
    auto lastRead = std::chrono::steady_clock::now() - kBatchSpan;
    bool waitFailureSaid = false;
    for (;;) {
        if (!waitSet.Wait()) {
            if (!std::exchange(waitFailureSaid, true))
                qCWarning(lcNet) << "the listener cannot wait for records:" << strerror(errno) << "- trying again";
            // Not the stop event's own wait: it may fail the same way.
            std::this_thread::sleep_for(kRetryAfterFailure);
            if (m_bStopping)
                break;
            continue;
        }
        waitFailureSaid = false;
        if (waitSet.IsReady(0))
            break;
        const auto now = std::chrono::steady_clock::now();
        const bool busy = now - lastRead < kBatchSpan;
        lastRead = now;
        if (!m_transport.ReadPending()) {
            if (m_hStopEvent.WaitFor(kRetryAfterFailure))
                break;
        } else if (busy && !waitSet.Wait(std::chrono::milliseconds(0)) && m_hStopEvent.WaitFor(kBatchSpan)) {
            break; // rested (unless a full batch still waits) and was stopped meanwhile
        }
    }
    m_hDoneEvent.Set();
}
