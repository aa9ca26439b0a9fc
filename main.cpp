// Headless copy until the windows exist: joins the network, announces the own user once a
// second and prints one line per record it hears.
#include "net/AlertSink.h"
#include "net/CLookupThread.h"
#include "net/CMailslotTransport.h"
#include "net/PacketEvent.h"
#include "net/PresenceEvent.h"
#include "platform/NamedEndpoint.h"
#include "platform/OwnUserName.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <QTimer>

#include <csignal>
#include <cstdio>
#include <sys/signalfd.h>
#include <unistd.h>

namespace {

class StderrAlertSink : public AlertSink {
public:
    void ShowAlert(const QString& text) override
    {
        std::fprintf(stderr, "pellwick: %s\n", text.toLocal8Bit().constData());
    }
};

// Stands in for every window the listener posts to.
class RecordLog : public QObject {
public:
    bool event(QEvent* event) override
    {
        if (event->type() == WM_PACKET) {
            const MessagePacket& packet = static_cast<PacketEvent*>(event)->Packet();
            if (packet.type == PACKET_CHAT)
                Print(QStringLiteral("chat %1: %2").arg(packet.Sender(), packet.Text()));
            else
                Print(QStringLiteral("message %1 -> %2: %3").arg(packet.Sender(), packet.Recipient(), packet.Text()));
            return true;
        }
        if (event->type() == WM_PRESENCE) {
            const auto* presence = static_cast<PresenceEvent*>(event);
            Print((presence->IsChatPresence() ? QStringLiteral("chat-presence ") : QStringLiteral("presence "))
                  + presence->Packet().Sender());
            return true;
        }
        return QObject::event(event);
    }

private:
    static void Print(const QString& line)
    {
        std::printf("%s\n", line.toLocal8Bit().constData());
        std::fflush(stdout);
    }
};

} // namespace

int main(int argc, char** argv)
{
    NamedEndpoint instanceLock;
    if (!instanceLock.Claim(kInstanceLockName))
        return 10;

    // Every thread inherits the mask, so the signals arrive only through the signalfd.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
    const int signalFd = signalfd(-1, &stopSignals, SFD_CLOEXEC | SFD_NONBLOCK);

    QCoreApplication app(argc, argv);
    StderrAlertSink alerts;
    CMailslotTransport transport(alerts);
    if (!transport.IsOpen())
        return 10;

    RecordLog log;
    std::atomic<bool> incomingActive {false};
    transport.SetTargets({&log, &log, &log, nullptr, &incomingActive});

    CLookupThread listener(transport);
    if (!listener.Start()) {
        alerts.ShowAlert(QStringLiteral("Невозможно создать поток."));
        return 1;
    }

    QSocketNotifier stopNotifier(signalFd, QSocketNotifier::Read);
    QObject::connect(&stopNotifier, &QSocketNotifier::activated, &app, [&] {
        listener.Stop();
        QCoreApplication::quit();
    });

    const auto announce = [&transport] {
        transport.Send(MessagePacket::Make(PACKET_PRESENCE, u"Подтверждение...", GetOwnUserName()));
    };
    QTimer presenceTimer;
    QObject::connect(&presenceTimer, &QTimer::timeout, &app, announce);
    presenceTimer.start(1000);
    announce();

    const int code = app.exec();
    listener.Stop();
    ::close(signalFd);
    return code;
}
