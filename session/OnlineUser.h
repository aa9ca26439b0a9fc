#pragma once

#include <QString>

// One user in the presence roster, with the ticks left before it is dropped and before its
// chat mark goes.
struct OnlineUser {
    static constexpr int PRESENCE_TICKS = 6;
    static constexpr int CHAT_TICKS = 4;

    QString name;
    int presenceTicks = 0;
    int chatTicks = 0;
    bool inChat = false;
};
