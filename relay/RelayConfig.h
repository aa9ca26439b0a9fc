#pragma once

#include <QString>
#include <QUrl>

#include <optional>

// The relay's settings: an INI-style file read by the service (/etc/pellwick/relay.conf by
// default), since the relay runs without a user's session.
struct RelayConfig {
    static constexpr const char* kDefaultPath = "/etc/pellwick/relay.conf";

    QUrl broker; // mqtt://host[:1883] or mqtts://host[:8883]
    QString site; // this segment's name, unique among the sites
    QString topicPrefix = QStringLiteral("pellwick");
    QString userName;
    QString password; // or the first line of password_file
    QString caFile; // for mqtts: the broker's CA (else the system's)
    QString certFile; // a client certificate and its key, where the broker asks for one
    QString keyFile; // a bare name here or in password_file: a credential of the systemd unit
    QString relayId; // tells two relays of one site apart; the host name and process id by default
    QString extraNetworks; // as a copy's ExtraNetworks

    // Nothing and a one-line reason when the file cannot be read or a value is wrong.
    static std::optional<RelayConfig> Load(const QString& path, QString* error);

    QString RecordsTopic(const QString& ofSite) const { return topicPrefix + u'/' + ofSite; }
    QString RelaysTopic() const { return topicPrefix + u'/' + site + QStringLiteral("/relay"); }
};
