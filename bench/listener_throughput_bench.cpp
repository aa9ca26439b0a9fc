// Listener throughput and latency on loopback: a flood of 200,000 records sent as fast as
// possible, then 100,000 records paced at 20,000/s, first on the program's own wire alone,
// then on both wires (each record also as a mailslot datagram, as a Linux peer sends it).
// Prints what was handed on, the time from sendto to the event's delivery on the receiving
// thread, and the listener thread's CPU time per record handed on.
#include "ListenerThread.h"
#include "RequirePrivateNetwork.h"
#include "net/CLookupThread.h"
#include "net/CMailslotTransport.h"
#include "platform/MailslotDatagram.h"
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

class LatencyReceiver : public ReceiveQueue::Handler {
public:
    std::vector<qint64> latencies;

    void OnChatLine(const MessagePacket& packet, quint32) override
    {
        const qint64 delivered = Now();
        latencies.push_back(delivered - packet.Text().toLongLong());
    }
    void OnPresence(const MessagePacket&, bool, quint32) override { }
    void OnMessage(const MessagePacket&, bool, quint32) override { }
};

// Sends count records from another thread, paced at perSecond (0: as fast as possible); with
// a mailslot port, each also as a mailslot datagram there.
std::thread SendRecords(quint16 port, quint16 mailslotPort, int count, int perSecond)
{
    return std::thread([=] {
        RawDatagram raw;
        MailslotDatagram::Origin origin;
        origin.sourceAddress = 0x7F000001;
        origin.sourceName = "BENCH";
        origin.groupName = "WORKGROUP";
        const auto start = Clock::now();
        for (int i = 0; i < count; ++i) {
            if (perSecond > 0)
                std::this_thread::sleep_until(start + std::chrono::nanoseconds(qint64(i) * 1'000'000'000 / perSecond));
            // The send time goes in the text; it also makes every record differ from the last.
            const MessagePacket packet = MessagePacket::Make(PACKET_CHAT, QString::number(Now()), u"bench");
            raw.Send(port, &packet, sizeof packet);
            if (mailslotPort != 0)
                raw.Send(mailslotPort, MailslotDatagram::Encode(origin, &packet));
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
    // Negative "lost": more handed on than sent, twins of the two wires read over 50 ms apart.
    std::printf(
        "%-22s sent %7d  handed on %7zu  lost %6lld  %9.0f records/s  latency p50 %.3f ms  p99 %.3f ms  max %.3f ms\n",
        phase, sent, l.size(), static_cast<long long>(sent) - static_cast<long long>(l.size()), l.size() / seconds,
        at(0.50), at(0.99), l.empty() ? 0.0 : l.back() / 1e6);
    l.clear();
}

} // namespace

int main(int argc, char** argv)
{
    if (!RequirePrivateNetwork())
        return 1;
    QCoreApplication app(argc, argv);
    for (const bool bothWires : {false, true}) {
        RecordingAlertSink alerts;
        CMailslotTransport transport(alerts, LoopbackEndpoints(bothWires));
        if (!transport.IsOpen())
            return 1;
        LatencyReceiver receiver;
        receiver.latencies.reserve(300000);
        transport.Received().SetHandler(&receiver);
        CLookupThread listener(transport);
        listener.Start();
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        const ListenerThread thread;
        const quint16 mailslotPort = bothWires ? transport.MailslotPort() : 0;
        const char* wires = bothWires ? "both wires" : "one wire";

        constexpr int kFlood = 200000;
        std::thread flood = SendRecords(transport.Port(), mailslotPort, kFlood, 0);
        const double floodSeconds = Drain(receiver, kFlood);
        flood.join();
        std::printf("%s: ", wires);
        Report("flood (unpaced)", kFlood, receiver, floodSeconds);

        constexpr int kPaced = 100000;
        const double cpuBefore = thread.CpuSeconds();
        std::thread paced = SendRecords(transport.Port(), mailslotPort, kPaced, 20000);
        const double pacedSeconds = Drain(receiver, kPaced);
        paced.join();
        const double cpu = thread.CpuSeconds() - cpuBefore;
        const std::size_t handedOn = receiver.latencies.size();
        std::printf("%s: ", wires);
        Report("paced 20,000/s", kPaced, receiver, pacedSeconds);
        std::printf("%s: listener CPU %.2f s, %.2f us per record handed on\n", wires, cpu,
                    handedOn ? cpu * 1e6 / double(handedOn) : 0.0);
        listener.Stop();
    }
    return 0;
}
