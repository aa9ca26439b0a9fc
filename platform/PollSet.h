#pragma once

#include <chrono>
#include <cstddef>
#include <vector>

struct pollfd;

// A few descriptors that one thread waits for together, so that it sleeps until one of them
// has something to read.
class PollSet {
public:
    PollSet();
    ~PollSet();

    // Descriptors keep the order they were added in; negative ones are never ready.
    void Add(int fd);
    // Waits until at least one descriptor is ready (a negative time: without limit); false when
    // none became ready in time or the wait itself failed.
    bool Wait(std::chrono::milliseconds timeout = std::chrono::milliseconds(-1));
    // After Wait: the descriptor added index-th is readable, hung up or in error.
    bool IsReady(std::size_t index) const;

private:
    std::vector<pollfd> m_fds;
};

// Names the calling thread as tools (top -H, /proc) show it; at most 15 bytes are kept.
void NameCallingThread(const char* name);
