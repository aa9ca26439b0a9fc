#include "net/RepeatFilter.h"

namespace {

// Bounds the memory under a flood; a burst of more distinct records within kSpan than this
// may show a few twins.
constexpr std::size_t kMaxRecent = 1024;

} // namespace

bool RepeatFilter::IsRepeat(Wire wire, const MessagePacket& record, Clock::time_point now)
{
    Last& last = m_last[wire];
    const bool repeatOnWire = last.readAt && now - *last.readAt < kSpan && record.SameContent(last.record);
    last = {record, now};
    if (repeatOnWire)
        return true;

    while (!m_recent.empty() && now - m_recent.front().at >= kSpan)
        m_recent.pop_front();
    const std::size_t hash = record.ContentHash();
    for (auto it = m_recent.begin(); it != m_recent.end(); ++it) {
        if (it->wire != wire && it->hash == hash && it->record.SameContent(record)) {
            m_recent.erase(it);
            return true;
        }
    }
    if (m_recent.size() == kMaxRecent)
        m_recent.pop_front();
    m_recent.push_back({now, wire, hash, record});
    return false;
}
