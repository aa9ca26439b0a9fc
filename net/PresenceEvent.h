#pragma once

#include "net/MessagePacket.h"
#include "net/WindowMessages.h"

// WM_PRESENCE: a presence (lParam 0) or chat-presence (lParam 1) announcement for the Online
// window. The event owns its copy of the record.
class PresenceEvent : public QEvent {
public:
    PresenceEvent(const MessagePacket& packet, bool chatPresence)
        : QEvent(WM_PRESENCE)
        , m_packet(packet)
        , m_bChatPresence(chatPresence)
    {
    }

    const MessagePacket& Packet() const { return m_packet; }
    bool IsChatPresence() const { return m_bChatPresence; }
    int LParam() const { return m_bChatPresence ? 1 : 0; }

private:
    MessagePacket m_packet;
    bool m_bChatPresence;
};
