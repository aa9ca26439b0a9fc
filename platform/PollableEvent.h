#pragma once

#include <chrono>

// An event that stays set once set (manual reset), as worker threads use for "stop" and
// "done". Its descriptor reads as ready while it is set, so a thread can wait for it in the
// same poll as its sockets.
class PollableEvent {
public:
    PollableEvent();
    ~PollableEvent();
    PollableEvent(const PollableEvent&) = delete;
    PollableEvent& operator=(const PollableEvent&) = delete;

    // False when the system could not make the event.
    bool IsValid() const { return m_fd >= 0; }
    // For poll(): readable while the event is set.
    int Fd() const { return m_fd; }

    void Set();
    bool IsSet() const { return WaitFor(std::chrono::milliseconds(0)); }
    void Wait() const { WaitFor(std::chrono::milliseconds(-1)); }
    // True when the event is set, or becomes set within the time (negative: no limit).
    bool WaitFor(std::chrono::milliseconds timeout) const;

private:
    int m_fd;
};
