#pragma once

#include "platform/BroadcastSender.h"

#include <chrono>
#include <functional>
#include <memory>
#include <vector>

class InterfaceWatcher;

// The IPv4 networks the machine is attached to now, looked up again only when the kernel
// says the interfaces changed (or, where it cannot say, at most once a second).
class NetworkList {
public:
    using Source = std::function<std::vector<Ipv4Network>()>;

    // changed (optional) is called on the owner's thread when the kernel reports a change.
    explicit NetworkList(Source source = BroadcastNetworks, std::function<void()> changed = {});
    ~NetworkList();
    NetworkList(const NetworkList&) = delete;
    NetworkList& operator=(const NetworkList&) = delete;

    const std::vector<Ipv4Network>& Current();
    // A send reached no network: looks at once, in case the kernel's report of a change is
    // still on its way. True when the networks changed.
    bool LookAgain();

private:
    Source m_source;
    std::function<void()> m_changed;
    std::vector<Ipv4Network> m_networks;
    std::chrono::steady_clock::time_point m_lookedUp;
    bool m_bStale = true;
    std::unique_ptr<InterfaceWatcher> m_watcher;
};
