#include "session/PresenceRoster.h"

#include <algorithm>

PresenceRoster::PresenceRoster(Changes& changes)
    : m_changes(changes)
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
    m_index.insert(sender, static_cast<qsizetype>(m_users.size()));
    m_users.push_back({.name = sender, .presenceTicks = OnlineUser::PRESENCE_TICKS});
    m_changes.OnUserListed(sender);
}

void PresenceRoster::OnChatPresence(const QString& sender)
{
    OnlineUser* user = Find(sender);
    if (!user)
        return; // not listed yet: the next chat-presence packet after its presence marks it
    user->chatTicks = OnlineUser::CHAT_TICKS;
    if (!user->inChat) {
        user->inChat = true;
        m_changes.OnUserChatChanged(sender, true);
    }
}

void PresenceRoster::Tick()
{
    std::vector<QString> dropped;
    std::erase_if(m_users, [&](OnlineUser& user) {
        if (user.presenceTicks == 0) {
            dropped.push_back(std::move(user.name));
            return true;
        }
        --user.presenceTicks;
        if (user.inChat && user.chatTicks-- == 0) {
            user.inChat = false;
            m_changes.OnUserChatChanged(user.name, false);
        }
        return false;
    });
    if (dropped.empty())
        return;
    RebuildIndex();
    for (const QString& name : dropped)
        m_changes.OnUserDropped(name);
}

void PresenceRoster::RebuildIndex()
{
    m_index.clear();
    m_index.reserve(static_cast<qsizetype>(m_users.size()));
    for (std::size_t i = 0; i < m_users.size(); ++i)
        m_index.insert(m_users[i].name, static_cast<qsizetype>(i));
}
