#pragma once

#include <cstddef>
#include <vector>

struct pollfd;

// A few descriptors that one thread waits for together, without a time limit, so that it
// sleeps until one of them has something to read.
class PollSet {
public:
    PollSet();
    ~PollSet();

    // Descriptors keep the order they were added in; negative ones are never ready.
    void Add(int fd);
    // Waits until at least one descriptor is ready; false when the wait itself failed.
    bool Wait();
    // After Wait: the descriptor added index-th is readable, hung up or in error.
    bool IsReady(std::size_t index) const;

private:
    std::vector<pollfd> m_fds;
};

// Names the calling thread as tools (top -H, /proc) show it; at most 15 bytes are kept.
void NameCallingThread(const char* name);
