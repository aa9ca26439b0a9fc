#pragma once

#include "net/MessagePacket.h"

// The one door out: the Online window implements it and hands each packet to the transport on
// the GUI thread, so that every send happens on that one thread and in the order it was asked.
class PacketSender {
public:
    virtual ~PacketSender() = default;
    // True when the packet went out on the network.
    virtual bool SendPacket(const MessagePacket& packet) = 0;
};
