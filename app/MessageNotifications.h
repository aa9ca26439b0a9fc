#pragma once

#include <QObject>

class CIncomingMessagesDialog;
class CRegistry;
class DesktopNotifier;

// A private message that arrives while the Incoming Messages window is not the active window
// also goes to the desktop's notifications (unless "Notify" is 0); a click on one shows the
// window on that message. A message that was read (clicked, or shown in the active window) has
// its notification closed. The tray flash and the sound are the window's and the tray's.
class MessageNotifications : public QObject {
    Q_OBJECT

public:
    MessageNotifications(CIncomingMessagesDialog& window, CRegistry& registry, DesktopNotifier& notifier,
                         QObject* parent = nullptr);

private:
    void OnMessageArrived(int line, const QString& sender, const QString& text);

    CIncomingMessagesDialog& m_window;
    CRegistry& m_registry;
    DesktopNotifier& m_notifier;
};
