#include "net/ReceiveQueue.h"

#include "platform/FreeMemory.h"
#include "platform/Logging.h"
#include "platform/ThreadCheck.h"

#include <QCoreApplication>

#include <algorithm>
#include <cstring>

namespace {

const QEvent::Type kWakeUp = static_cast<QEvent::Type>(QEvent::registerEventType());

// How long one slice of hand-overs may hold the GUI thread before it lets other events in.
// The clock is read after every record: one record may cost a window a lot (a long list).
constexpr std::chrono::milliseconds kSlice(8);
// Drops in a flood that never lets the queue drain are still logged this often.
constexpr std::chrono::seconds kReportEvery(5);
// A drain after this many records waited gives the containers' memory back.
constexpr std::size_t kCompactAfter = 10'000;

std::string PresenceKey(const MessagePacket& packet, bool chatPresence, quint32 from)
{
    const std::size_t length = strnlen(packet.sender.data(), packet.sender.size());
    std::string key(packet.sender.data(), length);
    key.push_back(chatPresence ? '\1' : '\0');
    key.append(reinterpret_cast<const char*>(&from), sizeof from);
    return key;
}

} // namespace

ReceiveQueue::ReceiveQueue()
{
    m_postOrder.Watch(this);
}

void ReceiveQueue::SetHandler(Handler* handler)
{
    ASSERT_GUI_THREAD();
    m_pHandler = handler;
}

bool ReceiveQueue::NeedsWakeUp()
{
    if (m_bWakeUpPosted)
        return false;
    m_bWakeUpPosted = true;
    return true;
}

void ReceiveQueue::PostWakeUp()
{
    PostedEventOrder::Post(this, new QEvent(kWakeUp));
}

void ReceiveQueue::PushChatLine(const MessagePacket& packet, quint32 from)
{
    std::unique_lock lock(m_mutex);
    if (m_chatLines.size() >= kMaxWaiting) {
        m_chatLines.pop_front();
        ++m_droppedChatLines;
    }
    m_chatLines.push_back({packet, from});
    m_peakWaiting = std::max(m_peakWaiting, m_chatLines.size());
    const bool wake = NeedsWakeUp();
    lock.unlock();
    if (wake)
        PostWakeUp();
}

void ReceiveQueue::PushMessage(const MessagePacket& packet, bool unnoticed, quint32 from)
{
    std::unique_lock lock(m_mutex);
    if (m_messages.size() >= kMaxMessages) {
        m_messages.pop_front();
        ++m_droppedMessages;
        ++m_messagesToTell;
    }
    m_messages.emplace_back(Heard{packet, from}, unnoticed);
    m_peakWaiting = std::max(m_peakWaiting, m_messages.size());
    const bool wake = NeedsWakeUp();
    lock.unlock();
    if (wake)
        PostWakeUp();
}

void ReceiveQueue::PushPresence(const MessagePacket& packet, bool chatPresence, quint32 from)
{
    std::string key = PresenceKey(packet, chatPresence, from);
    std::unique_lock lock(m_mutex);
    if (const auto found = m_presenceSlot.find(key); found != m_presenceSlot.end()) {
        m_presence[found->second - m_presenceFront].packet = packet;
        return; // a wake-up is on its way already
    }
    if (m_presence.size() >= kMaxWaiting) {
        const PresenceSlot& oldest = m_presence.front();
        m_presenceSlot.erase(PresenceKey(oldest.packet, oldest.chatPresence, oldest.from));
        m_presence.pop_front();
        ++m_presenceFront;
        ++m_droppedPresence;
    }
    m_presenceSlot.emplace(key, m_presenceFront + m_presence.size());
    m_presence.push_back({packet, chatPresence, from});
    m_peakWaiting = std::max(m_peakWaiting, m_presence.size());
    if (m_knownSenders.size() >= kMaxWaiting)
        m_knownSenders.clear();
    if (!m_knownSenders.insert(std::move(key)).second)
        return; // a sender seen before: its record waits for the next tick
    const bool wake = NeedsWakeUp();
    lock.unlock();
    if (wake)
        PostWakeUp();
}

std::size_t ReceiveQueue::Waiting() const
{
    const std::lock_guard lock(m_mutex);
    return WaitingLocked();
}

std::size_t ReceiveQueue::WaitingLocked() const
{
    return m_chatLines.size() + m_messages.size() + m_presence.size();
}

bool ReceiveQueue::PopNext(Item& item)
{
    for (int tried = 0; tried < 3; ++tried) {
        const int kind = m_nextKind;
        m_nextKind = (m_nextKind + 1) % 3;
        if (kind == 0 && !m_presence.empty()) {
            const PresenceSlot& slot = m_presence.front();
            item = {Kind::Presence, slot.packet, slot.chatPresence, slot.from};
            m_presenceSlot.erase(PresenceKey(slot.packet, slot.chatPresence, slot.from));
            m_presence.pop_front();
            ++m_presenceFront;
            return true;
        }
        if (kind == 1 && !m_messages.empty()) {
            const auto& [message, unnoticed] = m_messages.front();
            item = {Kind::Message, message.packet, unnoticed, message.from};
            m_messages.pop_front();
            return true;
        }
        if (kind == 2 && !m_chatLines.empty()) {
            item = {Kind::ChatLine, m_chatLines.front().packet, false, m_chatLines.front().from};
            m_chatLines.pop_front();
            return true;
        }
    }
    return false;
}

void ReceiveQueue::Deliver(const Item& item) const
{
    if (!m_pHandler)
        return;
    switch (item.kind) {
    case Kind::Presence:
        m_pHandler->OnPresence(item.packet, item.flag, item.from);
        break;
    case Kind::Message:
        m_pHandler->OnMessage(item.packet, item.flag, item.from);
        break;
    case Kind::ChatLine:
        m_pHandler->OnChatLine(item.packet, item.from);
        break;
    }
}

void ReceiveQueue::DeliverWaiting()
{
    ASSERT_GUI_THREAD();
    const auto end = std::chrono::steady_clock::now() + kSlice;
    bool drained = false;
    for (;;) {
        Item item;
        {
            const std::lock_guard lock(m_mutex);
            if (!PopNext(item)) {
                m_bWakeUpPosted = false;
                drained = true;
                break;
            }
        }
        Deliver(item);
        if (std::chrono::steady_clock::now() >= end) {
            PostWakeUp(); // the rest in the next slice, after what else waits
            break;
        }
    }
    ReportDrops(drained);
}

void ReceiveQueue::ReportDrops(bool drained)
{
    std::uint64_t lines = 0;
    std::uint64_t presence = 0;
    std::uint64_t messages = 0;
    std::uint64_t untold = 0;
    bool compacted = false;
    const auto now = std::chrono::steady_clock::now();
    {
        const std::lock_guard lock(m_mutex);
        std::swap(untold, m_messagesToTell);
        if (drained || now - m_lastReport >= kReportEvery) {
            std::swap(lines, m_droppedChatLines);
            std::swap(presence, m_droppedPresence);
            std::swap(messages, m_droppedMessages);
        }
        if (drained && WaitingLocked() == 0 && m_peakWaiting >= kCompactAfter) {
            Compact();
            compacted = true;
        }
    }
    if (untold && m_pHandler)
        m_pHandler->OnMessagesDropped(untold);
    if (lines || presence || messages) {
        m_lastReport = now;
        qCInfo(lcNet) << "receive queue full: dropped" << lines << "waiting chat lines," << presence
                      << "waiting presence records and" << messages << "waiting private messages";
    }
    if (compacted)
        ReturnFreeMemory();
}

void ReceiveQueue::ForgetSenders()
{
    const std::lock_guard lock(m_mutex);
    decltype(m_knownSenders)().swap(m_knownSenders);
}

void ReceiveQueue::Compact()
{
    m_peakWaiting = 0;
    m_chatLines.shrink_to_fit();
    m_messages.shrink_to_fit();
    m_presence.shrink_to_fit();
    decltype(m_presenceSlot)().swap(m_presenceSlot);
}

bool ReceiveQueue::event(QEvent* event)
{
    if (event->type() != kWakeUp)
        return QObject::event(event);
    DeliverWaiting();
    return true;
}
