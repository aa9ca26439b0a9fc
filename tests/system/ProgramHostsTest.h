#pragma once

#include "support/NetnsLab.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>
#include <pwd.h>
#include <unistd.h>

// Three hosts, each to run a copy of the program as its own user with its own configuration
// folder (HostDir/config), offscreen.
class ProgramHostsTest : public ::testing::Test {
protected:
    static constexpr int kHosts = 3;

    void SetUp() override
    {
        if (const QString why = NetnsLab::Unavailable(); !why.isEmpty())
            GTEST_SKIP() << why.toStdString();
        ASSERT_TRUE(m_dir.isValid());
        m_lab = std::make_unique<NetnsLab>(kHosts);
        ASSERT_TRUE(m_lab->Error().isEmpty()) << m_lab->Error().toStdString();
        chmod(m_dir.path().toLocal8Bit().constData(), 0755);
        for (int i = 0; i < kHosts; ++i) {
            m_users.append(m_lab->AddUser());
            ASSERT_FALSE(m_users.back().isEmpty()) << m_lab->Error().toStdString();
            const QString home = HostDir(i);
            ASSERT_TRUE(QDir().mkpath(home + QStringLiteral("/config")));
            const passwd* account = getpwnam(m_users.back().toLocal8Bit().constData());
            ASSERT_NE(account, nullptr);
            for (const QString& path : {home, home + QStringLiteral("/config")})
                ASSERT_EQ(chown(path.toLocal8Bit().constData(), account->pw_uid, account->pw_gid), 0);
        }
    }

    QString HostDir(int host) const { return m_dir.filePath(QStringLiteral("host%1").arg(host)); }

    // /usr/bin/env's arguments that run program in a host's environment.
    QStringList Arguments(int host, const QString& program) const
    {
        return {QStringLiteral("XDG_CONFIG_HOME=") + HostDir(host) + QStringLiteral("/config"),
                QStringLiteral("PELLWICK_LIST_LOG=") + HostDir(host) + QStringLiteral("/list"),
                QStringLiteral("QT_QPA_PLATFORM=offscreen"), program};
    }

    QProcess* Start(int host, const QString& program)
    {
        return m_lab->Start(host, m_users[host], QStringLiteral("/usr/bin/env"), Arguments(host, program));
    }

    QTemporaryDir m_dir;
    std::unique_ptr<NetnsLab> m_lab;
    QStringList m_users;
};
