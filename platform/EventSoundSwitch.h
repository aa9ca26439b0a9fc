#pragma once

#include <QDBusConnection>
#include <QDBusMessage>
#include <QObject>

// The desktop's "event sounds" switch, as the desktop's settings portal reports it
// (org.freedesktop.portal.Settings, org.gnome.desktop.sound event-sounds), followed while the
// program runs. On until the portal says otherwise; without a portal or bus it stays on.
class EventSoundSwitch : public QObject {
    Q_OBJECT

public:
    explicit EventSoundSwitch(const QDBusConnection& bus = QDBusConnection::sessionBus(), QObject* parent = nullptr);

    bool IsOn() const { return m_on; }

private Q_SLOTS:
    void OnSettingChanged(const QDBusMessage& change);

private:
    void Take(const QVariant& value);

    QDBusConnection m_bus;
    bool m_on = true;
};
