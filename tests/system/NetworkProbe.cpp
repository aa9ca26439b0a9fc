// A copy of the network spine for the multi-host tests: opens the transport on the real port
// and name, runs the listener, and on stdin's commands sends numbered chat lines. Prints
// "ready" once open and one line "heard <sender> <text>" per chat line heard; exits at the
// end of stdin, with 10 when the transport did not open (where the program would end).
#include "net/CLookupThread.h"
#include "net/CMailslotTransport.h"
#include "net/PacketEvent.h"
#include "platform/OwnUserName.h"
#include "support/RecordingAlertSink.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <cstdio>
#include <iostream>
#include <unistd.h>

namespace {

class ChatPrinter : public QObject {
public:
    bool event(QEvent* event) override
    {
        if (event->type() != WM_PACKET)
            return QObject::event(event);
        const MessagePacket& packet = static_cast<PacketEvent*>(event)->Packet();
        std::printf("heard %s %s\n", packet.Sender().toUtf8().constData(), packet.Text().toUtf8().constData());
        std::fflush(stdout);
        return true;
    }
};

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    RecordingAlertSink alerts;
    CMailslotTransport transport(alerts);
    if (!transport.IsOpen())
        return 10;
    ChatPrinter printer;
    transport.SetTargets({&printer, nullptr, nullptr, nullptr, nullptr});
    CLookupThread listener(transport);
    if (!listener.Start())
        return 1;
    std::printf("ready\n");
    std::fflush(stdout);

    // "send N": N numbered chat lines from the own user.
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, &app, [&] {
        char line[64];
        const ssize_t n = read(STDIN_FILENO, line, sizeof line - 1);
        if (n <= 0) {
            input.setEnabled(false);
            QCoreApplication::quit();
            return;
        }
        line[n] = '\0';
        int count = 0;
        if (std::sscanf(line, "send %d", &count) == 1)
            for (int i = 0; i < count; ++i)
                transport.Send(MessagePacket::Make(PACKET_CHAT, QStringLiteral("line %1").arg(i), GetOwnUserName()));
    });
    const int code = app.exec();
    listener.Stop();
    return code;
}
