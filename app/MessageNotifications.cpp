#include "app/MessageNotifications.h"

#include "messages/CIncomingMessagesDialog.h"
#include "platform/DesktopId.h"
#include "platform/DesktopNotifier.h"
#include "platform/ThreadCheck.h"
#include "prefs/GeneralSettings.h"

MessageNotifications::MessageNotifications(CIncomingMessagesDialog& window, CRegistry& registry,
                                           DesktopNotifier& notifier, QObject* parent)
    : QObject(parent)
    , m_window(window)
    , m_registry(registry)
    , m_notifier(notifier)
{
    connect(&m_window, &CIncomingMessagesDialog::MessageArrived, this, &MessageNotifications::OnMessageArrived);
    connect(&m_notifier, &DesktopNotifier::Activated, &m_window, [this](quint64 line) {
        m_notifier.Close(line);
        m_window.ShowMessage(static_cast<int>(line));
    });
    // A message the user has read needs no notification any more.
    connect(&m_window, &CIncomingMessagesDialog::MessageRead, &m_notifier,
            [this](int line) { m_notifier.Close(static_cast<quint64>(line)); });
}

void MessageNotifications::OnMessageArrived(int line, const QString& sender, const QString& text)
{
    ASSERT_GUI_THREAD();
    // The setting is read at each message, so a change in the settings file counts at once.
    if (m_window.isActiveWindow() || !LoadGeneralSettings(m_registry).notify)
        return;
    m_notifier.Show(static_cast<quint64>(line),
                    DesktopNotification{
                        .summary = sender,
                        .body = text,
                        .iconName = DesktopId(),
                        .desktopEntry = DesktopId(),
                    });
}
