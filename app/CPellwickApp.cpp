#include "app/CPellwickApp.h"

#include "app/CTaskBarIcon.h"
#include "app/MessageNotifications.h"
#include "app/SessionBusService.h"
#include "app/SessionEndpoints.h"
#include "chat/CChatDialog.h"
#include "messages/CIncomingMessagesDialog.h"
#include "messages/SendToUser.h"
#include "online/COnlineDialog.h"
#include "platform/FreedesktopNotifier.h"
#include "platform/Logging.h"
#include "platform/OwnUserName.h"
#include "prefs/Autostart.h"
#include "prefs/CRegistry.h"
#include "prefs/GeneralSettings.h"
#include "preferences/PreferencesWindow.h"
#include "session/MessengerSession.h"
#include "ui/CAboutDialog.h"
#include "ui/MessageBoxAlerts.h"
#include "ui/PlaySoundResource.h"

#include <QApplication>
#include <QTimer>

namespace {

constexpr std::chrono::seconds kNoticeDelay(3);
// Long enough to read the notice before it, which the next one replaces.
constexpr std::chrono::seconds kNextNoticeDelay(10);

} // namespace

CPellwickApp::CPellwickApp() = default;

CPellwickApp::~CPellwickApp()
{
    TakeDown();
}

void CPellwickApp::TakeDown()
{
    // Nothing arrives once the listener is gone: the windows go after it.
    StopListener();
    delete m_pPreferences;
    m_pBusService.reset();
    m_pTrayIcon.reset();
    m_pMainWnd.reset();
    m_pNotifications.reset();
    m_pIncomingWnd.reset();
}

int CPellwickApp::Run()
{
    const int startUp = StartUp();
    if (startUp != kStarted) {
        TakeDown();
        return startUp;
    }

    QApplication::setQuitOnLastWindowClosed(false);
    connect(qApp, &QCoreApplication::aboutToQuit, this, &CPellwickApp::StopListener);
    const int exitCode = QApplication::exec();
    TakeDown();
    return exitCode;
}

int CPellwickApp::StartUp()
{
    // First, so that a logout or kill during a slow start-up (a large settings file, a slow
    // home folder) ends the program cleanly: the steps below stop at the next one.
    m_pTermination = std::make_unique<TerminationSignals>();
    connect(m_pTermination.get(), &TerminationSignals::TerminationRequested, this, &CPellwickApp::OnShutdown);
    const auto stopping = [this] { return m_pTermination->Requested(); };

    m_registry = std::make_unique<CRegistry>();
    m_alerts = std::make_unique<MessageBoxAlerts>();
    m_registry->ReportWriteFailuresTo(*m_alerts);
    PreferencesWindow::ApplyChoices(LoadGeneralSettings(*m_registry));
    PrepareSoundOutput();
    ApplyAutostartChoice(*m_registry, QCoreApplication::applicationFilePath());
    if (stopping())
        return EXIT_OK;

    m_pTrayIcon = std::make_unique<CTaskBarIcon>(*this);
    if (!m_pTrayIcon->ShowNormalIcon())
        return EXIT_NO_TRAY_ICON;

    m_pChatWnd = std::make_unique<CChatDialog>(*m_registry);
    if (stopping())
        return EXIT_OK;
    m_pIncomingWnd = std::make_unique<CIncomingMessagesDialog>(*m_registry);
    m_pNotifier = std::make_unique<FreedesktopNotifier>();
    m_pNotifications = std::make_unique<MessageNotifications>(*m_pIncomingWnd, *m_registry, *m_pNotifier);
    if (stopping())
        return EXIT_OK;

    // The user's name cannot change while the program runs: look it up once, here.
    GetOwnUserName();
    m_pSession = std::make_unique<MessengerSession>(*m_alerts, SessionEndpoints(*m_registry));
    if (!m_pSession->IsOpen())
        return EndAfterAlerts(EXIT_ALREADY_RUNNING);
    m_pMainWnd = std::make_unique<COnlineDialog>(*m_registry);
    WireWindows();
    // Once the desktop has placed the tray icon, so that the balloons point at it.
    QTimer::singleShot(kNoticeDelay, this, &CPellwickApp::GiveFirstNotices);
    if (!m_pSession->Start()) {
        m_alerts->ShowAlert(QStringLiteral("Невозможно создать поток."));
        return EndAfterAlerts(EXIT_OK);
    }
    // Scripts, the command line and a second start reach the running copy here.
    m_pBusService = std::make_unique<SessionBusService>(*m_pSession, *this);
    m_pBusService->Register();
    return stopping() ? EXIT_OK : kStarted;
}

void CPellwickApp::WireWindows()
{
    MessengerSession* session = m_pSession.get();
    COnlineDialog* online = m_pMainWnd.get();
    CChatDialog* chat = m_pChatWnd.get();
    CIncomingMessagesDialog* incoming = m_pIncomingWnd.get();
    CTaskBarIcon* tray = m_pTrayIcon.get();

    connect(session, &MessengerSession::UserListed, online, &COnlineDialog::AddUser);
    connect(session, &MessengerSession::UserListed, tray, [tray] { tray->Flash(CTaskBarIcon::FLASH_NEW_USER); });
    connect(session, &MessengerSession::UsersDropped, online, &COnlineDialog::RemoveUsers);
    connect(session, &MessengerSession::UserChatChanged, online, &COnlineDialog::SetUserInChat);
    connect(session, &MessengerSession::UserOnTwoComputersChanged, online, &COnlineDialog::SetUserOnTwoComputers);

    connect(session, &MessengerSession::ChatLineReceived, chat, &CChatDialog::AddLine);
    connect(chat, &CChatDialog::LineWritten, session, [session, chat](const QString& text) {
        if (!session->SendChatLine(text))
            chat->KeepUnsent(text);
    });
    connect(chat, &CChatDialog::InRoomChanged, session, &MessengerSession::SetInChatRoom);

    // The tray flashes before the window takes the message, as the user is to notice it.
    connect(session, &MessengerSession::MessageReceived, incoming,
            [tray, incoming](const QString& sender, const QString& text, bool unnoticed) {
                if (unnoticed)
                    tray->Flash(CTaskBarIcon::FLASH_INCOMING_MESSAGE);
                incoming->AddMessage(sender, text);
            });
    connect(session, &MessengerSession::MessagesDropped, incoming, &CIncomingMessagesDialog::CountDropped);
    connect(incoming, &CIncomingMessagesDialog::InFrontChanged, session, &MessengerSession::SetIncomingInFront);
    connect(incoming, &CIncomingMessagesDialog::Activated, tray, &CTaskBarIcon::StopIncomingFlash);

    auto* sendToUser = new SendToUser(*m_registry, *session, online);
    connect(online, &COnlineDialog::SendToUserRequested, sendToUser, &SendToUser::Open);
    connect(incoming, &CIncomingMessagesDialog::ReplyRequested, sendToUser, &SendToUser::Open);
}

int CPellwickApp::EndAfterAlerts(int exitCode)
{
    if (!m_alerts->OpenBoxes().empty()) {
        // exit(), not quit(): quit() first asks the windows to close, and the tray stand-in
        // refuses (it is the only way in), so the loop would never end.
        m_alerts->WhenAllClosed([] { QCoreApplication::exit(0); });
        QApplication::exec();
    }
    return exitCode;
}

void CPellwickApp::OnTrayCommand(int commandId)
{
    switch (commandId) {
    case ID_SHOW_ONLINE:
        OnShowOnline();
        break;
    case ID_SHOW_HISTORY:
        m_pIncomingWnd->ShowInFront();
        break;
    case ID_SHOW_CHAT:
        m_pChatWnd->ShowInFront();
        break;
    case ID_ABOUT:
        OnAbout();
        break;
    case ID_PREFERENCES:
        OnPreferences();
        break;
    case ID_SHUTDOWN:
        OnShutdown();
        break;
    default:
        break;
    }
}

bool CPellwickApp::HasIncomingMessages() const
{
    return m_pIncomingWnd && m_pIncomingWnd->GetCount() > 0;
}

void CPellwickApp::OnShowOnline()
{
    // The first placement leaves the tray's stand-in window, in the same corner, uncovered.
    const QWidget* standIn = m_pTrayIcon ? m_pTrayIcon->StandIn() : nullptr;
    m_pMainWnd->ShowPlaced(standIn && standIn->isVisible() ? standIn->frameGeometry() : QRect());
}

void CPellwickApp::OnAbout()
{
    // One box at a time: "About..." again brings the open one to the front.
    if (!m_pAbout) {
        m_pAbout = new CAboutDialog();
        m_pAbout->setAttribute(Qt::WA_DeleteOnClose);
    }
    m_pAbout->show();
    m_pAbout->raise();
    m_pAbout->activateWindow();
}

void CPellwickApp::OnPreferences()
{
    // One window at a time: "Preferences..." again brings the open one to the front.
    if (!m_pPreferences) {
        m_pPreferences = new PreferencesWindow(*m_registry, QCoreApplication::applicationFilePath());
        m_pPreferences->setAttribute(Qt::WA_DeleteOnClose);
        m_pPreferences->SetWindowsWireState(m_pSession->WindowsWireState());
    }
    m_pPreferences->show();
    m_pPreferences->raise();
    m_pPreferences->activateWindow();
}

void CPellwickApp::OnShutdown()
{
    StopListener();
    QCoreApplication::exit(EXIT_OK);
}

void CPellwickApp::GiveFirstNotices()
{
    if (NoticeGiven(*m_registry, Notice::TrayHint)) {
        TellIfWindowsPeersUnreachable();
        return;
    }
    SetNoticeGiven(*m_registry, Notice::TrayHint);
    m_pTrayIcon->ShowNotice(QStringLiteral("Pellwick runs in the notification area"),
                            QStringLiteral("Click its icon to see who is online; its menu holds the rest."));
    QTimer::singleShot(kNextNoticeDelay, this, &CPellwickApp::TellIfWindowsPeersUnreachable);
}

void CPellwickApp::TellIfWindowsPeersUnreachable()
{
    const QString why = WindowsWireOffReason(m_pSession->WindowsWireState(), QCoreApplication::applicationFilePath());
    if (why.isEmpty())
        return;
    qCInfo(lcNet).noquote() << "the Windows peers' wire is off:" << why;
    // Once: Preferences shows the state and the remedy at any time.
    if (NoticeGiven(*m_registry, Notice::WindowsPeersOutOfReach))
        return;
    SetNoticeGiven(*m_registry, Notice::WindowsPeersOutOfReach);
    m_pTrayIcon->ShowNotice(QStringLiteral("Pellwick: Windows computers are out of reach"),
                            QStringLiteral("You see and reach the Linux computers only. ") + why
                                + QStringLiteral("\nPreferences shows this again."));
}

void CPellwickApp::StopListener()
{
    if (m_pSession)
        m_pSession->Stop();
}
