#include "platform/ThreadPriority.h"

#include <algorithm>
#include <sys/resource.h>
#include <unistd.h>

int ThreadPriority::OfCallingThread()
{
    return getpriority(PRIO_PROCESS, 0);
}

void ThreadPriority::SetForCallingThread(int nice)
{
    // 0 names the calling thread.
    setpriority(PRIO_PROCESS, 0, std::min(nice, kLowest));
}

void ThreadPriority::RememberCallingThread()
{
    m_threadId = gettid();
}

void ThreadPriority::Raise(int nice)
{
    if (const int id = m_threadId.load())
        setpriority(PRIO_PROCESS, static_cast<id_t>(id), nice);
}

void ThreadPriority::Forget()
{
    m_threadId = 0;
}
