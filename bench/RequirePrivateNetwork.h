#pragma once

#include "support/PrivateNetwork.h"

#include <cstdio>

// The benchmarks open the program's sockets: they run only in a network namespace of their own
// (unshare -n sh -c 'ip link set lo up; ...'). False, having said why, anywhere else.
inline bool RequirePrivateNetwork()
{
    const std::string reason = PrivateNetwork::WhyNotPrivate();
    if (!reason.empty())
        std::fprintf(stderr, "refused: run it in a private network namespace (%s)\n", reason.c_str());
    return reason.empty();
}
