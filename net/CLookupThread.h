#pragma once

#include <thread>

class CMailslotTransport;

// The listener: a thread that waits on the transport's read socket and its stop signal
// together, so a record is handed on as soon as it arrives, an idle copy never wakes, and
// Stop returns at once. Runs at the lowest priority (nice 19, best effort).
class CLookupThread {
public:
    explicit CLookupThread(CMailslotTransport& transport);
    ~CLookupThread();
    CLookupThread(const CLookupThread&) = delete;
    CLookupThread& operator=(const CLookupThread&) = delete;

    // False when the thread or its events could not be made.
    bool Start();

    // Sets the stop event and waits for the done event and the thread's end. Safe to call
    // more than once, and before Start (the thread then reads nothing when started).
    void Stop();

private:
    void Run();

    CMailslotTransport& m_transport;
    int m_hStopEvent = -1;
    int m_hDoneEvent = -1;
    std::thread m_thread;
};
