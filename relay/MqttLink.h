#pragma once

#include "relay/RelayConfig.h"

#include <QByteArray>
#include <QObject>
#include <QString>

struct mosquitto;

// The relay's connection to the MQTT broker (libmosquitto, with its own network thread):
// connects, and after a loss tries again after 1, 4 and 9 s, then every 10 s.
// The signals come from that thread; receivers on the GUI thread get them queued. Publish may
// be called from the GUI thread at any time.
class MqttLink : public QObject {
    Q_OBJECT

public:
    explicit MqttLink(const RelayConfig& config, QObject* parent = nullptr);
    ~MqttLink() override;
    MqttLink(const MqttLink&) = delete;
    MqttLink& operator=(const MqttLink&) = delete;

    // Starts connecting; false and a reason when the settings cannot be used.
    bool Start(QString* error);
    // Leaves the broker cleanly and stops the thread.
    void Stop();

    // False when the broker cannot take it now (not connected, or the client's queue is full);
    // else the message's id, which Published names when the broker has it.
    bool Publish(const QString& topic, const QByteArray& payload, int qos, bool retain, int* id = nullptr);
    bool Subscribe(const QString& topic);

Q_SIGNALS:
    void Connected();
    void Published(int id);
    void Disconnected(const QString& why);
    void Received(const QString& topic, const QByteArray& payload);

private:
    static void OnConnect(mosquitto*, void* self, int code);
    static void OnDisconnect(mosquitto*, void* self, int code);
    static void OnMessage(mosquitto*, void* self, const struct mosquitto_message* message);
    static void OnPublish(mosquitto*, void* self, int id);
    static void OnLog(mosquitto*, void* self, int level, const char* text);

    const RelayConfig m_config;
    mosquitto* m_client = nullptr;
    bool m_bLoopRunning = false;
    bool m_bRefused = false; // the client's thread only
};
