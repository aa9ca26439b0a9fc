#include "net/RepeatFilter.h"

namespace {

// Bounds the memory under a flood; a burst of more distinct records within kSpan than this
// may show a few twins.
constexpr std::size_t kMaxRecent = 1024;
// How long a handed-on record waits for its twin: the other wire may be read this much later.
constexpr std::chrono::seconds kKept(1);

// One sending can reach the machine from two addresses only through two interfaces.
bool OneSender(const DatagramOrigin& a, const DatagramOrigin& b)
{
    return a.address == b.address || a.interface != b.interface;
}

} // namespace

bool RepeatFilter::IsRepeat(Wire wire, const MessagePacket& record, Clock::time_point arrived,
                            const DatagramOrigin& from)
{
    Last& last = m_last[wire];
    const bool repeatOnWire = last.arrived && arrived - *last.arrived < kSpan && OneSender(from, last.from)
        && record.SameContent(last.record);
    last = {record, arrived, from};
    if (repeatOnWire)
        return true;

    while (!m_recent.empty() && arrived - m_recent.front().at >= kKept)
        m_recent.pop_front();
    const std::size_t hash = record.ContentHash();
    for (auto it = m_recent.begin(); it != m_recent.end(); ++it) {
        const auto apart = arrived > it->at ? arrived - it->at : it->at - arrived;
        if (it->wire != wire && apart < kSpan && it->hash == hash && OneSender(from, it->from)
            && it->record.SameContent(record)) {
            m_recent.erase(it);
            return true;
        }
    }
    if (m_recent.size() == kMaxRecent)
        m_recent.pop_front();
    m_recent.push_back({arrived, wire, hash, record, from});
    return false;
}
