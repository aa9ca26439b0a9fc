// The windows under load from the network, end to end in one process: the real transport,
// listener, receive queue, Online window (shown) and Chat Room (shown), fed over loopback by a
// peer thread. Run it in a network namespace of its own (it refuses otherwise):
//   unshare -n sh -c 'ip link set lo up; build/bench/bench/gui_load_bench storm'
//   unshare -n sh -c 'ip link set lo up; build/bench/bench/gui_load_bench flood'
// storm [users]: users fake peers announce themselves within 2 s, then once a second for 10 s;
//   prints CPU seconds of the program's threads, the GUI thread's worst lateness, when all were
//   listed and when all were gone after they stopped.
// flood [lines/s] [seconds]: a peer sends chat lines while the copy broadcasts its presence;
//   prints the longest gap between the copy's presence records on the wire (lo, read with a
//   packet socket), the lines shown, and the resident memory.
// bus [calls]: a script's client on the session bus (run it under dbus-run-session) sends that
//   many private messages through the session bus service, one call after the other, to the
//   copy's own user; prints the GUI thread's worst lateness and how many messages came back.
// messages [count] [per second]: a peer sends that many distinct private messages, each from a
//   sender of its own (0 per second: as fast as it can), to the copy with its Incoming Messages
//   window shown in the background, wired with the desktop notifications as the program wires
//   them; prints the messages shown and dropped, the peak and the final resident memory and the
//   GUI thread's worst lateness during the burst and in the 10 s after it. On a session bus
//   (dbus-run-session) it starts a notification server of its own, which counts every Notify
//   and the notifications on screen at most:
//   tests/support/with-xvfb.sh dbus-run-session build/bench/bench/gui_load_bench messages 200000
#include "RequirePrivateNetwork.h"
#include "app/MessageNotifications.h"
#include "app/SessionBusService.h"
#include "app/TrayCommands.h"
#include "chat/CChatDialog.h"
#include "chat/CChatListBox.h"
#include "messages/CIncomingMessagesDialog.h"
#include "online/COnlineDialog.h"
#include "platform/FreedesktopNotifier.h"
#include "platform/OwnUserName.h"
#include "prefs/CRegistry.h"
#include "session/MessengerSession.h"
#include "support/LoopbackEndpoints.h"
#include "support/RawDatagram.h"
#include "support/RecordingAlertSink.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDBusInterface>
#include <QDBusConnectionInterface>
#include <QDBusReply>
#include <QElapsedTimer>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <arpa/inet.h>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <linux/if_ether.h>
#include <linux/if_packet.h>
#include <net/if.h>
#include <netinet/ip.h>
#include <netinet/udp.h>
#include <string>
#include <sys/resource.h>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

double CpuSeconds(clockid_t clock)
{
    timespec now{};
    clock_gettime(clock, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

long ResidentKb()
{
    FILE* status = std::fopen("/proc/self/status", "r");
    char line[256];
    long kb = 0;
    while (status && std::fgets(line, sizeof line, status))
        if (std::sscanf(line, "VmRSS: %ld", &kb) == 1)
            break;
    if (status)
        std::fclose(status);
    return kb;
}

// The GUI thread's worst lateness: a 10 ms timer that notes how late each timeout comes, and
// how much of that time the thread itself worked (the rest it waited for a CPU: a busy machine).
class LatenessProbe {
public:
    LatenessProbe()
    {
        m_timer.setTimerType(Qt::PreciseTimer);
        QObject::connect(&m_timer, &QTimer::timeout, &m_timer, [this] {
            const qint64 late = m_clock.restart() - 10;
            const double cpu = CpuSeconds(CLOCK_THREAD_CPUTIME_ID);
            if (late > m_worstMs) {
                m_worstMs = late;
                m_worstAtMs = m_since.elapsed();
                m_worstWorkedMs = static_cast<qint64>((cpu - m_lastCpu) * 1000);
            }
            m_lastCpu = cpu;
        });
        m_clock.start();
        m_since.start();
        m_lastCpu = CpuSeconds(CLOCK_THREAD_CPUTIME_ID);
        m_timer.start(10);
    }
    // "N ms (at T s, W ms of it working)"
    std::string Worst() const
    {
        char text[96];
        std::snprintf(text, sizeof text, "%lld ms (at %.1f s, %lld ms of it working)",
                      static_cast<long long>(m_worstMs), static_cast<double>(m_worstAtMs) / 1000,
                      static_cast<long long>(m_worstWorkedMs));
        return text;
    }

private:
    QTimer m_timer;
    QElapsedTimer m_clock;
    QElapsedTimer m_since;
    double m_lastCpu = 0;
    qint64 m_worstMs = 0;
    qint64 m_worstAtMs = 0;
    qint64 m_worstWorkedMs = 0;
};

// Runs the event loop until the condition holds or the time is up. The lateness probe's timer
// wakes the loop at least every 10 ms, so the condition is looked at that often.
template <typename Condition> bool RunUntil(Condition condition, std::chrono::milliseconds limit)
{
    const auto end = Clock::now() + limit;
    while (!condition() && Clock::now() < end)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    return condition();
}

void SendEvenly(quint16 port, int count, std::chrono::milliseconds span, const std::function<MessagePacket(int)>& make,
                std::atomic<bool>& stop)
{
    RawDatagram raw;
    const auto start = Clock::now();
    for (int i = 0; i < count && !stop; ++i) {
        const auto due = start + span * i / count;
        if (Clock::now() < due)
            std::this_thread::sleep_until(due);
        const MessagePacket packet = make(i);
        raw.Send(port, &packet, sizeof packet);
    }
}

struct Copy {
    QTemporaryDir dir;
    CRegistry registry{dir.filePath(QStringLiteral("registry.reg"))};
    RecordingAlertSink alerts;
    MessengerSession session{alerts, LoopbackEndpoints()};
    COnlineDialog online{registry};
    CChatDialog chat{registry, [](int) {}};

    // Wired as the application wires them.
    Copy()
    {
        QObject::connect(&session, &MessengerSession::UserListed, &online, &COnlineDialog::AddUser);
        QObject::connect(&session, &MessengerSession::UsersDropped, &online, &COnlineDialog::RemoveUsers);
        QObject::connect(&session, &MessengerSession::UserChatChanged, &online, &COnlineDialog::SetUserInChat);
        QObject::connect(&session, &MessengerSession::ChatLineReceived, &chat, &CChatDialog::AddLine);
        QObject::connect(&chat, &CChatDialog::LineWritten, &session, &MessengerSession::SendChatLine);
        online.show();
        online.resize(200, 600);
        session.Start();
    }
};

int Storm(int users)
{
    Copy copy;
    const quint16 port = copy.session.Transport().Port();
    const long startKb = ResidentKb();
    LatenessProbe probe;
    const auto name = [](int i) { return QStringLiteral("peer%1").arg(i, 5, 10, QLatin1Char('0')); };
    std::vector<QString> names;
    for (int i = 0; i < users; ++i)
        names.push_back(name(i));

    std::atomic<bool> stop{false};
    std::atomic<double> peerCpu{0};
    const double cpuStart = CpuSeconds(CLOCK_PROCESS_CPUTIME_ID);
    const auto start = Clock::now();
    std::thread peers([&] {
        const double own = CpuSeconds(CLOCK_THREAD_CPUTIME_ID);
        const auto make = [&](int i) {
            return MessagePacket::Make(PACKET_PRESENCE, u"Подтверждение...", names[static_cast<std::size_t>(i)]);
        };
        SendEvenly(port, users, std::chrono::seconds(2), make, stop);
        for (int second = 0; second < 10 && !stop; ++second)
            SendEvenly(port, users, std::chrono::seconds(1), make, stop);
        peerCpu = CpuSeconds(CLOCK_THREAD_CPUTIME_ID) - own;
    });
    const auto listed = [&] { return copy.session.Roster().Users().size() >= static_cast<std::size_t>(users); };
    const bool allListed = RunUntil(listed, std::chrono::seconds(20));
    const double listedAfter = std::chrono::duration<double>(Clock::now() - start).count();
    const long listedKb = ResidentKb();
    std::size_t fewest = copy.session.Roster().Users().size();
    RunUntil(
        [&] {
            fewest = std::min(fewest, copy.session.Roster().Users().size());
            return false;
        },
        std::chrono::milliseconds(12'200)
            - std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start));
    peers.join();
    const auto stopped = Clock::now();
    const double cpu = CpuSeconds(CLOCK_PROCESS_CPUTIME_ID) - cpuStart - peerCpu;
    const std::string worstDuringStorm = probe.Worst();
    const bool gone = RunUntil([&] { return copy.session.Roster().Users().size() <= 1; }, std::chrono::seconds(15));
    const double goneAfter = std::chrono::duration<double>(Clock::now() - stopped).count();
    RunUntil([] { return false; }, std::chrono::seconds(2));

    std::printf("storm of %d users, %d presence records: %.2f CPU-s in the program's threads (peer thread "
                "excluded), GUI thread late by at most %s\n",
                users, users * 11, cpu, worstDuringStorm.c_str());
    std::printf("with the removal of all of them: GUI thread late by at most %s\n", probe.Worst().c_str());
    std::printf("all listed: %s after %.2f s; fewest listed once all were in: %zu; all gone %s %.2f s after the "
                "last record\n",
                allListed ? "yes" : "NO", listedAfter, fewest, gone ? "yes," : "NO,", goneAfter);
    std::printf("resident memory: %ld MB at start, %ld MB with all listed, %ld MB 2 s after all were gone\n",
                startKb / 1024, listedKb / 1024, ResidentKb() / 1024);
    return 0;
}

// Reads the copy's own presence records off lo with a packet socket: the wire, as peers see it.
class WireWatch {
public:
    explicit WireWatch(quint16 port)
        : m_port(port)
        , m_fd(socket(AF_PACKET, SOCK_DGRAM | SOCK_CLOEXEC, htons(ETH_P_IP)))
    {
        sockaddr_ll where{};
        where.sll_family = AF_PACKET;
        where.sll_protocol = htons(ETH_P_IP);
        where.sll_ifindex = static_cast<int>(if_nametoindex("lo"));
        if (m_fd >= 0)
            bind(m_fd, reinterpret_cast<sockaddr*>(&where), sizeof where);
        timeval wait{0, 100'000};
        setsockopt(m_fd, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
        m_thread = std::thread([this] { Run(); });
    }
    ~WireWatch()
    {
        m_stop = true;
        m_thread.join();
        close(m_fd);
    }
    bool IsOpen() const { return m_fd >= 0; }
    double LongestGapSeconds() const { return m_longestGap; }
    int Records() const { return m_records; }

private:
    void Run()
    {
        const QByteArray own = GetOwnUserName().toUtf8();
        std::optional<Clock::time_point> last;
        unsigned char frame[2048];
        while (!m_stop) {
            const ssize_t n = recv(m_fd, frame, sizeof frame, 0);
            if (n < static_cast<ssize_t>(sizeof(iphdr) + sizeof(udphdr) + sizeof(MessagePacket)))
                continue;
            const auto* ip = reinterpret_cast<const iphdr*>(frame);
            if (ip->protocol != IPPROTO_UDP)
                continue;
            const auto* udp = reinterpret_cast<const udphdr*>(frame + ip->ihl * 4);
            if (ntohs(udp->dest) != m_port || (ntohl(ip->daddr) >> 24) != 127 || ntohl(ip->daddr) == 0x7F000001u)
                continue; // only the broadcasts, not the peer's lines to 127.0.0.1
            MessagePacket packet;
            std::memcpy(&packet, frame + ip->ihl * 4 + sizeof(udphdr), sizeof packet);
            if (packet.type != PACKET_PRESENCE || packet.Sender().toUtf8() != own)
                continue;
            const auto now = Clock::now();
            if (last)
                m_longestGap = std::max(m_longestGap.load(), std::chrono::duration<double>(now - *last).count());
            last = now;
            ++m_records;
        }
    }

    quint16 m_port;
    int m_fd;
    std::atomic<bool> m_stop{false};
    std::atomic<double> m_longestGap{0};
    std::atomic<int> m_records{0};
    std::thread m_thread;
};

int Flood(int linesPerSecond, int seconds)
{
    Copy copy;
    copy.chat.show();
    const quint16 port = copy.session.Transport().Port();
    WireWatch wire(port);
    if (!wire.IsOpen()) {
        std::fprintf(stderr, "needs a packet socket (root)\n");
        return 1;
    }
    auto* lines = copy.chat.findChild<CChatListBox*>();
    LatenessProbe probe;
    const int total = linesPerSecond * seconds;
    std::atomic<bool> stop{false};
    long peakKb = 0;
    std::thread peer([&] {
        SendEvenly(
            port, total, std::chrono::seconds(seconds),
            [](int i) { return MessagePacket::Make(PACKET_CHAT, QString::number(i), u"flood"); }, stop);
    });
    const auto start = Clock::now();
    RunUntil(
        [&] {
            peakKb = std::max(peakKb, ResidentKb());
            return false;
        },
        std::chrono::seconds(seconds));
    peer.join();
    const bool all = RunUntil([&] { return lines->GetCount() >= total; }, std::chrono::seconds(60));
    const double shownAfter = std::chrono::duration<double>(Clock::now() - start).count();
    std::printf("flood of %d chat lines over %d s: %d lines shown%s after %.1f s; longest gap between the copy's "
                "presence records on the wire %.3f s (%d records); GUI thread late by at most %s; peak "
                "resident memory %ld MB\n",
                total, seconds, lines->GetCount(), all ? " (all)" : "", shownAfter, wire.LongestGapSeconds(),
                wire.Records(), probe.Worst().c_str(), peakKb / 1024);
    return 0;
}

} // namespace

// Stands in for the application's commands: the bus may ask for windows, nothing more.
class NoCommands : public TrayCommands {
public:
    void OnTrayCommand(int) override { }
    bool HasIncomingMessages() const override { return false; }
};

int Bus(int calls)
{
    Copy copy;
    NoCommands commands;
    SessionBusService service(copy.session, commands);
    if (!service.Register()) {
        std::fprintf(stderr, "no session bus: run under dbus-run-session\n");
        return 1;
    }
    int received = 0;
    QObject::connect(&copy.session, &MessengerSession::MessageReceived, [&] { ++received; });
    const QString me = GetOwnUserName();
    if (!RunUntil([&] { return copy.session.IsListed(me); }, std::chrono::seconds(5)))
        return 1;
    LatenessProbe probe;
    std::atomic<int> failed{0};
    std::atomic<bool> done{false};
    const auto start = Clock::now();
    std::thread client([&] {
        QDBusConnection bus = QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("client"));
        QDBusInterface pellwick(QString::fromLatin1(SessionBusService::kService),
                                QString::fromLatin1(SessionBusService::kPath),
                                QString::fromLatin1(SessionBusService::kInterface), bus);
        for (int i = 0; i < calls; ++i)
            if (pellwick.call(QStringLiteral("SendMessage"), me, QStringLiteral("call %1").arg(i)).type()
                != QDBusMessage::ReplyMessage)
                ++failed;
        done = true;
    });
    const bool all = RunUntil([&] { return done && received >= calls - failed; }, std::chrono::seconds(120));
    client.join();
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    std::printf("%d calls through the bus in %.1f s: %d failed, %d messages came back%s; GUI thread's worst "
                "lateness %s\n",
                calls, seconds, failed.load(), received, all ? "" : " (not all)", probe.Worst().c_str());
    return all && failed == 0 ? 0 : 1;
}

// Stands in for the desktop's notification server, in a process of its own: keeps every
// notification until it is closed (it never expires one) and counts.
class NotificationServer : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

public Q_SLOTS:
    uint Notify(const QString&, uint replacesId, const QString&, const QString&, const QString&, const QStringList&,
                const QVariantMap&, int)
    {
        ++m_calls;
        if (replacesId != 0 && m_shown.contains(replacesId))
            return replacesId;
        m_shown.insert(++m_lastId);
        m_most = std::max(m_most, static_cast<int>(m_shown.size()));
        return m_lastId;
    }
    void CloseNotification(uint id) { m_shown.remove(id); }
    // Not in the interface: calls, notifications on screen at most and now.
    QList<int> Counts() const { return {m_calls, m_most, static_cast<int>(m_shown.size())}; }

private:
    QSet<uint> m_shown;
    uint m_lastId = 0;
    int m_calls = 0;
    int m_most = 0;
};

int ServeNotifications()
{
    NotificationServer server;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.registerObject(QStringLiteral("/org/freedesktop/Notifications"), &server,
                            QDBusConnection::ExportAllSlots)
        || !bus.registerService(QStringLiteral("org.freedesktop.Notifications")))
        return 1;
    return QCoreApplication::exec();
}

int Messages(const char* self, int count, int perSecond)
{
    Copy copy;
    CIncomingMessagesDialog incoming(copy.registry);
    QObject::connect(&copy.session, &MessengerSession::MessageReceived, &incoming,
                     [&incoming](const QString& sender, const QString& text, bool) { incoming.AddMessage(sender, text); });
    QObject::connect(&copy.session, &MessengerSession::MessagesDropped, &incoming,
                     &CIncomingMessagesDialog::CountDropped);
    QObject::connect(&incoming, &CIncomingMessagesDialog::InFrontChanged, &copy.session,
                     &MessengerSession::SetIncomingInFront);
    QProcess server;
    const bool onBus = QDBusConnection::sessionBus().isConnected();
    if (onBus) {
        server.start(QString::fromLocal8Bit(self), {QStringLiteral("notification-server")});
        RunUntil([] { return QDBusConnection::sessionBus().interface()->isServiceRegistered(
                              QStringLiteral("org.freedesktop.Notifications")); },
                 std::chrono::seconds(10));
    }
    FreedesktopNotifier notifier;
    MessageNotifications notifications(incoming, copy.registry, notifier);
    incoming.show();
    copy.online.activateWindow(); // the Incoming Messages window stays in the background
    const quint16 port = copy.session.Transport().Port();
    const QString me = GetOwnUserName();
    RunUntil([] { return false; }, std::chrono::seconds(1));

    LatenessProbe probe;
    std::atomic<bool> stop{false};
    long peakKb = ResidentKb();
    const long startKb = peakKb;
    std::atomic<bool> sent{false};
    const auto make = [&](int i) {
        return MessagePacket::Make(PACKET_MESSAGE, QStringLiteral("message %1").arg(i),
                                   QStringLiteral("peer%1").arg(i, 6, 10, QLatin1Char('0')), me);
    };
    std::thread peer([&] {
        if (perSecond > 0) {
            SendEvenly(port, count, std::chrono::milliseconds(1000LL * count / perSecond), make, stop);
        } else {
            RawDatagram raw;
            for (int i = 0; i < count; ++i) {
                const MessagePacket packet = make(i);
                raw.Send(port, &packet, sizeof packet);
            }
        }
        sent = true;
    });
    const auto handled = [&] { return incoming.Dropped() + static_cast<quint64>(incoming.GetCount()); };
    const auto start = Clock::now();
    // The burst is over once all are sent and none came for two seconds (the kernel may drop some).
    quint64 last = 0;
    auto lastChange = Clock::now();
    RunUntil(
        [&] {
            peakKb = std::max(peakKb, ResidentKb());
            if (handled() != last) {
                last = handled();
                lastChange = Clock::now();
            }
            return sent && (handled() >= static_cast<quint64>(count) || Clock::now() - lastChange > std::chrono::seconds(2));
        },
        std::chrono::seconds(900));
    peer.join();
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    const std::string during = probe.Worst();
    LatenessProbe after;
    RunUntil([&] { peakKb = std::max(peakKb, ResidentKb()); return false; }, std::chrono::seconds(10));

    std::printf("%d private messages (%s): %llu reached the window in %.1f s, %d kept, %llu dropped; resident "
                "memory %ld MB at start, %ld MB at most, %ld MB 10 s after; GUI thread late by at most %s during the "
                "burst, %s in the 10 s after\n",
                count, perSecond > 0 ? QByteArray::number(perSecond).append("/s").constData() : "full speed",
                static_cast<unsigned long long>(handled()), seconds, incoming.GetCount(),
                static_cast<unsigned long long>(incoming.Dropped()), startKb / 1024, peakKb / 1024,
                ResidentKb() / 1024, during.c_str(), after.Worst().c_str());
    if (onBus) {
        QDBusInterface standIn(QStringLiteral("org.freedesktop.Notifications"),
                               QStringLiteral("/org/freedesktop/Notifications"),
                               QStringLiteral("org.freedesktop.Notifications"));
        const QDBusReply<QList<int>> counts = standIn.call(QStringLiteral("Counts"));
        if (counts.isValid() && counts.value().size() == 3)
            std::printf("notifications: %d Notify calls, at most %d on screen, %d on screen at the end\n",
                        counts.value()[0], counts.value()[1], counts.value()[2]);
        server.terminate();
        server.waitForFinished(2000);
    }
    return 0;
}

int main(int argc, char** argv)
{
    if (!RequirePrivateNetwork())
        return 1;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QString mode = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    if (mode == QStringLiteral("storm"))
        return Storm(argc > 2 ? std::atoi(argv[2]) : 20000);
    if (mode == QStringLiteral("flood"))
        return Flood(argc > 2 ? std::atoi(argv[2]) : 2000, argc > 3 ? std::atoi(argv[3]) : 30);
    if (mode == QStringLiteral("bus"))
        return Bus(argc > 2 ? std::atoi(argv[2]) : 1000);
    if (mode == QStringLiteral("messages"))
        return Messages(argv[0], argc > 2 ? std::atoi(argv[2]) : 200000, argc > 3 ? std::atoi(argv[3]) : 0);
    if (mode == QStringLiteral("notification-server"))
        return ServeNotifications();
    std::fprintf(stderr, "usage: gui_load_bench storm [users] | flood [lines/s] [seconds] | bus [calls] | messages "
                         "[count] [per second]\n");
    return 2;
}

#include "gui_load_bench.moc"
