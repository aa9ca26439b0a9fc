#include "relay/MqttLink.h"

#include <mosquitto.h>

#include <utility>

namespace {

constexpr int kKeepAliveSeconds = 10;
constexpr unsigned kFirstRetrySeconds = 1;
// libmosquitto's "exponential" back-off grows with the square of the tries; past 10 s it
// would keep a site apart from the others long after a broker's restart.
constexpr unsigned kLongestRetrySeconds = 10;
// One QoS 2 message on its way at a time: mosquitto (2.0 in Debian 12) loses some of those
// that arrive before the one ahead of them is released, hundreds in 20,000 at 2,000 a second.
// The relay sends its lines and messages in batches, one batch a round trip.
constexpr unsigned kInFlight = 1;

QByteArray Utf8(const QString& text)
{
    return text.toUtf8();
}

const char* OrNull(const QByteArray& text)
{
    return text.isEmpty() ? nullptr : text.constData();
}

} // namespace

MqttLink::MqttLink(const RelayConfig& config, QObject* parent)
    : QObject(parent)
    , m_config(config)
{
    static const int initialised = mosquitto_lib_init();
    Q_UNUSED(initialised);
}

MqttLink::~MqttLink()
{
    Stop();
    if (m_client)
        mosquitto_destroy(m_client);
}

bool MqttLink::Start(QString* error)
{
    const QByteArray id = Utf8(m_config.site + u'-' + m_config.relayId);
    // A lasting session: while the relay is away, a broker that keeps its sessions (mosquitto's
    // "persistence") holds the other sites' lines and messages for it.
    m_client = mosquitto_new(id.constData(), false, this);
    if (!m_client) {
        *error = QStringLiteral("cannot make an MQTT client");
        return false;
    }
    mosquitto_int_option(m_client, MOSQ_OPT_PROTOCOL_VERSION, MQTT_PROTOCOL_V311);
    mosquitto_connect_callback_set(m_client, &MqttLink::OnConnect);
    mosquitto_disconnect_callback_set(m_client, &MqttLink::OnDisconnect);
    mosquitto_message_callback_set(m_client, &MqttLink::OnMessage);
    mosquitto_log_callback_set(m_client, &MqttLink::OnLog);
    mosquitto_publish_callback_set(m_client, &MqttLink::OnPublish);
    mosquitto_reconnect_delay_set(m_client, kFirstRetrySeconds, kLongestRetrySeconds, true);
    mosquitto_max_inflight_messages_set(m_client, kInFlight);

    int code = MOSQ_ERR_SUCCESS;
    if (!m_config.userName.isEmpty())
        code = mosquitto_username_pw_set(m_client, Utf8(m_config.userName).constData(),
                                         OrNull(Utf8(m_config.password)));
    const bool tls = m_config.broker.scheme() == u"mqtts";
    if (code == MOSQ_ERR_SUCCESS && tls) {
        const QByteArray ca = Utf8(m_config.caFile), cert = Utf8(m_config.certFile), key = Utf8(m_config.keyFile);
        // Without a CA file the system's trusted certificates vouch for the broker.
        code = ca.isEmpty() ? mosquitto_int_option(m_client, MOSQ_OPT_TLS_USE_OS_CERTS, 1) : MOSQ_ERR_SUCCESS;
        if (code == MOSQ_ERR_SUCCESS)
            code = mosquitto_tls_set(m_client, OrNull(ca), nullptr, OrNull(cert), OrNull(key), nullptr);
    }
    if (code != MOSQ_ERR_SUCCESS) {
        *error = QStringLiteral("broker settings: %1").arg(QString::fromUtf8(mosquitto_strerror(code)));
        return false;
    }
    const QByteArray host = Utf8(m_config.broker.host());
    const int port = m_config.broker.port(tls ? 8883 : 1883);
    // A broker that is not there yet is no error: the client's thread keeps trying.
    code = mosquitto_connect_async(m_client, host.constData(), port, kKeepAliveSeconds);
    if (code != MOSQ_ERR_SUCCESS)
        Q_EMIT Disconnected(QString::fromUtf8(mosquitto_strerror(code)));
    if (mosquitto_loop_start(m_client) != MOSQ_ERR_SUCCESS) {
        *error = QStringLiteral("cannot start the MQTT client's thread");
        return false;
    }
    m_bLoopRunning = true;
    return true;
}

void MqttLink::Stop()
{
    if (!m_bLoopRunning)
        return;
    mosquitto_disconnect(m_client);
    mosquitto_loop_stop(m_client, false);
    m_bLoopRunning = false;
}

bool MqttLink::Publish(const QString& topic, const QByteArray& payload, int qos, bool retain, int* id)
{
    const QByteArray name = Utf8(topic);
    return m_client
        && mosquitto_publish(m_client, id, name.constData(), static_cast<int>(payload.size()), payload.constData(), qos,
                             retain)
        == MOSQ_ERR_SUCCESS;
}

bool MqttLink::Subscribe(const QString& topic)
{
    // Exactly once: at QoS 1 a broker that restarts before the relay's acknowledgement
    // hands the record over again, and the copies would show it twice.
    return m_client && mosquitto_subscribe(m_client, nullptr, Utf8(topic).constData(), 2) == MOSQ_ERR_SUCCESS;
}

void MqttLink::OnConnect(mosquitto*, void* self, int code)
{
    auto* link = static_cast<MqttLink*>(self);
    link->m_bRefused = code != 0;
    if (code == 0)
        Q_EMIT link->Connected();
    else
        Q_EMIT link->Disconnected(QString::fromUtf8(mosquitto_connack_string(code)));
}

void MqttLink::OnDisconnect(mosquitto*, void* self, int code)
{
    auto* link = static_cast<MqttLink*>(self);
    // A refusal was said already, with its reason.
    if (std::exchange(link->m_bRefused, false))
        return;
    Q_EMIT link->Disconnected(code == 0 ? QStringLiteral("left the broker") : QString::fromUtf8(mosquitto_strerror(code)));
}

void MqttLink::OnPublish(mosquitto*, void* self, int id)
{
    Q_EMIT static_cast<MqttLink*>(self)->Published(id);
}

void MqttLink::OnLog(mosquitto*, void* self, int level, const char* text)
{
    // A failed TLS handshake reaches neither callback above: only the library's log names it.
    if (level == MOSQ_LOG_ERR)
        Q_EMIT static_cast<MqttLink*>(self)->Disconnected(QString::fromUtf8(text));
}

void MqttLink::OnMessage(mosquitto*, void* self, const mosquitto_message* message)
{
    // Bounded by the broker's own limit on a message; the relay checks each record's size.
    Q_EMIT static_cast<MqttLink*>(self)->Received(
        QString::fromUtf8(message->topic),
        QByteArray(static_cast<const char*>(message->payload), std::max(message->payloadlen, 0)));
}
