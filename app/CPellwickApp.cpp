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
    if (startUp != EXIT_OK)
        return startUp;

    QApplication::setQuitOnLastWindowClosed(false);
    connect(qApp, &QCoreApplication::aboutToQuit, this, &CPellwickApp::StopListener);
    const int exitCode = QApplication::exec();
    TakeDown();
    return exitCode;
}

int CPellwickApp::StartUp()
{
    m_registry = std::make_unique<CRegistry>();
    m_alerts = std::make_unique<MessageBoxAlerts>();
    PrepareSoundOutput();
    RegisterAutostart(*m_registry, QCoreApplication::applicationFilePath());

    m_pTrayIcon = std::make_unique<CTaskBarIcon>(*this, *m_alerts);
    if (!m_pTrayIcon->ShowNormalIcon())
        return EXIT_NO_TRAY_ICON;

    m_pChatWnd = std::make_unique<CChatDialog>(*m_registry);
    m_pIncomingWnd = std::make_unique<CIncomingMessagesDialog>(*m_registry, m_bIncomingActive);
    connect(m_pIncomingWnd.get(), &CIncomingMessagesDialog::Activated, m_pTrayIcon.get(),
            &CTaskBarIcon::StopIncomingFlash);

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

    m_pTermination = std::make_unique<TerminationSignals>();
    connect(m_pTermination.get(), &TerminationSignals::TerminationRequested, this, &CPellwickApp::OnShutdown);
    return EXIT_OK;
}

int CPellwickApp::EndAfterAlerts(int exitCode)
{
    if (!m_alerts->OpenBoxes().empty()) {
        m_alerts->WhenAllClosed([] { QCoreApplication::quit(); });
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
    // One box at a time: "About..." again brings the open one to the front.
    if (!m_pAbout) {
        m_pAbout = new CAboutDialog();
        m_pAbout->setAttribute(Qt::WA_DeleteOnClose);
    }
    m_pAbout->show();
    m_pAbout->raise();
    m_pAbout->activateWindow();
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
