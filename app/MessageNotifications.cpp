#include "app/MessageNotifications.h"

#include "messages/CIncomingMessagesDialog.h"
#include "platform/DesktopId.h"
#include "platform/DesktopNotifier.h"
#include "platform/Logging.h"
#include "platform/ThreadCheck.h"
#include "prefs/GeneralSettings.h"

#include <algorithm>

namespace {

constexpr quint64 kOthersKey = 0;
constexpr qint64 kSecondMs = 1000;

} // namespace

MessageNotifications::MessageNotifications(CIncomingMessagesDialog& window, CRegistry& registry,
                                           DesktopNotifier& notifier, QObject* parent)
    : QObject(parent)
    , m_window(window)
    , m_registry(registry)
    , m_notifier(notifier)
{
    m_clock.start();
    m_flushTimer.setSingleShot(true);
    connect(&m_flushTimer, &QTimer::timeout, this, &MessageNotifications::Flush);
    connect(&m_window, &CIncomingMessagesDialog::MessageArrived, this, &MessageNotifications::OnMessageArrived);
    connect(&m_window, &CIncomingMessagesDialog::MessageRead, this, &MessageNotifications::OnMessageRead);
    connect(&m_notifier, &DesktopNotifier::Activated, this, &MessageNotifications::OnActivated);
    connect(&m_notifier, &DesktopNotifier::Closed, this, [this](quint64 key) { m_shown.erase(key); });
}

void MessageNotifications::OnMessageArrived(quint64 number, const QString& sender, const QString& text)
{
    ASSERT_GUI_THREAD();
    if (m_window.isActiveWindow())
        return;
    auto found = std::find_if(m_shown.begin(), m_shown.end(), [&](const auto& entry) {
        return entry.first != kOthersKey && entry.second.sender == sender;
    });
    if (found == m_shown.end()) {
        const auto senders = m_shown.size() - m_shown.count(kOthersKey);
        const quint64 key = senders < kMaxSenders ? m_nextKey++ : kOthersKey;
        Shown shown;
        shown.sender = key == kOthersKey ? QString() : sender;
        shown.first = number;
        found = m_shown.try_emplace(key, shown).first;
        if (key == kOthersKey && found->second.count == 0)
            qCInfo(lcTray) << "notifications: more than" << kMaxSenders << "senders, the others are counted in one";
    }
    Shown& shown = found->second;
    ++shown.count;
    shown.newest = text;
    shown.due = true;
    Flush();
}

void MessageNotifications::Flush()
{
    const qint64 now = m_clock.elapsed();
    const auto spent = [&] { return m_recentShows.size() >= kShowsPerSecond && now - m_recentShows.front() < kSecondMs; };
    if (spent()) {
        if (!m_flushTimer.isActive())
            m_flushTimer.start(static_cast<int>(m_recentShows.front() + kSecondMs - now));
        return;
    }
    // The setting is read whenever the desktop could be told, so a change in the settings file
    // counts at once; what came while it was off is forgotten.
    if (!LoadGeneralSettings(m_registry).notify) {
        std::erase_if(m_shown, [](const auto& entry) { return !entry.second.onDesktop; });
        for (auto& entry : m_shown)
            entry.second.due = false;
        return;
    }
    bool waiting = false;
    for (auto& [key, shown] : m_shown) {
        if (!shown.due)
            continue;
        if (spent()) {
            waiting = true;
            continue;
        }
        if (m_recentShows.size() >= kShowsPerSecond)
            m_recentShows.pop_front();
        m_recentShows.push_back(now);
        shown.due = false;
        shown.onDesktop = true;
        m_notifier.Show(key, Describe(shown));
    }
    if (waiting && !m_flushTimer.isActive())
        m_flushTimer.start(static_cast<int>(m_recentShows.front() + kSecondMs - now));
}

DesktopNotification MessageNotifications::Describe(const Shown& shown)
{
    DesktopNotification notification;
    notification.iconName = DesktopId();
    notification.desktopEntry = DesktopId();
    if (shown.sender.isEmpty()) {
        notification.summary = shown.count == 1 ? QStringLiteral("1 more message")
                                                : QStringLiteral("%1 more messages").arg(shown.count);
        notification.body = QStringLiteral("from other senders");
    } else {
        notification.summary = shown.sender;
        notification.body = shown.count == 1 ? shown.newest
                                             : QStringLiteral("%1 messages, the newest:\n%2").arg(shown.count).arg(shown.newest);
    }
    return notification;
}

// A message read closes the notification that tells of it: its sender's, or the one for others.
void MessageNotifications::OnMessageRead(quint64 number, const QString& sender)
{
    for (auto it = m_shown.begin(); it != m_shown.end();) {
        const bool told = number >= it->second.first && (it->first == kOthersKey || it->second.sender == sender);
        if (!told) {
            ++it;
            continue;
        }
        m_notifier.Close(it->first);
        it = m_shown.erase(it);
    }
}

void MessageNotifications::OnActivated(quint64 key)
{
    const auto found = m_shown.find(key);
    if (found == m_shown.end())
        return;
    const quint64 first = found->second.first;
    m_notifier.Close(key);
    m_shown.erase(found);
    m_window.ShowMessage(first);
}
