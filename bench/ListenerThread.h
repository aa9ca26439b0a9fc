#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>

#include <unistd.h>

// What the kernel counts for the listener thread ("pellwick-lookup") of this process.
class ListenerThread {
public:
    ListenerThread()
    {
        const QDir tasks(QStringLiteral("/proc/self/task"));
        for (const QString& tid : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
            QFile comm(tasks.filePath(tid + QStringLiteral("/comm")));
            if (comm.open(QIODevice::ReadOnly) && comm.readAll().trimmed() == "pellwick-lookup")
                m_dir = tasks.filePath(tid);
        }
    }

    bool Found() const { return !m_dir.isEmpty(); }

    long VoluntarySwitches() const
    {
        for (const QByteArray& line : Read(QStringLiteral("/status")).split('\n'))
            if (line.startsWith("voluntary_ctxt_switches:"))
                return line.mid(24).trimmed().toLong();
        return -1;
    }

    // User and system time, in seconds.
    double CpuSeconds() const
    {
        // The fields after the command name (which may hold spaces) in /proc/.../stat.
        const QByteArray stat = Read(QStringLiteral("/stat"));
        const QList<QByteArray> fields = stat.mid(stat.lastIndexOf(')') + 2).split(' ');
        if (fields.size() < 13)
            return -1;
        return double(fields[11].toLongLong() + fields[12].toLongLong()) / double(sysconf(_SC_CLK_TCK));
    }

private:
    QByteArray Read(const QString& name) const
    {
        QFile file(m_dir + name);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QString m_dir;
};
