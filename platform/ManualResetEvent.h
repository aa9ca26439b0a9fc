#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

// An event that stays set once set, as worker threads use for "stop" and "done".
class ManualResetEvent {
public:
    void Set()
    {
        {
            std::lock_guard lock(m_mutex);
            m_bSet = true;
        }
        m_changed.notify_all();
    }

    bool IsSet() const
    {
        std::lock_guard lock(m_mutex);
        return m_bSet;
    }

    void Wait() const
    {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [this] { return m_bSet; });
    }

    // True when the event was set within the time.
    template <typename Rep, typename Period> bool WaitFor(std::chrono::duration<Rep, Period> timeout) const
    {
        std::unique_lock lock(m_mutex);
        return m_changed.wait_for(lock, timeout, [this] { return m_bSet; });
    }

private:
    mutable std::mutex m_mutex;
    mutable std::condition_variable m_changed;
    bool m_bSet = false;
};
