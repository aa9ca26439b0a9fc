#pragma once

#include "prefs/PreferencesOnline.h"

#include <QDialog>
#include <QHash>

#include <memory>
#include <optional>

class CHoverBitmapButton;
class FramePlacer;
class CRegistry;
class CUserListBox;
class QListWidgetItem;

// The "Online" window: the list of users online now, "All" first, each user marked while in
// the chat room. It shows the presence roster as it changes (AddUser, RemoveUsers,
// SetUserInChat); names are exact, so users whose names differ only in case, or a user called
// "All", have items of their own. Closing it only hides it.
class COnlineDialog : public QDialog {
    Q_OBJECT

public:
    static constexpr int IDD = 102;
    static constexpr QSize kMinimumSize{80, 150};
    // What a window manager's caption takes beside its text: icon, three buttons and margins
    // (openbox shows them all, even for a window that asks only for a close button).
    static constexpr int kCaptionFrame = 124;

    explicit COnlineDialog(CRegistry& registry);
    ~COnlineDialog() override;

    void AddUser(const QString& name);
    void RemoveUsers(const QStringList& names);
    void SetUserInChat(const QString& name, bool inChat);
    void SetUserOnTwoComputers(const QString& name, bool onTwo);

    // Shows the window where it was last closed, or at the lower right on first show, clear of
    // keepClear (the tray's stand-in window).
    void ShowPlaced(const QRect& keepClear = {});

    CUserListBox* UserList() const { return m_pUserList; }

Q_SIGNALS:
    // A user (or "All") was chosen in the list to write to.
    void SendToUserRequested(const QString& name);

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void OnPinClicked();
    void OnColorClicked();
    void OnFontClicked();
    void ReturnFromPicker(CHoverBitmapButton* button);
    void LoadAppearance();
    void ApplyAppearance();
    void SavePlacementAndHide();
    // Places the window so that its frame lies on the rectangle (nullopt: the first place).
    void PlaceFrame(const std::optional<QRect>& frame, const QRect& keepClear = {});
    void ResetButtons();

    CRegistry& m_registry;
    PreferencesOnline m_preferences;
    bool m_bPinned = false;
    // Each listed user's own item.
    QHash<QString, QListWidgetItem*> m_userItems;
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
