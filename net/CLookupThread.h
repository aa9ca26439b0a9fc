#pragma once

#include "platform/PollableEvent.h"
#include "platform/ThreadPriority.h"

#include <atomic>
#include <thread>

class CMailslotTransport;

// The listener: a thread that waits on the transport's read sockets and its stop signal
// together, so a record is handed on as soon as it arrives, an idle copy never wakes, and
// Stop returns at once. Runs at a low priority (a few nice steps below its creator; best effort).
// A wait that fails is said once in the log and tried again after a short rest: the listener
// never ends while the program runs, so the program never goes deaf without a word.
class CLookupThread {
public:
    explicit CLookupThread(CMailslotTransport& transport);
    ~CLookupThread();
    CLookupThread(const CLookupThread&) = delete;
    CLookupThread& operator=(const CLookupThread&) = delete;

    // False when the thread or its events could not be made.
    bool Start();

    // Sets the stop event and waits for the done event and the thread's end. Safe to call more
    // than once, and before Start (the thread then reads nothing when started).
    void Stop();

private:
    void Run();

    CMailslotTransport& m_transport;
    PollableEvent m_hStopEvent;
    // Also set by Stop, for a listener whose waits fail (the stop event cannot be waited for then).
    std::atomic<bool> m_bStopping{false};
    PollableEvent m_hDoneEvent;
    int m_nBaseNice = 0;
    std::thread m_thread;
};
