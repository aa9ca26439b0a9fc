// The Online window after ten rounds of close and a new window reading the stored place
// ("online"), or the stand-in window of a desktop without a notification area ("standin"),
// for tests/screenshots/take.sh. The Online window opens the program's port: take.sh runs it
// in a private network namespace only.
#include "app/CTaskBarIcon.h"
#include "app/TrayCommands.h"
#include "online/COnlineDialog.h"
#include "platform/AlertSink.h"
#include "prefs/CRegistry.h"

#include <QApplication>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <memory>

namespace {

class PrintedAlerts : public AlertSink {
public:
    void ShowAlert(const QString& text) override { std::fprintf(stderr, "%s\n", qPrintable(text)); }
};

class NoCommands : public TrayCommands {
public:
    void OnTrayCommand(int) override { }
    bool HasIncomingMessages() const override { return false; }
};

void Wait(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QTemporaryDir dir;
    CRegistry registry(dir.filePath(QStringLiteral("registry.reg")));
    PrintedAlerts alerts;
    NoCommands commands;

    if (argc > 1 && QByteArray(argv[1]) == "standin") {
        CTaskBarIcon tray(commands, alerts);
        tray.ShowNormalIcon();
        return app.exec();
    }

    QObject trayWnd;
    auto online = std::make_unique<COnlineDialog>(registry, alerts, &trayWnd);
    if (!online->IsTransportOpen())
        return 10;
    online->ShowPlaced();
    Wait(500);
    online->setGeometry(QRect(QPoint(600, 300), online->size() + QSize(40, 80)));
    Wait(500);
    const QRect placed = online->frameGeometry();
    for (int round = 0; round < 10; ++round) {
        online->close();
        online.reset(); // the port is free again before the next window opens it
        online = std::make_unique<COnlineDialog>(registry, alerts, &trayWnd);
        online->ShowPlaced();
        Wait(500);
    }
    std::printf("placed at %d,%d %dx%d; after ten restarts at %d,%d %dx%d\n", placed.x(), placed.y(), placed.width(),
                placed.height(), online->frameGeometry().x(), online->frameGeometry().y(),
                online->frameGeometry().width(), online->frameGeometry().height());
    std::fflush(stdout);
    return app.exec();
}
