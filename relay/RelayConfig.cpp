#include "relay/RelayConfig.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QSysInfo>
#include <QRegularExpression>
#include <QSettings>

std::optional<RelayConfig> RelayConfig::Load(const QString& path, QString* error)
{
    if (!QFileInfo(path).isReadable()) {
        *error = QStringLiteral("cannot read %1").arg(path);
        return std::nullopt;
    }
    QSettings file(path, QSettings::IniFormat);
    if (file.status() != QSettings::NoError) {
        *error = QStringLiteral("%1 is not a settings file").arg(path);
        return std::nullopt;
    }
    RelayConfig config;
    const auto text = [&](const char* key, const QString& fallback = {}) {
        return file.value(QLatin1String(key), fallback).toString().trimmed();
    };
    config.broker = QUrl(text("broker"));
    config.site = text("site");
    config.topicPrefix = text("topic_prefix", config.topicPrefix);
    config.userName = text("username");
    config.password = file.value(QStringLiteral("password")).toString();
    config.caFile = text("ca_file");
    config.certFile = text("cert_file");
    config.keyFile = text("key_file");
    config.relayId = text("relay_id", QStringLiteral("%1-%2").arg(QSysInfo::machineHostName()).arg(QCoreApplication::applicationPid()));
    config.extraNetworks = text("extra_networks");

    // Names become topic levels: no wildcards, no level separators, nothing empty.
    static const QRegularExpression level(QStringLiteral("^[A-Za-z0-9_.-]{1,64}$"));
    static const QRegularExpression prefix(QStringLiteral("^[A-Za-z0-9_.-]{1,64}(/[A-Za-z0-9_.-]{1,64}){0,3}$"));
    const QString scheme = config.broker.scheme();
    if ((scheme != u"mqtt" && scheme != u"mqtts") || config.broker.host().isEmpty())
        *error = QStringLiteral("broker must be mqtt://host[:port] or mqtts://host[:port]");
    else if (!level.match(config.site).hasMatch())
        *error = QStringLiteral("site must be 1 to 64 letters, digits, '_', '.' or '-'");
    else if (!prefix.match(config.topicPrefix).hasMatch())
        *error = QStringLiteral("topic_prefix must be up to four levels of letters, digits, '_', '.' or '-'");
    else if (!level.match(config.relayId).hasMatch())
        *error = QStringLiteral("relay_id must be 1 to 64 letters, digits, '_', '.' or '-'");
    else if (config.certFile.isEmpty() != config.keyFile.isEmpty())
        *error = QStringLiteral("cert_file and key_file go together");
    else
        return config;
    return std::nullopt;
}
