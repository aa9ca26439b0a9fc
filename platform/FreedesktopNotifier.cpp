#include "platform/FreedesktopNotifier.h"

#include "platform/Logging.h"
#include "platform/ThreadCheck.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QVariantMap>

#include <utility>

namespace {

const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
const QString kInterface = QStringLiteral("org.freedesktop.Notifications");
const QString kDefaultAction = QStringLiteral("default");

// Servers may read a subset of HTML in the body: <, > and & become entities.
QString EscapeBody(const QString& text)
{
    QString escaped = text;
    // & first, so that the entities made for < and > stay as they are.
    return escaped.replace(u'&', QStringLiteral("&amp;"))
        .replace(u'<', QStringLiteral("&lt;"))
        .replace(u'>', QStringLiteral("&gt;"));
}

} // namespace

FreedesktopNotifier::FreedesktopNotifier(const QDBusConnection& bus, QObject* parent)
    : DesktopNotifier(parent)
    , m_bus(bus)
{
    if (!m_bus.isConnected()) {
        qCInfo(lcTray) << "no session bus, desktop notifications are off:" << m_bus.lastError().message();
        return;
    }
    m_bus.connect(kService, kPath, kInterface, QStringLiteral("ActionInvoked"), this,
                  SLOT(OnActionInvoked(uint, QString)));
    m_bus.connect(kService, kPath, kInterface, QStringLiteral("NotificationClosed"), this,
                  SLOT(OnNotificationClosed(uint, uint)));
}

void FreedesktopNotifier::Show(quint64 key, const DesktopNotification& notification)
{
    ASSERT_GUI_THREAD();
    if (!m_bus.isConnected())
        return;
    Shown& shown = m_shown[key];
    shown.closeWhenKnown = false;
    if (shown.pending)
        shown.next = notification;
    else
        Notify(key, shown.id, notification);
}

void FreedesktopNotifier::Notify(quint64 key, uint replacesId, const DesktopNotification& notification)
{
    m_shown[key].pending = true;
    QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kInterface, QStringLiteral("Notify"));
    const QVariantMap hints{{QStringLiteral("desktop-entry"), notification.desktopEntry}};
    call << QStringLiteral("Pellwick") << replacesId << notification.iconName << notification.summary
         << EscapeBody(notification.body) << QStringList{kDefaultAction, QStringLiteral("Show")} << hints << int(-1);
    auto* watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, key](QDBusPendingCallWatcher* finished) {
        const QDBusPendingReply<uint> reply = *finished;
        finished->deleteLater();
        if (!reply.isError()) {
            OnNotifyReply(key, reply.value());
            return;
        }
        qCInfo(lcTray) << "notification not shown:" << reply.error().message();
        const Shown shown = m_shown.take(key);
        m_keys.remove(shown.id);
        if (shown.id != 0)
            CloseId(shown.id);
        Q_EMIT Closed(key);
    });
}

void FreedesktopNotifier::OnNotifyReply(quint64 key, uint id)
{
    Shown& shown = m_shown[key];
    shown.pending = false;
    if (shown.id != id) {
        m_keys.remove(shown.id);
        shown.id = id;
        m_keys.insert(id, key);
    }
    if (shown.closeWhenKnown) {
        Close(key);
    } else if (shown.next) {
        const DesktopNotification next = *std::exchange(shown.next, std::nullopt);
        Notify(key, id, next);
    }
}

void FreedesktopNotifier::Close(quint64 key)
{
    ASSERT_GUI_THREAD();
    const auto found = m_shown.find(key);
    if (found == m_shown.end())
        return;
    if (found->pending) {
        found->next.reset();
        found->closeWhenKnown = true;
        return;
    }
    m_keys.remove(found->id);
    CloseId(found->id);
    m_shown.erase(found);
}

void FreedesktopNotifier::CloseId(uint id)
{
    QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kInterface, QStringLiteral("CloseNotification"));
    call << id;
    m_bus.asyncCall(call);
}

void FreedesktopNotifier::OnActionInvoked(uint id, const QString& action)
{
    const auto found = m_keys.constFind(id);
    if (found == m_keys.cend() || action != kDefaultAction)
        return;
    Q_EMIT Activated(found.value());
}

// A replacement on its way shows the notification again under a new id; the key lives on.
void FreedesktopNotifier::OnNotificationClosed(uint id, uint /*reason*/)
{
    const auto found = m_keys.constFind(id);
    if (found == m_keys.cend())
        return;
    const quint64 key = found.value();
    m_keys.erase(found);
    Shown& shown = m_shown[key];
    shown.id = 0;
    if (shown.pending)
        return;
    m_shown.remove(key);
    Q_EMIT Closed(key);
}
