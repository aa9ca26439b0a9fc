#include "platform/NetworkList.h"

#include "platform/InterfaceWatcher.h"

namespace {

constexpr std::chrono::seconds kUnwatchedLookupInterval(1);

} // namespace

NetworkList::NetworkList(Source source, std::function<void()> changed)
    : m_source(std::move(source))
    , m_changed(std::move(changed))
    , m_watcher(std::make_unique<InterfaceWatcher>([this] {
        m_bStale = true;
        if (m_changed)
            m_changed();
    }))
{
}

NetworkList::~NetworkList() = default;

const std::vector<Ipv4Network>& NetworkList::Current()
{
    const auto now = std::chrono::steady_clock::now();
    if (m_bStale || (!m_watcher->IsWatching() && now - m_lookedUp >= kUnwatchedLookupInterval)) {
        m_networks = m_source();
        m_lookedUp = now;
        m_bStale = false;
    }
    return m_networks;
}

bool NetworkList::LookAgain()
{
    std::vector<Ipv4Network> now = m_source();
    m_lookedUp = std::chrono::steady_clock::now();
    m_bStale = false;
    if (now == m_networks)
        return false;
    m_networks = std::move(now);
    return true;
}
