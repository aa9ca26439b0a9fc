#pragma once

#include <atomic>
#include <sys/types.h>
#include <thread>

class CMailslotTransport;

// The listener: a thread that waits on the transport's read socket and its stop signal
// together, so a record is handed on as soon as it arrives, an idle copy never wakes, and
// Stop returns at once. Runs at a low priority (a few nice steps below its creator; best effort).
class CLookupThread {
public:
    explicit CLookupThread(CMailslotTransport& transport);
    ~CLookupThread();
    CLookupThread(const CLookupThread&) = delete;
    CLookupThread& operator=(const CLookupThread&) = delete;

    // False when the thread or its events could not be made.
    bool Start();

    // Sets the stop event, raises the thread to its creator's priority (best effort: it needs the
    // right to lower a nice value) so that it is not starved while it finishes, and waits for
    // the done event and the thread's end. Safe to call more than once, and before Start (the
    // thread then reads nothing when started).
    void Stop();

private:
    void Run();

    CMailslotTransport& m_transport;
    int m_hStopEvent = -1;
    int m_hDoneEvent = -1;
    std::atomic<pid_t> m_threadId{0};
    int m_nBaseNice = 0;
    std::thread m_thread;
};
