#pragma once

#include "net/CMailslotTransport.h"
#include "net/PacketSender.h"
#include "online/PresenceRoster.h"
#include "online/RosterList.h"
#include "prefs/PreferencesOnline.h"

#include <QBasicTimer>
#include <QDialog>

#include <memory>
#include <optional>

class AlertSink;
class CHoverBitmapButton;
class FramePlacer;
class CRegistry;
class CUserListBox;

// The "Online" window: the list of users online now. It is also the hub of the network
// side: it owns the transport, sends every packet of the program, broadcasts this copy's
// presence once a second and keeps the presence roster. Closing it only hides it.
class COnlineDialog : public QDialog, public PacketSender, private RosterList {
    Q_OBJECT

public:
    static constexpr int IDD = 102;
    static constexpr int kPresenceTimerMs = 1000;
    static constexpr QSize kMinimumSize{80, 150};

    COnlineDialog(CRegistry& registry, AlertSink& alerts, TransportEndpoints endpoints = {});
    ~COnlineDialog() override;

    // False when the transport did not open (it has shown why); the program then ends with
    // exit code 10.
    bool IsTransportOpen() const { return m_transport.IsOpen(); }
    CMailslotTransport& Transport() { return m_transport; }

    bool SendPacket(const MessagePacket& packet) override;

    // Shows the window where it was last closed, or at the lower right on first show.
    void ShowPlaced();

    const PresenceRoster& Roster() const { return m_roster; }
    CUserListBox* UserList() const { return m_pUserList; }

Q_SIGNALS:
    // A user (or "All") was chosen in the list to write to.
    void SendToUserRequested(const QString& name);
    // A user joined the list: the tray flashes for it.
    void NewUserListed();

protected:
    void customEvent(QEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    QListWidgetItem* AddUserItem(const QString& name) override;
    void RemoveUserItem(QListWidgetItem* item) override;
    void SetUserItemInChat(QListWidgetItem* item, bool inChat) override;

    void OnTimer();
    void OnPinClicked();
    void OnColorClicked();
    void OnFontClicked();
    void ApplyAppearance();
    void SavePlacementAndHide();
    // Places the window so that its frame lies on the rectangle (nullopt: the first place).
    void PlaceFrame(const std::optional<QRect>& frame);
    void ResetButtons();

    CRegistry& m_registry;
    CMailslotTransport m_transport;
    PresenceRoster m_roster;
    PreferencesOnline m_preferences;
    bool m_bPinned = false;
    QBasicTimer m_presenceTimer;
    FramePlacer* m_pPlacer = nullptr;

    CUserListBox* m_pUserList = nullptr;
    CHoverBitmapButton* m_pPinButton = nullptr;
    CHoverBitmapButton* m_pColorButton = nullptr;
    CHoverBitmapButton* m_pFontButton = nullptr;
    // Distances of the controls from the lower corners, kept when the window is resized.
    QMargins m_listMargins;
    int m_nButtonBottom = 0;
    int m_nColorFromRight = 0;
    int m_nFontFromRight = 0;
};
