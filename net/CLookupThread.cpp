#include "net/CLookupThread.h"

#include "net/CMailslotTransport.h"
#include "platform/ThreadCheck.h"

#include "platform/PollSet.h"

#include <system_error>

namespace {

// A few steps below the creating thread, so that the windows win a contest for the CPU, but
// not the idle level: nice 19 would starve the listener behind any busy program and drop bursts.
constexpr int kNiceSteps = 5;

// After a failed read the socket may stay readable; wait this long (or for the stop signal)
// before trying again instead of spinning.
constexpr std::chrono::milliseconds kRetryAfterFailure(50);

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
    m_hStopEvent.Set();
    if (!m_thread.joinable())
        return;
    m_priority.Raise(m_nBaseNice);
    m_hDoneEvent.Wait();
    m_thread.join();
}

void CLookupThread::Run()
{
    ASSERT_NOT_GUI_THREAD();
    NameCallingThread("pellwick-lookup");
    ThreadPriority::SetForCallingThread(m_nBaseNice + kNiceSteps);
    m_priority.RememberCallingThread();

    // The stop event first, then every read socket the transport has open.
    PollSet waitSet;
    waitSet.Add(m_hStopEvent.Fd());
    for (const int fd : m_transport.ReadFds())
        waitSet.Add(fd);
    for (;;) {
        if (!waitSet.Wait() || waitSet.IsReady(0))
            break;
        if (!m_transport.ReadPending() && m_hStopEvent.WaitFor(kRetryAfterFailure))
            break;
    }
    m_priority.Forget();
    m_hDoneEvent.Set();
}
