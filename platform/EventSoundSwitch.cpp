#include "platform/EventSoundSwitch.h"

#include "platform/Logging.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>

namespace {

const QString kService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString kPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString kInterface = QStringLiteral("org.freedesktop.portal.Settings");
const QString kGroup = QStringLiteral("org.gnome.desktop.sound");
const QString kKey = QStringLiteral("event-sounds");

} // namespace

EventSoundSwitch::EventSoundSwitch(const QDBusConnection& bus, QObject* parent)
    : QObject(parent)
    , m_bus(bus)
{
    if (!m_bus.isConnected())
        return;
    m_bus.connect(kService, kPath, kInterface, QStringLiteral("SettingChanged"), this,
                  SLOT(OnSettingChanged(QDBusMessage)));
    QDBusMessage read = QDBusMessage::createMethodCall(kService, kPath, kInterface, QStringLiteral("Read"));
    read << kGroup << kKey;
    // Asynchronous: a desktop without a portal costs one error reply, never a wait at start.
    auto* watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(read), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* finished) {
        const QDBusPendingReply<QDBusVariant> reply = *finished;
        if (reply.isError())
            qCInfo(lcSound) << "no event-sound switch from the settings portal:" << reply.error().message();
        else
            Take(reply.value().variant());
        finished->deleteLater();
    });
}

void EventSoundSwitch::OnSettingChanged(const QDBusMessage& change)
{
    const QVariantList arguments = change.arguments();
    if (arguments.size() == 3 && arguments[0].toString() == kGroup && arguments[1].toString() == kKey)
        Take(arguments[2]);
}

void EventSoundSwitch::Take(const QVariant& value)
{
    // Read wraps the value in one more variant than SettingChanged does.
    QVariant inner = value;
    while (inner.userType() == qMetaTypeId<QDBusVariant>())
        inner = qvariant_cast<QDBusVariant>(inner).variant();
    if (inner.userType() == QMetaType::Bool)
        m_on = inner.toBool();
}
