#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>

#include <deque>
#include <map>

class CIncomingMessagesDialog;
class CRegistry;
class DesktopNotifier;
struct DesktopNotification;

// A private message that arrives while the Incoming Messages window is not the active window
// also goes to the desktop's notifications (unless "Notify" is 0); a click on one shows the
// window on the oldest message it tells of. One notification per sender: while it is on the
// desktop, the sender's next messages update it with their count. At most kMaxSenders senders
// have one; messages of any others are counted in one more. The desktop is told at most
// kShowsPerSecond times a second, the latest state of each notification only. A notification
// whose message was read (clicked, or shown in the active window) is closed. The tray flash
// and the sound are the window's and the tray's.
class MessageNotifications : public QObject {
    Q_OBJECT

public:
    static constexpr int kMaxSenders = 4;
    static constexpr int kShowsPerSecond = 4;

    MessageNotifications(CIncomingMessagesDialog& window, CRegistry& registry, DesktopNotifier& notifier,
                         QObject* parent = nullptr);

private:
    struct Shown {
        QString sender; // empty: the one for every other sender
        quint64 first = 0; // number of the oldest message told of
        quint64 count = 0;
        QString newest;
        bool due = false; // changed since the desktop was last told
        bool onDesktop = false; // the desktop was told of it
    };

    void OnMessageArrived(quint64 number, const QString& sender, const QString& text);
    void OnMessageRead(quint64 number, const QString& sender);
    void OnActivated(quint64 key);
    // Tells the desktop what changed, as far as this second's share allows.
    void Flush();
    static DesktopNotification Describe(const Shown& shown);

    CIncomingMessagesDialog& m_window;
    CRegistry& m_registry;
    DesktopNotifier& m_notifier;
    std::map<quint64, Shown> m_shown; // by key; kOthersKey is the one for other senders
    quint64 m_nextKey = 1;
    QElapsedTimer m_clock;
    std::deque<qint64> m_recentShows; // when the last kShowsPerSecond were, on m_clock
    QTimer m_flushTimer;
};
