#include "platform/ThreadPriority.h"

#include <algorithm>
#include <sys/resource.h>

int ThreadPriority::OfCallingThread()
{
    return getpriority(PRIO_PROCESS, 0);
}

void ThreadPriority::SetForCallingThread(int nice)
{
    // 0 names the calling thread.
    setpriority(PRIO_PROCESS, 0, std::min(nice, kLowest));
}
