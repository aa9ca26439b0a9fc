#pragma once

#include <QString>

class QListWidgetItem;

// One user in the presence roster. The entry owns its list item: it is found and changed
// through this pointer, never by searching the list for its text.
struct OnlineUser {
    static constexpr int PRESENCE_TICKS = 6;
    static constexpr int CHAT_TICKS = 4;

    QString name;
    int presenceTicks = 0;
    int chatTicks = 0;
    bool inChat = false;
    QListWidgetItem* item = nullptr;
};
