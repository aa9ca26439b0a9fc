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

bool PresenceRoster::IsOnTwoComputers(const QString& name) const
{
    const auto it = m_index.constFind(name);
    return it != m_index.cend() && m_users[static_cast<std::size_t>(*it)].onTwoComputers;
}

void PresenceRoster::OnPresence(const QString& sender, quint32 from)
{
    if (OnlineUser* user = Find(sender)) {
        user->presenceTicks = OnlineUser::PRESENCE_TICKS;
        auto& [first, second] = user->heard;
        OnlineUser::HeardAddress& slot = first.address == from ? first
            : second.address == from                           ? second
            : first.ticks >= second.ticks                       ? first
                                                                : second;
        slot = {from, 0};
        return;
    }
    m_index.insert(sender, static_cast<qsizetype>(m_users.size()));
    m_users.push_back({.name = sender, .presenceTicks = OnlineUser::PRESENCE_TICKS, .heard = {{{from, 0}, {}}}});
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
    QStringList dropped;
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
        TickAddresses(user);
        return false;
    });
    if (dropped.empty())
        return;
    RebuildIndex();
    m_changes.OnUsersDropped(dropped);
}

void PresenceRoster::TickAddresses(OnlineUser& user)
{
    for (OnlineUser::HeardAddress& heard : user.heard)
        heard.ticks = std::min(heard.ticks + 1, OnlineUser::ADDRESS_TICKS + 1);
    const bool two = std::ranges::all_of(
        user.heard, [](const OnlineUser::HeardAddress& heard) { return heard.ticks <= OnlineUser::ADDRESS_TICKS; });
    if (two && user.onTwoComputers) {
        user.twoAddressTicks = OnlineUser::PRESENCE_TICKS;
    } else if (two) {
        if (++user.twoAddressTicks < OnlineUser::TWO_ADDRESS_TICKS)
            return;
        user.onTwoComputers = true;
        user.twoAddressTicks = OnlineUser::PRESENCE_TICKS;
        m_changes.OnUserOnTwoComputersChanged(user.name, true);
    } else if (!user.onTwoComputers) {
        user.twoAddressTicks = 0;
    } else if (--user.twoAddressTicks == 0) {
        user.onTwoComputers = false;
        m_changes.OnUserOnTwoComputersChanged(user.name, false);
    }
}

void PresenceRoster::RebuildIndex()
{
    m_index.clear();
    m_index.reserve(static_cast<qsizetype>(m_users.size()));
    for (std::size_t i = 0; i < m_users.size(); ++i)
        m_index.insert(m_users[i].name, static_cast<qsizetype>(i));
}

void PresenceRoster::Compact()
{
    m_users.shrink_to_fit();
    m_index.squeeze();
}
