#pragma once

#include "net/ReceiveQueue.h"

#include <algorithm>
#include <vector>

// Stands in for the session: keeps each record handed on, by kind, in the order it came.
class RecordingReceiver : public ReceiveQueue::Handler {
public:
    struct Received {
        MessagePacket packet;
        bool flag = false; // chat presence, or a message that came unnoticed
        quint32 from = 0;
    };

    std::vector<Received> chat, incoming, presence;
    std::uint64_t droppedMessages = 0;

    std::size_t Count() const { return chat.size() + incoming.size() + presence.size(); }
    // Messages that came while the Incoming Messages window was not in front (the tray flashes).
    std::size_t Unnoticed() const
    {
        return static_cast<std::size_t>(
            std::count_if(incoming.begin(), incoming.end(), [](const Received& r) { return r.flag; }));
    }
    void Clear() { chat.clear(), incoming.clear(), presence.clear(); }

    void OnPresence(const MessagePacket& packet, bool chatPresence, quint32 from) override
    {
        presence.push_back({packet, chatPresence, from});
    }
    void OnMessage(const MessagePacket& packet, bool unnoticed, quint32 from) override
    {
        incoming.push_back({packet, unnoticed, from});
    }
    void OnChatLine(const MessagePacket& packet, quint32 from) override { chat.push_back({packet, false, from}); }
    void OnMessagesDropped(std::uint64_t count) override { droppedMessages += count; }
};
