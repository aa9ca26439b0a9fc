#pragma once

#include "net/MessagePacket.h"
#include "net/WindowMessages.h"

// WM_PACKET: a chat line (to the Chat Room) or an accepted private message (to the Incoming
// Messages window). The event owns its copy of the record.
class PacketEvent : public QEvent {
public:
    explicit PacketEvent(const MessagePacket& packet)
        : QEvent(WM_PACKET)
        , m_packet(packet)
    {
    }

    const MessagePacket& Packet() const { return m_packet; }

private:
    MessagePacket m_packet;
};
