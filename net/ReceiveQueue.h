#pragma once

#include "net/MessagePacket.h"
#include "platform/PostedEventOrder.h"

#include <QObject>

#include <chrono>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <unordered_map>
#include <unordered_set>

// Where received records wait between the listener and the session. The listener pushes; the
// first record that finds the queue idle posts one wake-up to this object, which then hands the
// waiting records to its handler on the GUI thread, in slices of a few milliseconds so that
// timers and input are never held up for long. This is the one place where a record crosses
// from the listener thread to the GUI thread.
//
// What waits is bounded: presence and chat presence keep only the newest record per sender;
// at most kMaxWaiting chat lines and kMaxMessages private messages wait, and beyond that the
// oldest waiting one is dropped (counted in the developer log once the burst has been handed
// on, and the dropped messages told to the handler). Once the queue drains after a burst its
// containers give their memory back.
//
// Presence of a sender that was handed on before does not wake the GUI thread: it waits for the
// next wake-up or for the Online window's once-a-second tick, which takes it first. Only a new
// sender, a chat line or a message wakes the GUI thread, so an idle copy that hears its own
// presence every second does not wake for it. Lives on the GUI thread.
class ReceiveQueue : public QObject {
public:
    // What takes the records on the GUI thread, one call per record.
    class Handler {
    public:
        virtual ~Handler() = default;
        // from: the IPv4 address the record came from.
        virtual void OnPresence(const MessagePacket& packet, bool chatPresence, quint32 from) = 0;
        // unnoticed: the Incoming Messages window was not in front when the message came.
        virtual void OnMessage(const MessagePacket& packet, bool unnoticed, quint32 from) = 0;
        virtual void OnChatLine(const MessagePacket& packet, quint32 from) = 0;
        // That many private messages were dropped unread, the oldest first, to keep the cap.
        virtual void OnMessagesDropped(std::uint64_t /*count*/) { }
    };

    // Chat lines, and presence of distinct senders, allowed to wait for the GUI thread.
    static constexpr std::size_t kMaxWaiting = 50'000;
    // Private messages allowed to wait, and to be kept by whoever shows them.
    static constexpr std::size_t kMaxMessages = 20'000;

    ReceiveQueue();

    // GUI thread, before the listener starts; records that come while there is none are dropped.
    void SetHandler(Handler* handler);

    // Listener thread.
    void PushChatLine(const MessagePacket& packet, quint32 from);
    void PushMessage(const MessagePacket& packet, bool unnoticed, quint32 from);
    void PushPresence(const MessagePacket& packet, bool chatPresence, quint32 from);

    std::size_t Waiting() const;

    // The senders gone (a storm is over): their next presence wakes the GUI thread again.
    void ForgetSenders();

    // GUI thread: hands on what waits now, as a wake-up does.
    void DeliverWaiting();

protected:
    bool event(QEvent* event) override;

private:
    enum class Kind { Presence, Message, ChatLine };
    struct Item {
        Kind kind;
        MessagePacket packet;
        bool flag = false; // Presence: chat presence; Message: unnoticed
        quint32 from = 0;
    };
    struct Heard {
        MessagePacket packet;
        quint32 from;
    };
    struct PresenceSlot {
        MessagePacket packet;
        bool chatPresence;
        quint32 from;
    };

    std::size_t WaitingLocked() const;
    // Under m_mutex: true when the caller must post a wake-up.
    bool NeedsWakeUp();
    void PostWakeUp();
    // Under m_mutex: the next record to hand on, taking the kinds in turn.
    bool PopNext(Item& item);
    void Deliver(const Item& item) const;
    // Under m_mutex, with nothing waiting: gives back what a burst made the containers take.
    void Compact();
    // The drops since the last report, in the log once the burst is over or every few seconds.
    void ReportDrops(bool drained);

    Handler* m_pHandler = nullptr;
    PostedEventOrder m_postOrder;

    mutable std::mutex m_mutex;
    bool m_bWakeUpPosted = false;
    int m_nextKind = 0;
    std::deque<Heard> m_chatLines;
    std::deque<std::pair<Heard, bool>> m_messages;
    // Presence in order of first arrival; a sender's newer record from the same address replaces
    // its waiting one (a name heard from two addresses keeps both: the roster marks it).
    std::deque<PresenceSlot> m_presence;
    std::unordered_map<std::string, std::uint64_t> m_presenceSlot; // sender + kind + address -> sequence
    // Senders whose presence was pushed before (forgotten all at once when it grows too large).
    std::unordered_set<std::string> m_knownSenders;
    std::uint64_t m_presenceFront = 0; // sequence number of m_presence.front()
    std::uint64_t m_droppedChatLines = 0;
    std::uint64_t m_droppedPresence = 0;
    std::uint64_t m_droppedMessages = 0;
    std::uint64_t m_messagesToTell = 0; // dropped messages not yet told to the handler
    std::chrono::steady_clock::time_point m_lastReport;
    std::size_t m_peakWaiting = 0; // since the queue last drained
};
