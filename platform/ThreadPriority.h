#pragma once

#include <atomic>

// The scheduling priority of one thread: its nice value, which Linux keeps per thread. Best
// effort throughout: raising a priority needs a right the user may not have, and nothing in
// the program depends on it.
class ThreadPriority {
public:
    static constexpr int kLowest = 19;

    // The calling thread's nice value.
    static int OfCallingThread();

    // Sets the calling thread's nice value (no lower than kLowest).
    static void SetForCallingThread(int nice);

    // Remembers the calling thread, so that another thread can Raise it later.
    void RememberCallingThread();
    // From any thread: sets the remembered thread's nice value, unless it has Forgotten.
    void Raise(int nice);
    // The thread's last act: its id may be reused once it is gone.
    void Forget();

private:
    std::atomic<int> m_threadId{0};
};
