#pragma once

#include <QObject>
#include <QString>

// One notification of the desktop: a short line, a plain-text body, the program's icon and the
// desktop entry that owns it.
struct DesktopNotification {
    QString summary;
    QString body;
    QString iconName;
    QString desktopEntry;
};

// Shows desktop notifications that the user can click. Show and Close never wait; where the desktop has
// no notification service nothing is shown and nothing is reported.
class DesktopNotifier : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;

    // key comes back in Activated when the user clicks the notification. Shown again with a
    // key whose notification is still there, it replaces that notification in place.
    virtual void Show(quint64 key, const DesktopNotification& notification) = 0;
    // Takes the notification shown with this key off the desktop, if it is still there.
    virtual void Close(quint64 key) = 0;

Q_SIGNALS:
    void Activated(quint64 key);
    // The desktop took the notification away (the user dismissed it, or it expired).
    void Closed(quint64 key);
};
