#pragma once

#include "net/MessagePacket.h"
#include "net/PacketSender.h"

#include <QBasicTimer>
#include <QDialog>
#include <QPointer>

#include <functional>

class CChatListBox;
class CHoverBitmapButton;
class CRegistry;
class QLabel;
class QLineEdit;
class QPushButton;

// The Chat Room: the one conversation of all copies on the network. A line typed here goes
// out as a chat packet through the Online window and is shown, like everybody's lines, when
// its broadcast comes back. While the window is shown it announces once a second that its
// user is in the chat room. It is created hidden at start-up; closing it only hides it.
class CChatDialog : public QDialog {
    Q_OBJECT

public:
    static constexpr int IDD = 137;
    enum ControlId {
        IDC_SEND = 1001,
        IDC_CHAT_LIST = 1008,
        IDC_INPUT = 1009,
        IDC_CLEAR = 1010,
        IDC_PREFERENCES = 1011,
        IDC_ENTER = 1014,
    };
    static constexpr int kChatPresenceMs = 1000;
    // What a packet's text field carries.
    static constexpr int kMaxInputLength = static_cast<int>(MessagePacket::kTextWidth) - 1;

    using SoundOutput = std::function<void(int)>;

    explicit CChatDialog(CRegistry& registry, SoundOutput playSound = {}, QWidget* parent = nullptr);
    ~CChatDialog() override;

    // The window that sends this window's packets (the Online window). Once it is gone,
    // nothing is sent.
    template <typename Window> void SetPacketSender(Window* window)
    {
        m_pSenderWnd = window;
        m_pSender = window;
    }

    // The tray's "Chat...": shown normally and in front.
    void ShowInFront();

    CChatListBox* ChatList() const { return m_pChatList; }
    QLineEdit* Input() const { return m_pInput; }

    bool IsLimitNoticeShown() const;

    void reject() override;

protected:
    void customEvent(QEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void OnSend();
    void OnClear();
    void OnPreferences();
    void AddLine(const MessagePacket& packet);
    void SendToOnline(const MessagePacket& packet);
    void SelectInput();
    void LoadAppearance();

    CRegistry& m_registry;
    SoundOutput m_playSound;
    QPointer<QObject> m_pSenderWnd;
    PacketSender* m_pSender = nullptr;
    QBasicTimer m_chatPresenceTimer;

    QLineEdit* m_pInput = nullptr;
    CHoverBitmapButton* m_pCloseButton = nullptr;
    CHoverBitmapButton* m_pSendButton = nullptr;
    CHoverBitmapButton* m_pClearButton = nullptr;
    CHoverBitmapButton* m_pPrefsButton = nullptr;
    QPushButton* m_pEnterButton = nullptr;
    QLabel* m_pLimitNotice = nullptr;
    CChatListBox* m_pChatList = nullptr;
};
