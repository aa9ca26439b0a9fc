#pragma once

#include "online/OnlineUser.h"

#include <QHash>
#include <QString>

#include <functional>
#include <vector>

class RosterList;

// Who is online now. Presence packets add or refresh a user, chat-presence packets mark a
// listed user as being in the chat room, and the one-second tick counts both down: a user
// is dropped on the seventh tick after its last presence packet, the chat mark goes on the
// fifth tick after the last chat-presence packet.
//
// Names are compared exactly, with regard to case. Every entry owns its list item, so users
// whose names differ only in case, or a user called "All", never touch each other's items
// or the list's "All" item.
class PresenceRoster {
public:
    using NewUserHandler = std::function<void()>;

    PresenceRoster(RosterList& list, NewUserHandler onNewUser);

    void OnPresence(const QString& sender);
    void OnChatPresence(const QString& sender);
    void Tick();

    const std::vector<OnlineUser>& Users() const { return m_users; }

private:
    OnlineUser* Find(const QString& name);
    void RebuildIndex();

    RosterList& m_list;
    NewUserHandler m_onNewUser;
    std::vector<OnlineUser> m_users; // in order of arrival
    QHash<QString, qsizetype> m_index; // name -> position in m_users
};
