#include "relay/RelayConfig.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

// Each settings file gives a password (or "-" for the one-line reason) with or without the
// credentials a systemd unit passes.
TEST(RelayConfigTest, SettingsGiveThePasswordOrOneReason)
{
    QTemporaryDir dir;
    const auto write = [&](const QString& name, const QByteArray& text) {
        QFile file(dir.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
    };
    write(u"secret"_s, "s3cret\r\nsecond line\n");
    const QByteArray base = "broker=mqtts://broker.example.org\nsite=west\n";
    const struct {
        QByteArray settings;
        bool credentials;
        QString result;
    } cases[] = {
        {"password=plain", false, u"plain"_s},
        {"password_file=" + dir.filePath(u"secret"_s).toUtf8(), false, u"s3cret"_s},
        {"password_file=secret", true, u"s3cret"_s},
        {"password_file=secret", false, u"secret is no absolute path, and the service was given no credentials"_s},
        {"password_file=missing", true, u"cannot read "_s + QDir(dir.path()).filePath(u"missing"_s)},
        {"password=plain\npassword_file=secret", true, u"password and password_file exclude each other"_s},
        {"cert_file=/etc/relay.crt\nkey_file=secret", false, u"secret is no absolute path, and the service was given no credentials"_s},
        {"cert_file=/etc/relay.crt", false, u"cert_file and key_file go together"_s},
        {"site=two/levels", false, u"site must be 1 to 64 letters, digits, '_', '.' or '-'"_s},
    };
    for (const auto& test : cases) {
        write(u"relay.conf"_s, base + test.settings);
        if (test.credentials)
            qputenv("CREDENTIALS_DIRECTORY", dir.path().toUtf8());
        else
            qunsetenv("CREDENTIALS_DIRECTORY");
        QString error;
        const std::optional<RelayConfig> config = RelayConfig::Load(dir.filePath(u"relay.conf"_s), &error);
        EXPECT_EQ(config ? config->password : error, test.result) << test.settings.toStdString();
    }
}
