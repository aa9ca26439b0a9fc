#pragma once

#include "support/NetnsLab.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>
#include <pwd.h>
#include <unistd.h>

// A lab of hosts for copies of the program: each host its own network namespace, its own Unix
// user and its own configuration folder. Skips when no lab can be built here.
class SystemHosts : public ::testing::Test {
protected:
    void SetUpHosts(int hosts)
    {
        if (const QString why = NetnsLab::Unavailable(); !why.isEmpty())
            GTEST_SKIP() << why.toStdString();
        ASSERT_TRUE(m_dir.isValid());
        m_lab = std::make_unique<NetnsLab>(hosts);
        ASSERT_TRUE(m_lab->Error().isEmpty()) << m_lab->Error().toStdString();
        chmod(m_dir.path().toLocal8Bit().constData(), 0755);
        for (int i = 0; i < hosts; ++i) {
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

    // The environment of a copy in host, for /usr/bin/env before the program.
    QStringList Environment(int host) const
    {
        return {QStringLiteral("XDG_CONFIG_HOME=") + HostDir(host) + QStringLiteral("/config"),
                QStringLiteral("QT_QPA_PLATFORM=offscreen")};
    }

    QTemporaryDir m_dir;
    std::unique_ptr<NetnsLab> m_lab;
    QStringList m_users;
};
