#pragma once

#include "platform/DesktopNotifier.h"

#include <QDBusConnection>
#include <QHash>

#include <optional>

// Notifications through org.freedesktop.Notifications on the session bus. Every call is
// asynchronous: a missing server or bus costs one failed reply, never a wait. At most one
// Notify per key is on its way: what is shown meanwhile waits, the newest only, and replaces
// the notification once the server has said its id.
class FreedesktopNotifier : public DesktopNotifier {
    Q_OBJECT

public:
    explicit FreedesktopNotifier(const QDBusConnection& bus = QDBusConnection::sessionBus(), QObject* parent = nullptr);

    void Show(quint64 key, const DesktopNotification& notification) override;
    void Close(quint64 key) override;

private Q_SLOTS:
    void OnActionInvoked(uint id, const QString& action);
    void OnNotificationClosed(uint id, uint reason);

private:
    struct Shown {
        uint id = 0; // the server's, 0 until its reply
        bool pending = false; // a Notify is on its way
        bool closeWhenKnown = false;
        std::optional<DesktopNotification> next;
    };

    void Notify(quint64 key, uint replacesId, const DesktopNotification& notification);
    void OnNotifyReply(quint64 key, uint id);
    void CloseId(uint id);

    QDBusConnection m_bus;
    QHash<quint64, Shown> m_shown; // by the caller's key
    QHash<uint, quint64> m_keys; // server's notification id -> the caller's key
};
