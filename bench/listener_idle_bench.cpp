// Idle cost of the listener: its voluntary context switches (wake-ups) while nothing arrives,
// with its own wire alone and with the Windows peers' wire beside it.
// Usage: listener_idle_bench [seconds], 30 by default (for each).
#include "ListenerThread.h"
#include "RequirePrivateNetwork.h"
#include "net/CLookupThread.h"
#include "net/CMailslotTransport.h"
#include "support/LoopbackEndpoints.h"
#include "support/RecordingAlertSink.h"

#include <QCoreApplication>

#include <cstdio>
#include <thread>

int main(int argc, char** argv)
{
    if (!RequirePrivateNetwork())
        return 1;
    QCoreApplication app(argc, argv);
    const int seconds = argc > 1 ? QByteArray(argv[1]).toInt() : 30;
    bool ok = true;
    for (const bool bothWires : {false, true}) {
        RecordingAlertSink alerts;
        CMailslotTransport transport(alerts, LoopbackEndpoints(bothWires));
        CLookupThread listener(transport);
        if (!transport.IsOpen() || !listener.Start())
            return 1;
        std::this_thread::sleep_for(std::chrono::milliseconds(200)); // let it reach its wait
        const ListenerThread thread;
        const long before = thread.VoluntarySwitches();
        std::this_thread::sleep_for(std::chrono::seconds(seconds));
        const long after = thread.VoluntarySwitches();
        listener.Stop();
        std::printf("%-10s listener idle for %d s: %ld voluntary context switches (%.3f wake-ups/s)\n",
                    bothWires ? "both wires" : "one wire", seconds, after - before, double(after - before) / seconds);
        ok = ok && before >= 0 && after >= 0;
    }
    return ok ? 0 : 1;
}
