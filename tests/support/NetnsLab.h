#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

// A small network of test hosts on one machine: a switch namespace holding a bridge, and N
// host namespaces, each with lo up and one veth port "eth0" on the bridge with the address
// 10.77.0.(i+1)/24. Nothing touches the machine's own namespace, so nothing can reach a real
// network. Programs run in a host as a given Unix user; throwaway users are made on request.
// Everything is removed by the destructor (leftovers of a crashed run by the next lab).
// Needs root, ip and setpriv.
class NetnsLab {
public:
    // Empty when a lab can be built here; otherwise why not (for a skip message).
    static QString Unavailable();

    explicit NetnsLab(int hosts);
    ~NetnsLab();
    NetnsLab(const NetnsLab&) = delete;
    NetnsLab& operator=(const NetnsLab&) = delete;

    // Empty when the lab is up; otherwise what failed.
    const QString& Error() const { return m_error; }
    static QString Address(int host);

    // A new Unix user (numbered in the order made), removed with the lab; empty on failure.
    QString AddUser();

    // Starts program in host as user (empty: root). The lab owns the process and kills what
    // is still running when it goes.
    QProcess* Start(int host, const QString& user, const QString& program, const QStringList& arguments);

    // Runs program to its end; returns its exit code, -1 when it did not end by itself in 10 s.
    int Run(int host, const QString& user, const QString& program, const QStringList& arguments,
            QByteArray* output = nullptr);

private:
    QString m_prefix;
    QString m_error;
    int m_userCount = 0;
    std::vector<std::unique_ptr<QProcess>> m_processes;
};
