#pragma once

// The scheduling priority of the calling thread: its nice value, which Linux keeps per thread.
// Best effort: nothing in the program depends on it. A thread only ever changes its own, so
// no thread id that may already have been reused is ever named.
class ThreadPriority {
public:
    static constexpr int kLowest = 19;

    // The calling thread's nice value.
    static int OfCallingThread();

    // Sets the calling thread's nice value (no lower than kLowest).
    static void SetForCallingThread(int nice);
};
