#include "online/PresenceRoster.h"

#include "online/RosterList.h"

#include <algorithm>

PresenceRoster::PresenceRoster(RosterList& list, NewUserHandler onNewUser)
    : m_list(list)
    , m_onNewUser(std::move(onNewUser))
{
}

OnlineUser* PresenceRoster::Find(const QString& name)
{
    const auto it = m_index.constFind(name);
    return it == m_index.cend() ? nullptr : &m_users[static_cast<std::size_t>(*it)];
}

void PresenceRoster::OnPresence(const QString& sender)
{
    if (OnlineUser* user = Find(sender)) {
        user->presenceTicks = OnlineUser::PRESENCE_TICKS;
        return;
    }
    OnlineUser user;
    user.name = sender;
    user.presenceTicks = OnlineUser::PRESENCE_TICKS;
    user.item = m_list.AddUserItem(sender);
    m_index.insert(sender, static_cast<qsizetype>(m_users.size()));
    m_users.push_back(std::move(user));
    if (m_onNewUser)
        m_onNewUser();
}

void PresenceRoster::OnChatPresence(const QString& sender)
{
    OnlineUser* user = Find(sender);
    if (!user)
        return; // not listed yet: the next chat-presence packet after its presence marks it
    user->chatTicks = OnlineUser::CHAT_TICKS;
    if (!user->inChat) {
        m_list.SetUserItemInChat(user->item, true);
        user->inChat = true;
    }
}

void PresenceRoster::Tick()
{
    bool removed = false;
    for (OnlineUser& user : m_users) {
        if (user.presenceTicks > 0) {
            --user.presenceTicks;
        } else {
            m_list.RemoveUserItem(user.item);
            user.item = nullptr;
            removed = true;
            continue;
        }
        if (user.inChat) {
            if (user.chatTicks > 0) {
                --user.chatTicks;
            } else {
                m_list.SetUserItemInChat(user.item, false);
                user.inChat = false;
            }
        }
    }
    if (removed) {
        std::erase_if(m_users, [](const OnlineUser& user) { return user.item == nullptr; });
        RebuildIndex();
    }
}

void PresenceRoster::RebuildIndex()
{
    m_index.clear();
    m_index.reserve(static_cast<qsizetype>(m_users.size()));
    for (std::size_t i = 0; i < m_users.size(); ++i)
        m_index.insert(m_users[i].name, static_cast<qsizetype>(i));
}
