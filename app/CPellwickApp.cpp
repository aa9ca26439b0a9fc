#include "app/CPellwickApp.h"

#include "app/CTaskBarIcon.h"
#include "chat/CChatDialog.h"
#include "messages/CIncomingMessagesDialog.h"
#include "messages/SendToUser.h"
#include "net/CLookupThread.h"
#include "online/COnlineDialog.h"
#include "online/CUserListBox.h"
#include "prefs/Autostart.h"
#include "prefs/CRegistry.h"
#include "ui/CAboutDialog.h"
#include "ui/MessageBoxAlerts.h"
#include "ui/PlaySoundResource.h"

#include <QApplication>

CPellwickApp::CPellwickApp() = default;

CPellwickApp::~CPellwickApp()
{
    TakeDown();
}

void CPellwickApp::TakeDown()
{
    // The listener reads the windows' addresses: it goes before any of them.
    StopListener();
    m_pTrayIcon.reset();
    m_pMainWnd.reset();
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
    PrepareSoundOutput();
    RegisterAutostart(*m_registry, QCoreApplication::applicationFilePath());
    if (stopping())
        return EXIT_OK;

    m_pTrayIcon = std::make_unique<CTaskBarIcon>(*this, *m_alerts);
    if (!m_pTrayIcon->ShowNormalIcon())
        return EXIT_NO_TRAY_ICON;

    m_pChatWnd = std::make_unique<CChatDialog>(*m_registry);
    if (stopping())
        return EXIT_OK;
    m_pIncomingWnd = std::make_unique<CIncomingMessagesDialog>(*m_registry, m_bIncomingActive);
    connect(m_pIncomingWnd.get(), &CIncomingMessagesDialog::Activated, m_pTrayIcon.get(),
            &CTaskBarIcon::StopIncomingFlash);
    if (stopping())
        return EXIT_OK;

    m_pMainWnd = std::make_unique<COnlineDialog>(*m_registry, *m_alerts, m_pTrayIcon.get());
    if (!m_pMainWnd->IsTransportOpen())
        return EndAfterAlerts(EXIT_ALREADY_RUNNING);
    m_pIncomingWnd->SetReplyTarget(m_pMainWnd.get());
    auto* sendToUser = new SendToUser(*m_registry, *m_pMainWnd, *m_pMainWnd->UserList(), m_pMainWnd.get());
    connect(m_pMainWnd.get(), &COnlineDialog::SendToUserRequested, sendToUser, &SendToUser::Open);

    m_pMainWnd->Transport().SetTargets({
        .chatWnd = m_pChatWnd.get(),
        .incomingWnd = m_pIncomingWnd.get(),
        .mainWnd = m_pMainWnd.get(),
        .trayWnd = m_pTrayIcon.get(),
        .incomingActive = &m_bIncomingActive,
    });
    m_pChatWnd->SetPacketSender(m_pMainWnd.get());
    m_pLookupThread = std::make_unique<CLookupThread>(m_pMainWnd->Transport());
    if (!m_pLookupThread->Start()) {
        m_pLookupThread.reset();
        m_alerts->ShowAlert(QStringLiteral("Невозможно создать поток."));
        return EndAfterAlerts(EXIT_OK);
    }
    return stopping() ? EXIT_OK : kStarted;
}

int CPellwickApp::EndAfterAlerts(int exitCode)
{
    if (!m_alerts->OpenBoxes().empty()) {
        // exit(), not quit(): quit() first asks every window to close, and the tray stand-in
        // and the Online window refuse, so the loop would never end.
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
    case ID_SHUTDOWN:
        OnShutdown();
        break;
    default:
        break; // "Preferences..." has no action: each window has its own.
    }
}

bool CPellwickApp::HasIncomingMessages() const
{
    return m_pIncomingWnd && m_pIncomingWnd->GetCount() > 0;
}

void CPellwickApp::OnShowOnline()
{
    m_pMainWnd->ShowPlaced();
}

void CPellwickApp::OnAbout()
{
    auto* about = new CAboutDialog();
    about->setAttribute(Qt::WA_DeleteOnClose);
    about->open();
}

void CPellwickApp::OnShutdown()
{
    StopListener();
    QCoreApplication::exit(EXIT_OK);
}

void CPellwickApp::StopListener()
{
    if (m_pLookupThread) {
        m_pLookupThread->Stop();
        m_pLookupThread.reset();
    }
}
