#pragma once

#include "session/OnlineUser.h"

#include <QHash>
#include <QString>
#include <QStringList>

#include <vector>

// Who is online now. Presence packets add or refresh a user, chat-presence packets mark a
// listed user as being in the chat room, and the one-second tick counts both down: a user
// is dropped on the seventh tick after its last presence packet, the chat mark goes on the
// fifth tick after the last chat-presence packet.
//
// Names are compared exactly, with regard to case: users whose names differ only in case, or
// a user called "All", are users of their own. One name used on two computers at once is one
// user, marked (see OnlineUser).
class PresenceRoster {
public:
    // What the roster tells of each change, as it happens.
    class Changes {
    public:
        virtual ~Changes() = default;
        virtual void OnUserListed(const QString& name) = 0;
        // Everybody dropped in one tick, at once.
        virtual void OnUsersDropped(const QStringList& names) = 0;
        virtual void OnUserChatChanged(const QString& name, bool inChat) = 0;
        virtual void OnUserOnTwoComputersChanged(const QString& name, bool onTwo) = 0;
    };

    explicit PresenceRoster(Changes& changes);

    // from: the IPv4 address the presence came from.
    void OnPresence(const QString& sender, quint32 from);
    void OnChatPresence(const QString& sender);
    void Tick();
    // Gives back the room that users no longer listed took.
    void Compact();

    bool IsListed(const QString& name) const { return m_index.contains(name); }
    bool IsOnTwoComputers(const QString& name) const;
    const std::vector<OnlineUser>& Users() const { return m_users; }

private:
    OnlineUser* Find(const QString& name);
    void TickAddresses(OnlineUser& user);
    void RebuildIndex();

    Changes& m_changes;
    std::vector<OnlineUser> m_users; // in order of arrival
    QHash<QString, qsizetype> m_index; // name -> position in m_users
};
