#include "app/CTaskBarIcon.h"

#include "app/TrayCommands.h"
#include "app/TrayStandIn.h"
#include "platform/AlertSink.h"
#include "platform/Logging.h"
#include "platform/ThreadCheck.h"
#include "res/ResourceLoader.h"

#include "platform/ThreadCheck.h"

#include <QMenu>
#include <QToolTip>

namespace {

enum IconId { ICON_NORMAL = 128, ICON_MESSAGE = 161, ICON_MESSAGE_ALT = 162, ICON_NEW_USER = 165 };

constexpr int kSeparator = 0;
constexpr struct {
    int id;
    const char* text;
} kMenu[] = {
    {ID_SHOW_ONLINE, "Online..."}, {ID_SHOW_CHAT, "Chat..."}, {ID_SHOW_HISTORY, "History..."},
    {kSeparator, nullptr},         {ID_ABOUT, "About..."},    {ID_PREFERENCES, "Preferences..."},
    {kSeparator, nullptr},         {ID_SHUTDOWN, "Shutdown"},
};

// How often to look for a notification area while the stand-in window is up.
constexpr std::chrono::seconds kTrayHostPoll{2};

// Long enough to read a few lines.
constexpr int kNoticeMs = 20000;

} // namespace

CTaskBarIcon::CTaskBarIcon(TrayCommands& commands, std::chrono::milliseconds flashStep)
    : m_commands(commands)
    , m_flash(flashStep)
    , m_pMenu(std::make_unique<QMenu>())
    , m_pStandIn(std::make_unique<TrayStandIn>(*this))
{
    for (const auto& entry : kMenu) {
        if (entry.id == kSeparator) {
            m_pMenu->addSeparator();
            continue;
        }
        QAction* action = m_pMenu->addAction(QString::fromLatin1(entry.text));
        action->setData(entry.id);
        const int id = entry.id;
        connect(action, &QAction::triggered, this, [this, id] { m_commands.OnTrayCommand(id); });
    }
    connect(&m_trayIcon, &QSystemTrayIcon::activated, this, &CTaskBarIcon::OnActivated);
    connect(&m_flash, &TrayIconFlash::ShowIcon, this, [this](int iconId) {
        SetIcon(iconId,
                m_nFlashKind == FLASH_INCOMING_MESSAGE ? QStringLiteral("Incoming Message")
                                                       : QStringLiteral("New User"));
    });
    connect(&m_flash, &TrayIconFlash::RanOut, this, &CTaskBarIcon::ResetFlash);
    m_trayHostCheck.setInterval(kTrayHostPoll);
    connect(&m_trayHostCheck, &QTimer::timeout, this, &CTaskBarIcon::FollowTrayHost);
}

CTaskBarIcon::~CTaskBarIcon()
{
    m_flash.Stop();
    m_trayIcon.hide();
}

QWidget* CTaskBarIcon::StandIn() const
{
    return m_pStandIn.get();
}

bool CTaskBarIcon::ShowNormalIcon()
{
    if (LoadIconResource(ICON_NORMAL).isNull()) {
        qCInfo(lcTray) << "the program's icon is missing from the resources";
        return false;
    }
    return SetIcon(ICON_NORMAL, QStringLiteral("Pellwick"));
}

bool CTaskBarIcon::SetIcon(int iconId, const QString& tip)
{
    const QIcon icon = LoadIconResource(iconId);
    if (!icon.isNull()) {
        m_nIconId = iconId;
        m_trayIcon.setIcon(icon);
        m_pStandIn->SetIcon(icon);
    } else {
        qCInfo(lcTray) << "icon" << iconId << "is missing from the resources; only the tool tip changes";
    }
    if (!tip.isEmpty()) {
        m_strTip = tip.left(kMaxTipLength);
        m_trayIcon.setToolTip(m_strTip);
        m_pStandIn->setToolTip(m_strTip);
    }
    FollowTrayHost();
    return true;
}

// Shows the icon in the notification area when there is one, else the stand-in window, and
// keeps looking for a notification area while there is none (it may start after us at logon).
void CTaskBarIcon::FollowTrayHost()
{
    if (m_nIconId == 0)
        return;
    const bool hasTray = QSystemTrayIcon::isSystemTrayAvailable();
    m_trayIcon.setVisible(hasTray);
    m_pStandIn->setVisible(!hasTray);
    if (hasTray) {
        m_trayHostCheck.stop();
    } else if (!m_trayHostCheck.isActive()) {
        qCInfo(lcTray) << "no notification area: the stand-in window carries the icon";
        m_trayHostCheck.start();
    }
}

void CTaskBarIcon::ShowNotice(const QString& title, const QString& text)
{
    ASSERT_GUI_THREAD();
    m_strNotice = text;
    if (IsInTray())
        m_trayIcon.showMessage(title, text, QSystemTrayIcon::Information, kNoticeMs);
    else
        QToolTip::showText(m_pStandIn->mapToGlobal(QPoint(0, m_pStandIn->height())), text, m_pStandIn.get(), {},
                           kNoticeMs);
}

void CTaskBarIcon::Flash(FlashKind kind)
{
    ASSERT_GUI_THREAD();
    if (m_bFlashing) {
        // A private message always replaces a new-user flash; anything else waits its turn.
        if (!(m_nFlashKind == FLASH_NEW_USER && kind == FLASH_INCOMING_MESSAGE))
            return;
        ResetFlash();
    }
    m_nFlashKind = kind;
    m_bFlashing = true;
    if (kind == FLASH_INCOMING_MESSAGE)
        m_flash.Start(ICON_MESSAGE, ICON_MESSAGE_ALT, -1);
    else
        m_flash.Start(ICON_NEW_USER, ICON_NORMAL, 6);
}

void CTaskBarIcon::ResetFlash()
{
    m_flash.Stop();
    ShowNormalIcon();
    m_bFlashing = false;
}

void CTaskBarIcon::StopIncomingFlash()
{
    if (m_bFlashing && m_nFlashKind == FLASH_INCOMING_MESSAGE)
        ResetFlash();
}

void CTaskBarIcon::OnActivated(QSystemTrayIcon::ActivationReason reason)
{
    if (reason == QSystemTrayIcon::Trigger)
        OnLButtonDown();
    else if (reason == QSystemTrayIcon::Context)
        OnRButtonDown(QCursor::pos());
}

void CTaskBarIcon::OnLButtonDown()
{
    if (!m_bFlashing) {
        m_commands.OnTrayCommand(ID_SHOW_ONLINE);
        return;
    }
    const int kind = m_nFlashKind;
    ResetFlash();
    m_commands.OnTrayCommand(kind == FLASH_INCOMING_MESSAGE ? ID_SHOW_HISTORY : ID_SHOW_ONLINE);
}

void CTaskBarIcon::OnRButtonDown(const QPoint& globalPos)
{
    if (m_bFlashing)
        return;
    for (QAction* action : m_pMenu->actions()) {
        if (action->data().toInt() == ID_SHOW_HISTORY)
            action->setEnabled(m_commands.HasIncomingMessages());
    }
    m_pMenu->popup(globalPos);
}
