#pragma once

#include "app/TrayCommands.h"
#include "platform/TerminationSignals.h"
#include "ui/CAboutDialog.h"

#include <QObject>
#include <QPointer>

#include <memory>

class CChatDialog;
class CIncomingMessagesDialog;
class COnlineDialog;
class CRegistry;
class CTaskBarIcon;
class DesktopNotifier;
class MessageNotifications;
class MessageBoxAlerts;
class MessengerSession;
class PreferencesWindow;
class SessionBusService;

// The application: starts every part in order (the session first, then the windows that show
// it, wired to it by signals), carries out the tray menu's commands and takes everything down
// again in order. Every way of ending the program (the tray's "Shutdown", SIGTERM or SIGINT,
// the end of the desktop session) stops the listener first.
class CPellwickApp : public QObject, public TrayCommands {
    Q_OBJECT

public:
    // From 64 on, the usual codes of sysexits: usage, bad data, no such user, a service missing, try later.
    enum ExitCode {
        EXIT_OK = 0,
        EXIT_NO_TRAY_ICON = 2,
        EXIT_ALREADY_RUNNING = 10,
        EXIT_USAGE = 64,
        EXIT_DATA = 65,
        EXIT_NO_USER = 67,
        EXIT_NO_DISPLAY = 69,
        EXIT_UNAVAILABLE = 69,
        EXIT_TRY_LATER = 75,
    };

    CPellwickApp();
    ~CPellwickApp() override;

    // The whole run: start-up, the event loop, shutdown. Returns the process's exit code.
    // The caller holds the one-copy-per-machine lock already.
    int Run();

    void OnTrayCommand(int commandId) override;
    bool HasIncomingMessages() const override;

private:
    // Starts every part; kStarted when the event loop is to run, otherwise the exit code to
    // end with (after a failure, or a termination signal during start-up).
    static constexpr int kStarted = -1;
    int StartUp();
    // Shows what went wrong, waits until the user has read it, then gives the exit code.
    int EndAfterAlerts(int exitCode);
    void OnShowOnline();
    void OnAbout();
    void OnPreferences();
    void OnShutdown();
    void StopListener();
    // Connects the windows and the tray to the session and to each other.
    void WireWindows();
    // The first start's hint that the program lives in the notification area, then the notice
    // below; each is given once, ever.
    void GiveFirstNotices();
    // Says once, at the icon, that the Windows computers are out of reach and what to do.
    void TellIfWindowsPeersUnreachable();
    // Ends everything in shutdown order; safe to call twice.
    void TakeDown();

    // Gone after the registry, whose writer may report to it.
    std::unique_ptr<MessageBoxAlerts> m_alerts;
    std::unique_ptr<CRegistry> m_registry;
    std::unique_ptr<MessengerSession> m_pSession;
    std::unique_ptr<SessionBusService> m_pBusService;
    std::unique_ptr<CTaskBarIcon> m_pTrayIcon;
    std::unique_ptr<CIncomingMessagesDialog> m_pIncomingWnd;
    std::unique_ptr<DesktopNotifier> m_pNotifier;
    std::unique_ptr<MessageNotifications> m_pNotifications;
    std::unique_ptr<CChatDialog> m_pChatWnd;
    std::unique_ptr<COnlineDialog> m_pMainWnd;
    std::unique_ptr<TerminationSignals> m_pTermination;
    QPointer<CAboutDialog> m_pAbout;
    QPointer<PreferencesWindow> m_pPreferences;
};
