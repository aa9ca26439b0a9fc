#include "platform/FreedesktopNotifier.h"

#include "platform/Logging.h"
#include "platform/ThreadCheck.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QVariantMap>

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
    QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kInterface, QStringLiteral("Notify"));
    const QVariantMap hints{{QStringLiteral("desktop-entry"), notification.desktopEntry}};
    call << QStringLiteral("Pellwick") << uint(0) << notification.iconName << notification.summary
         << EscapeBody(notification.body) << QStringList{kDefaultAction, QStringLiteral("Show")} << hints << int(-1);
    auto* watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, key](QDBusPendingCallWatcher* finished) {
        const QDBusPendingReply<uint> reply = *finished;
        if (reply.isError())
            qCInfo(lcTray) << "notification not shown:" << reply.error().message();
        else
            m_keys.insert(reply.value(), key);
        finished->deleteLater();
    });
}

void FreedesktopNotifier::Close(quint64 key)
{
    ASSERT_GUI_THREAD();
    for (auto it = m_keys.begin(); it != m_keys.end();) {
        if (it.value() != key) {
            ++it;
            continue;
        }
        QDBusMessage call
            = QDBusMessage::createMethodCall(kService, kPath, kInterface, QStringLiteral("CloseNotification"));
        call << it.key();
        m_bus.asyncCall(call);
        it = m_keys.erase(it);
    }
}

void FreedesktopNotifier::OnActionInvoked(uint id, const QString& action)
{
    const auto found = m_keys.constFind(id);
    if (found == m_keys.cend() || action != kDefaultAction)
        return;
    Q_EMIT Activated(found.value());
}

void FreedesktopNotifier::OnNotificationClosed(uint id, uint /*reason*/)
{
    m_keys.remove(id);
}
