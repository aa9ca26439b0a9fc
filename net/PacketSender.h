#pragma once

#include "net/MessagePacket.h"

// The one door out: the Online window implements it and hands each packet to the transport on
// the GUI thread. It replaces the synchronous WM_SEND_PACKET message.
class PacketSender {
public:
    virtual ~PacketSender() = default;
    virtual void SendPacket(const MessagePacket& packet) = 0;
};
