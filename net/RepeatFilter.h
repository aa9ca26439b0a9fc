#pragma once

#include "net/MessagePacket.h"
#include "platform/BroadcastReceiver.h"

#include <array>
#include <chrono>
#include <deque>
#include <optional>

// Which records read by the listener are copies of one already handed on. A broadcast comes
// back once per interface it went out on, and a copy that speaks both wires (its own and the
// Windows peers' mailslot) is heard on each, within milliseconds. Times are when a record
// reached the machine, not when it was read, so a listener that falls behind on a busy machine
// still pairs them:
// - on one wire, a record equal to the record read just before it on that wire, arrived
//   within kSpan, is such a copy;
// - a record equal to one handed on from the other wire that arrived within kSpan of it is its
//   twin, and each handed-on record absorbs one twin only;
// - but equal records from two addresses on one interface are two computers saying the same
//   (two copies that go by one name announce themselves alike), and both are handed on.
// Presence, sent once a second, is never absorbed; the same text said twice a second apart is
// shown twice.
class RepeatFilter {
public:
    using Clock = std::chrono::steady_clock;
    enum Wire { OWN_WIRE = 0, MAILSLOT_WIRE = 1 };
    static constexpr std::chrono::milliseconds kSpan{50};

    // True when the record, read from wire, which reached the machine at arrived, is to be
    // dropped. The wires are read one after the other, so arrival times go back and forth
    // between them.
    bool IsRepeat(Wire wire, const MessagePacket& record, Clock::time_point arrived, const DatagramOrigin& from);

private:
    struct Last {
        MessagePacket record;
        std::optional<Clock::time_point> arrived;
        DatagramOrigin from;
    };
    struct HandedOn {
        Clock::time_point at;
        Wire wire;
        std::size_t hash;
        MessagePacket record;
        DatagramOrigin from;
    };

    std::array<Last, 2> m_last;
    std::deque<HandedOn> m_recent;
};
