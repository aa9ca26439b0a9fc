// Listener throughput and latency on loopback: a flood of 200,000 records sent as fast as
// possible, then 100,000 records paced at 20,000/s. Prints what was handed on, and the time
// from sendto to the event's delivery on the receiving thread.
#include "bench/RequirePrivateNetwork.h"
#include "net/CLookupThread.h"
#include "net/CMailslotTransport.h"
#include "net/PacketEvent.h"
#include "support/LoopbackEndpoints.h"
#include "support/RawDatagram.h"
#include "support/RecordingAlertSink.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

qint64 Now()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now().time_since_epoch()).count();
}

class LatencyReceiver : public QObject {
public:
    std::vector<qint64> latencies;

    bool event(QEvent* event) override
    {
        if (event->type() != WM_PACKET)
            return QObject::event(event);
        const qint64 delivered = Now();
        latencies.push_back(delivered - static_cast<PacketEvent*>(event)->Packet().Text().toLongLong());
        return true;
    }
};

// Sends count records from another thread, paced at perSecond (0: as fast as possible).
std::thread SendRecords(quint16 port, int count, int perSecond)
{
    return std::thread([=] {
        RawDatagram raw;
        const auto start = Clock::now();
        for (int i = 0; i < count; ++i) {
            if (perSecond > 0)
                std::this_thread::sleep_until(start + std::chrono::nanoseconds(qint64(i) * 1'000'000'000 / perSecond));
            // The send time goes in the text; it also makes every record differ from the last.
            const MessagePacket packet = MessagePacket::Make(PACKET_CHAT, QString::number(Now()), u"bench");
            raw.Send(port, &packet, sizeof packet);
        }
    });
}

// Runs an event loop, as the program's GUI thread does, until count events arrived or nothing
// came for a second; returns the seconds until the last event.
double Drain(LatencyReceiver& receiver, std::size_t count)
{
    QElapsedTimer total, quiet;
    total.start();
    quiet.start();
    qint64 lastEvent = 0;
    std::size_t seen = 0;
    QEventLoop loop;
    QTimer check;
    QObject::connect(&check, &QTimer::timeout, &loop, [&] {
        if (receiver.latencies.size() != seen) {
            seen = receiver.latencies.size();
            lastEvent = total.nsecsElapsed();
            quiet.restart();
        }
        if (seen >= count || quiet.elapsed() >= 1000)
            loop.quit();
    });
    check.start(20);
    loop.exec();
    return lastEvent / 1e9;
}

void Report(const char* phase, int sent, LatencyReceiver& receiver, double seconds)
{
    auto& l = receiver.latencies;
    std::sort(l.begin(), l.end());
    const auto at
        = [&](double q) { return l.empty() ? 0.0 : l[std::min(l.size() - 1, std::size_t(q * l.size()))] / 1e6; };
    std::printf(
        "%-22s sent %7d  handed on %7zu  lost %6zu  %9.0f records/s  latency p50 %.3f ms  p99 %.3f ms  max %.3f ms\n",
        phase, sent, l.size(), sent - l.size(), l.size() / seconds, at(0.50), at(0.99),
        l.empty() ? 0.0 : l.back() / 1e6);
    l.clear();
}

} // namespace

int main(int argc, char** argv)
{
    if (!RequirePrivateNetwork())
        return 1;
    QCoreApplication app(argc, argv);
    RecordingAlertSink alerts;
    CMailslotTransport transport(alerts, LoopbackEndpoints());
    if (!transport.IsOpen())
        return 1;
    LatencyReceiver receiver;
    receiver.latencies.reserve(300000);
    transport.SetTargets({&receiver, nullptr, nullptr, nullptr, nullptr});
    CLookupThread listener(transport);
    listener.Start();

    constexpr int kFlood = 200000;
    std::thread flood = SendRecords(transport.Port(), kFlood, 0);
    const double floodSeconds = Drain(receiver, kFlood);
    flood.join();
    Report("flood (unpaced)", kFlood, receiver, floodSeconds);

    constexpr int kPaced = 100000;
    std::thread paced = SendRecords(transport.Port(), kPaced, 20000);
    const double pacedSeconds = Drain(receiver, kPaced);
    paced.join();
    Report("paced 20,000/s", kPaced, receiver, pacedSeconds);

    listener.Stop();
    return 0;
}
