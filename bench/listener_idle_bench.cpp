// Idle cost of the listener: its voluntary context switches (wake-ups) while nothing arrives.
// Usage: listener_idle_bench [seconds], 30 by default.
#include "bench/RequirePrivateNetwork.h"
#include "net/CLookupThread.h"
#include "net/CMailslotTransport.h"
#include "support/LoopbackEndpoints.h"
#include "support/RecordingAlertSink.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <cstdio>
#include <thread>

namespace {

// The status file of the thread named name, found among this process's threads.
QString ThreadStatus(const QByteArray& name)
{
    const QDir tasks(QStringLiteral("/proc/self/task"));
    for (const QString& tid : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile comm(tasks.filePath(tid + QStringLiteral("/comm")));
        if (comm.open(QIODevice::ReadOnly) && comm.readAll().trimmed() == name)
            return tasks.filePath(tid + QStringLiteral("/status"));
    }
    return {};
}

long VoluntarySwitches(const QString& status)
{
    QFile file(status);
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : file.readAll().split('\n'))
        if (line.startsWith("voluntary_ctxt_switches:"))
            return line.mid(24).trimmed().toLong();
    return -1;
}

} // namespace

int main(int argc, char** argv)
{
    if (!RequirePrivateNetwork())
        return 1;
    QCoreApplication app(argc, argv);
    const int seconds = argc > 1 ? QByteArray(argv[1]).toInt() : 30;
    RecordingAlertSink alerts;
    CMailslotTransport transport(alerts, LoopbackEndpoints());
    CLookupThread listener(transport);
    if (!transport.IsOpen() || !listener.Start())
        return 1;
    std::this_thread::sleep_for(std::chrono::milliseconds(200)); // let it reach its wait
    const QString status = ThreadStatus("pellwick-lookup");
    const long before = VoluntarySwitches(status);
    std::this_thread::sleep_for(std::chrono::seconds(seconds));
    const long after = VoluntarySwitches(status);
    listener.Stop();
    std::printf("listener idle for %d s: %ld voluntary context switches (%.3f wake-ups/s)\n", seconds, after - before,
                double(after - before) / seconds);
    return before < 0 || after < 0 ? 1 : 0;
}
