#pragma once

#include "net/MessagePacket.h"

// The one door out: the Online window implements it and hands each packet to the transport on
// the GUI thread, so that every send happens on that one thread and in the order it was asked.
class PacketSender {
public:
    virtual ~PacketSender() = default;
    virtual void SendPacket(const MessagePacket& packet) = 0;
};
