#pragma once

#include "prefs/PreferencesSendMessage.h"

#include <QDialog>

class CHoverBitmapButton;
class CRegistry;
class QLabel;
class QPlainTextEdit;

// The window in which the user writes one private message to one user, or to "All". It only
// collects the text; its opener sends it. One is open at a time: the class counts its live
// windows and knows the first, so that a second request can bring the open one forward.
class CSendMessageDialog : public QDialog {
    Q_OBJECT

public:
    static constexpr int IDD = 132;
    // How the window ended: Send, the Close button, Esc or the close box.
    enum Result { IDCLOSE = 0, IDOK = 1, IDCANCEL = 2 };

    CSendMessageDialog(CRegistry& registry, const QString& recipient, QWidget* parent = nullptr);
    ~CSendMessageDialog() override;

    static int LiveCount() { return s_nLive; }
    static CSendMessageDialog* FirstInstance() { return s_pFirst; }

    const QString& Recipient() const { return m_strRecipient; }
    // The text written, once the window has ended with Send.
    const QString& Text() const { return m_strText; }

    QPlainTextEdit* Edit() const { return m_pEdit; }
    const PreferencesSendMessage& Record() const { return m_preferences; }
    // Shown while a typed or pasted text was cut to what a message holds.
    bool IsLimitNoticeShown() const;

    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void OnSend();
    void OnTextChanged();
    void OnAppearanceClicked();
    void LoadAppearance();

    static int s_nLive;
    static CSendMessageDialog* s_pFirst;

    CRegistry& m_registry;
    const QString m_strRecipient;
    QString m_strText;
    PreferencesSendMessage m_preferences;
    CHoverBitmapButton* m_pAppearanceButton = nullptr;
    QPlainTextEdit* m_pEdit = nullptr;
    QLabel* m_pLimitNotice = nullptr;
    bool m_bCutting = false;
    bool m_bCentred = false;
};
