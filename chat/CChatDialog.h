#pragma once

#include "net/MessagePacket.h"

#include <QDialog>

#include <functional>

class CChatListBox;
class CHoverBitmapButton;
class CRegistry;
class QLabel;
class QLineEdit;
class QPushButton;

// The Chat Room: the one conversation of all copies on the network. A line typed here is
// handed on (LineWritten) to go out as a chat record, and is shown, like everybody's lines,
// when its broadcast comes back (AddLine). While the window is shown its user is in the chat
// room (InRoomChanged). It is created hidden at start-up; closing it only hides it.
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
    // What a packet's text field carries.
    static constexpr int kMaxInputLength = static_cast<int>(MessagePacket::kTextWidth) - 1;

    using SoundOutput = std::function<void(int)>;

    explicit CChatDialog(CRegistry& registry, SoundOutput playSound = {}, QWidget* parent = nullptr);
    ~CChatDialog() override;

    // The tray's "Chat...": shown normally and in front.
    void ShowInFront();

    CChatListBox* ChatList() const { return m_pChatList; }
    QLineEdit* Input() const { return m_pInput; }

    bool IsLimitNoticeShown() const;

    void reject() override;

    // A line heard on the network, the user's own too.
    void AddLine(const QString& sender, const QString& text);
    // A written line that did not go out comes back into the input, unless a new one is begun.
    void KeepUnsent(const QString& text);

Q_SIGNALS:
    void LineWritten(const QString& text);
    // Shown (true) or really hidden (false; minimised still counts as in the room).
    void InRoomChanged(bool inRoom);

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void OnSend();
    void OnClear();
    void OnPreferences();
    void SelectInput();
    void LoadAppearance();

    CRegistry& m_registry;
    SoundOutput m_playSound;

    QLineEdit* m_pInput = nullptr;
    CHoverBitmapButton* m_pCloseButton = nullptr;
    CHoverBitmapButton* m_pSendButton = nullptr;
    CHoverBitmapButton* m_pClearButton = nullptr;
    CHoverBitmapButton* m_pPrefsButton = nullptr;
    QPushButton* m_pEnterButton = nullptr;
    QLabel* m_pLimitNotice = nullptr;
    CChatListBox* m_pChatList = nullptr;
};
