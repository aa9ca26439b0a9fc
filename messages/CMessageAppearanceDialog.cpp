#include "messages/CMessageAppearanceDialog.h"

#include "messages/MessageAppearance.h"
#include "prefs/PreferencesLayout.h"
#include "ui/DialogBuilder.h"

#include <QColorDialog>
#include <QFontDialog>
#include <QPlainTextEdit>
#include <QPushButton>

namespace {

enum ControlId {
    IDC_PREVIEW = 1017,
    IDC_TEXT = 1010,
    IDC_BACKGROUND = 1011,
    IDC_FONT = 1012,
    IDC_OK = 1,
    IDC_CANCEL = 2
};

DialogTemplate AppearanceTemplate()
{
    using C = DialogControl;
    return DialogTemplate{
        .id = CMessageAppearanceDialog::IDD,
        .caption = QStringLiteral("Preferences"),
        .fontFace = QStringLiteral("MS Sans Serif"),
        .pointSize = 8,
        .cx = 169,
        .cy = 87,
        .controls = {
            {-1, C::GroupBox, QStringLiteral("Choose your own color scheme"), 3, 3, 163, 64, 0},
            {IDC_PREVIEW, C::Edit, {}, 9, 15, 103, 46, C::Multiline | C::Border | C::TabStop, QStringLiteral("Sample text")},
            {IDC_TEXT, C::PushButton, QStringLiteral("Text"), 116, 15, 46, 14, C::TabStop},
            {IDC_BACKGROUND, C::PushButton, QStringLiteral("Background"), 116, 31, 46, 14, C::TabStop},
            {IDC_FONT, C::PushButton, QStringLiteral("Font..."), 116, 47, 46, 14, C::TabStop},
            {IDC_OK, C::PushButton, QStringLiteral("OK"), 78, 70, 43, 14, C::DefPushButton | C::TabStop},
            {IDC_CANCEL, C::PushButton, QStringLiteral("Cancel"), 123, 70, 43, 14, C::TabStop},
        },
    };
}

} // namespace

CMessageAppearanceDialog::CMessageAppearanceDialog(CRegistry& registry, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint)
    , m_registry(registry)
{
    DialogBuilder::Build(this, AppearanceTemplate());
    m_pPreview = DialogBuilder::Control<QPlainTextEdit>(this, IDC_PREVIEW);
    connect(DialogBuilder::Control<QPushButton>(this, IDC_TEXT), &QPushButton::clicked, this,
            &CMessageAppearanceDialog::OnTextColor);
    connect(DialogBuilder::Control<QPushButton>(this, IDC_BACKGROUND), &QPushButton::clicked, this,
            &CMessageAppearanceDialog::OnBackgroundColor);
    connect(DialogBuilder::Control<QPushButton>(this, IDC_FONT), &QPushButton::clicked, this,
            &CMessageAppearanceDialog::OnFont);
    connect(DialogBuilder::Control<QPushButton>(this, IDC_OK), &QPushButton::clicked, this, &QDialog::accept);
    connect(DialogBuilder::Control<QPushButton>(this, IDC_CANCEL), &QPushButton::clicked, this, &QDialog::reject);

    LoadPreferences(m_registry, m_preferences);
    m_pPreview->setPlainText(QStringLiteral("Please, leave me alone !"));
    ApplyToPreview();
}

void CMessageAppearanceDialog::accept()
{
    SavePreferences(m_registry, m_preferences);
    QDialog::accept();
}

void CMessageAppearanceDialog::OnTextColor()
{
    auto* picker = new QColorDialog(ToQColor(m_preferences.m_crText), this);
    picker->setAttribute(Qt::WA_DeleteOnClose);
    connect(picker, &QColorDialog::colorSelected, this, [this](const QColor& color) {
        m_preferences.m_crText = ToColorRef(color);
        ApplyToPreview();
    });
    picker->open();
}

void CMessageAppearanceDialog::OnBackgroundColor()
{
    auto* picker = new QColorDialog(ToQColor(m_preferences.m_crBackground), this);
    picker->setAttribute(Qt::WA_DeleteOnClose);
    connect(picker, &QColorDialog::colorSelected, this, [this](const QColor& color) {
        m_preferences.m_crBackground = ToColorRef(color);
        ApplyToPreview();
    });
    picker->open();
}

void CMessageAppearanceDialog::OnFont()
{
    auto* picker = new QFontDialog(m_preferences.m_fontText.PickerFont(), this);
    picker->setAttribute(Qt::WA_DeleteOnClose);
    connect(picker, &QFontDialog::fontSelected, this, [this, offered = picker->currentFont()](const QFont& font) {
        m_preferences.m_fontText = m_preferences.m_fontText.Picked(font, offered);
        ApplyToPreview();
    });
    picker->open();
}

void CMessageAppearanceDialog::ApplyToPreview()
{
    ApplyMessageAppearance(m_pPreview, m_preferences);
}
