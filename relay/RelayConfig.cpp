#include "relay/RelayConfig.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSysInfo>
#include <QRegularExpression>
#include <QSettings>

namespace {

// Bare names in key_file and password_file are credentials systemd hands the service
// (LoadCredential=), so that a unit with DynamicUser reads files only root may read.
bool ReadCredentials(RelayConfig& config, QString passwordFile, QString* error)
{
    const QString credentials = qEnvironmentVariable("CREDENTIALS_DIRECTORY");
    const auto locate = [&](QString* path) {
        if (path->isEmpty() || QDir::isAbsolutePath(*path))
            return true;
        if (credentials.isEmpty()) {
            *error = QStringLiteral("%1 is no absolute path, and the service was given no credentials").arg(*path);
            return false;
        }
        *path = QDir(credentials).filePath(*path);
        return true;
    };
    if (!locate(&config.keyFile) || !locate(&passwordFile))
        return false;
    if (passwordFile.isEmpty())
        return true;
    QFile file(passwordFile);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("cannot read %1").arg(passwordFile);
        return false;
    }
    // The first line without its line end, as `echo secret >file` leaves it; MQTT's longest.
    config.password = QString::fromUtf8(file.readLine(65536)).remove(QRegularExpression(QStringLiteral("\\r?\\n$")));
    return true;
}

} // namespace

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
    const QString passwordFile = text("password_file");
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
    else if (!passwordFile.isEmpty() && file.contains(QStringLiteral("password")))
        *error = QStringLiteral("password and password_file exclude each other");
    else if (ReadCredentials(config, passwordFile, error))
        return config;
    return std::nullopt;
}
