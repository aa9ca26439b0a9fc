#pragma once

#include <QString>

#include <array>

// One user in the presence roster, with the ticks left before it is dropped and before its
// chat mark goes.
struct OnlineUser {
    static constexpr int PRESENCE_TICKS = 6;
    static constexpr int CHAT_TICKS = 4;

    QString name;
    int presenceTicks = 0;
    int chatTicks = 0;
    bool inChat = false;
    // Presence from two addresses, each heard within the last ADDRESS_TICKS ticks, for
    // TWO_ADDRESS_TICKS ticks running marks the name as used on two computers at once; the mark
    // goes after PRESENCE_TICKS ticks with one address only. A copy that moves to another
    // address (a relay taking over) is not marked, nor are two copies whose announcements fall
    // on either side of this copy's tick by turns.
    static constexpr int ADDRESS_TICKS = 2;
    static constexpr int TWO_ADDRESS_TICKS = 3;
    struct HeardAddress {
        quint32 address = 0;
        int ticks = ADDRESS_TICKS + 1; // since it was last heard; gone beyond ADDRESS_TICKS
    };
    bool onTwoComputers = false;
    std::array<HeardAddress, 2> heard; // the two addresses heard last
    int twoAddressTicks = 0; // ticks running with two addresses; while marked, ticks left
};
