#pragma once

#include "platform/DesktopNotifier.h"

#include <QDBusConnection>
#include <QHash>

// Notifications through org.freedesktop.Notifications on the session bus. Every call is
// asynchronous: a missing server or bus costs one failed reply, never a wait.
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
    QDBusConnection m_bus;
    // Server's notification id -> the caller's key, while the notification may be clicked.
    QHash<uint, quint64> m_keys;
};
