#pragma once

#include "app/TrayIconFlash.h"

#include <QIcon>
#include <QObject>
#include <QPointer>
#include <QSystemTrayIcon>
#include <QTimer>

#include <chrono>
#include <memory>

class TrayStandIn;
class QMenu;
class TrayCommands;

// The program's icon in the notification area, its menu, and the flashing of the icon.
// Where the desktop has no notification area (or it is not up yet at logon), a small
// stand-in window carries the same icon, tool tip, clicks and menu until a tray appears.
class CTaskBarIcon : public QObject {
    Q_OBJECT

public:
    static constexpr int kMaxTipLength = 63;
    enum FlashKind { FLASH_INCOMING_MESSAGE = 1, FLASH_NEW_USER = 2 };

    explicit CTaskBarIcon(TrayCommands& commands, std::chrono::milliseconds flashStep = TrayIconFlash::kStep);
    ~CTaskBarIcon() override;

    // False, changing nothing, when the normal icon is missing from the resources.
    bool ShowNormalIcon();
    // A missing icon changes only the tool tip.
    bool SetIcon(int iconId, const QString& tip);

    void Flash(FlashKind kind);
    void ResetFlash();
    // The Incoming Messages window came to the front: an incoming-message flash has done its
    // job. Any other flash goes on.
    void StopIncomingFlash();
    bool IsFlashing() const { return m_bFlashing; }

    // A word to the user that needs no answer: a balloon at the icon (a tool tip at the
    // stand-in window), gone by itself after a while.
    void ShowNotice(const QString& title, const QString& text);
    QString LastNotice() const { return m_strNotice; }

    void OnLButtonDown();
    void OnRButtonDown(const QPoint& globalPos);

    // What the icon shows now, for the program's own checks.
    int CurrentIconId() const { return m_nIconId; }
    QString ToolTip() const { return m_strTip; }
    QMenu* Menu() const { return m_pMenu.get(); }
    bool IsInTray() const { return m_trayIcon.isVisible(); }
    QWidget* StandIn() const;

private:
    void FollowTrayHost();
    void OnActivated(QSystemTrayIcon::ActivationReason reason);

    TrayCommands& m_commands;
    TrayIconFlash m_flash;
    bool m_bFlashing = false;
    int m_nFlashKind = 0;

    int m_nIconId = 0;
    QString m_strTip;
    QString m_strNotice;
    QSystemTrayIcon m_trayIcon;
    std::unique_ptr<QMenu> m_pMenu;
    std::unique_ptr<TrayStandIn> m_pStandIn;
    QTimer m_trayHostCheck;
};
