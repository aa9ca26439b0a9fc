#pragma once

#include "prefs/PreferencesSendMessage.h"

#include <QDialog>

class CRegistry;
class QPlainTextEdit;

// "Preferences" of the Send Message window's text: colours and font, tried on a preview. It
// changes its own copy of the record and stores it only on OK; the Send Message window then
// reads the stored record again.
class CMessageAppearanceDialog : public QDialog {
    Q_OBJECT

public:
    static constexpr int IDD = 184;

    explicit CMessageAppearanceDialog(CRegistry& registry, QWidget* parent = nullptr);

    const PreferencesSendMessage& Record() const { return m_preferences; }
    QPlainTextEdit* Preview() const { return m_pPreview; }

    void accept() override;

private:
    void OnTextColor();
    void OnBackgroundColor();
    void OnFont();
    void ApplyToPreview();

    CRegistry& m_registry;
    PreferencesSendMessage m_preferences;
    QPlainTextEdit* m_pPreview = nullptr;
};
