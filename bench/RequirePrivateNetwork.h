#pragma once

#include <cstdio>
#include <string>

#include <ifaddrs.h>
#include <net/if.h>
#include <sys/stat.h>

// Empty when this process has a network namespace of its own (unshare -n); else why not.
inline std::string WhyNotPrivate()
{
    struct stat own = {}, machine = {};
    if (stat("/proc/self/ns/net", &own) == 0 && stat("/proc/1/ns/net", &machine) == 0)
        return own.st_dev == machine.st_dev && own.st_ino == machine.st_ino
            ? "runs in the machine's own network namespace"
            : "";
    // Where the first process's namespace cannot be looked at (a sandbox hides it even from
    // root), a namespace is private when no interface but loopback is up with an address.
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0)
        return "cannot list the network interfaces";
    std::string reason;
    for (const ifaddrs* entry = list; entry && reason.empty(); entry = entry->ifa_next)
        if (entry->ifa_addr && entry->ifa_addr->sa_family == AF_INET && (entry->ifa_flags & IFF_UP)
            && !(entry->ifa_flags & IFF_LOOPBACK))
            reason = std::string("interface ") + entry->ifa_name + " reaches a real network";
    freeifaddrs(list);
    return reason;
}

// The benchmarks open the program's sockets: they run only in a network namespace of their own
// (unshare -n sh -c 'ip link set lo up; ...'). False, having said why, anywhere else.
inline bool RequirePrivateNetwork()
{
    const std::string reason = WhyNotPrivate();
    if (!reason.empty())
        std::fprintf(stderr, "refused: run it in a private network namespace (%s)\n", reason.c_str());
    return reason.empty();
}
