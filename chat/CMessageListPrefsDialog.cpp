#include "chat/CMessageListPrefsDialog.h"

#include "chat/CChatListBox.h"
#include "prefs/PreferencesLayout.h"
#include "ui/CListBox.h"
#include "ui/DialogBuilder.h"

#include <QColorDialog>
#include <QFontDialog>
#include <QPushButton>

#include <array>

namespace {

using Part = CMessageListPrefsDialog::Part;

// The Items entries, by Part.
const std::array<QString, 3>& ItemNames()
{
    static const std::array<QString, 3> names{QStringLiteral("Message Text"), QStringLiteral("User Alias"),
                                              QStringLiteral("Background")};
    return names;
}

const DialogTemplate& PrefsTemplate()
{
    using C = DialogControl;
    using D = CMessageListPrefsDialog;
    static const DialogTemplate dialog{
        .id = D::IDD,
        .caption = QStringLiteral("Preferences"),
        .fontFace = QStringLiteral("MS Sans Serif"),
        .pointSize = 8,
        .cx = 185,
        .cy = 122,
        .controls = {
            {1, C::PushButton, QStringLiteral("OK"), 92, 105, 43, 14, C::DefPushButton | C::TabStop},
            {2, C::PushButton, QStringLiteral("Cancel"), 137, 105, 43, 14, C::TabStop},
            {-1, C::Static, QStringLiteral("Choose your own color scheme."), 8, 4, 165, 10},
            {D::IDC_PROTOTYPE, C::ListBox, {}, 82, 27, 94, 44, C::NoSelection | C::VScroll | C::Border,
             QStringLiteral("Sample line")},
            {-1, C::GroupBox, QStringLiteral("Prototype"), 76, 16, 106, 74},
            {-1, C::GroupBox, QStringLiteral("Items"), 3, 16, 70, 74},
            {D::IDC_ITEMS, C::ListBox, {}, 8, 28, 60, 57, C::VScroll | C::Border | C::TabStop, QStringLiteral("Items")},
            {D::IDC_COLOR, C::PushButton, QStringLiteral("Color..."), 82, 74, 45, 12, C::TabStop},
            {D::IDC_FONT, C::PushButton, QStringLiteral("Font..."), 130, 74, 46, 12, C::TabStop},
        },
    };
    return dialog;
}

COLORREF& PartColor(PreferencesMessageList& record, Part part)
{
    switch (part) {
    case Part::PART_TITLE:
        return record.m_crTitle;
    case Part::PART_BACKGROUND:
        return record.m_crBackground;
    case Part::PART_TEXT:
        break;
    }
    return record.m_crText;
}

} // namespace

CMessageListPrefsDialog::CMessageListPrefsDialog(CRegistry& registry, std::unique_ptr<PreferencesMessageList> record,
                                                 QWidget* parent)
    : QDialog(parent,
              Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                  | Qt::WindowCloseButtonHint)
    , m_registry(registry)
    , m_pRecord(std::move(record))
{
    DialogBuilder::Build(this, PrefsTemplate(), [this](const DialogControl& control, QWidget* owner) -> QWidget* {
        if (control.id != IDC_PROTOTYPE)
            return nullptr;
        m_pPrototype = new CChatListBox(owner);
        m_pPrototype->setSelectionMode(QAbstractItemView::NoSelection);
        m_pPrototype->setFocusPolicy(Qt::NoFocus);
        return m_pPrototype;
    });
    setFixedSize(size());
    m_pItems = DialogBuilder::Control<CListBox>(this, IDC_ITEMS);
    m_pColorButton = DialogBuilder::Control<QPushButton>(this, IDC_COLOR);
    m_pFontButton = DialogBuilder::Control<QPushButton>(this, IDC_FONT);
    // The group boxes come after the lists they frame; the lists stay on top for the mouse.
    m_pPrototype->raise();
    m_pItems->raise();
    for (QPushButton* button : {m_pColorButton, m_pFontButton})
        button->setAutoDefault(false);

    m_pPrototype->AddLine(QStringLiteral("Someone"), QStringLiteral("The message about nothing..."));
    for (const QString& name : ItemNames())
        m_pItems->AddString(name);
    m_pItems->SetCurSel(PART_TEXT);

    LoadPreferences(m_registry, *m_pRecord);
    ShowScheme();

    connect(DialogBuilder::Control<QPushButton>(this, 1), &QPushButton::clicked, this, &QDialog::accept);
    connect(DialogBuilder::Control<QPushButton>(this, 2), &QPushButton::clicked, this, &QDialog::reject);
    connect(m_pItems, &QListWidget::itemSelectionChanged, this, &CMessageListPrefsDialog::OnItemsSelChange);
    connect(m_pColorButton, &QPushButton::clicked, this, &CMessageListPrefsDialog::OnColor);
    connect(m_pFontButton, &QPushButton::clicked, this, &CMessageListPrefsDialog::OnFont);
}

CMessageListPrefsDialog::~CMessageListPrefsDialog() = default;

std::optional<CMessageListPrefsDialog::Part> CMessageListPrefsDialog::SelectedPart() const
{
    const QList<QListWidgetItem*> selected = m_pItems->selectedItems();
    if (selected.isEmpty())
        return std::nullopt;
    const auto& names = ItemNames();
    const auto found = std::find(names.begin(), names.end(), selected.first()->text());
    if (found == names.end())
        return std::nullopt;
    return static_cast<Part>(found - names.begin());
}

void CMessageListPrefsDialog::OnItemsSelChange()
{
    const std::optional<Part> part = SelectedPart();
    if (!part)
        return;
    m_pColorButton->setEnabled(true);
    m_pFontButton->setEnabled(*part != PART_BACKGROUND);
}

void CMessageListPrefsDialog::OnColor()
{
    const std::optional<Part> part = SelectedPart();
    if (!part)
        return;
    auto* chooser = new QColorDialog(ToQColor(PartColor(*m_pRecord, *part)), this);
    chooser->setAttribute(Qt::WA_DeleteOnClose);
    connect(chooser, &QColorDialog::colorSelected, this, [this, part = *part](const QColor& color) {
        PartColor(*m_pRecord, part) = ToColorRef(color);
        ShowScheme();
    });
    chooser->open();
}

void CMessageListPrefsDialog::OnFont()
{
    const std::optional<Part> part = SelectedPart();
    if (!part || *part == PART_BACKGROUND)
        return;
    FontRecord& font = *part == PART_TITLE ? m_pRecord->m_fontTitle : m_pRecord->m_fontText;
    auto* chooser = new QFontDialog(font.PickerFont(), this);
    chooser->setAttribute(Qt::WA_DeleteOnClose);
    connect(chooser, &QFontDialog::fontSelected, this,
            [this, &font, offered = chooser->currentFont()](const QFont& chosen) {
                font = font.Picked(chosen, offered);
                ShowScheme();
            });
    chooser->open();
}

void CMessageListPrefsDialog::ShowScheme()
{
    m_pPrototype->ApplyPreferences(*m_pRecord);
    m_pPrototype->RemeasureItems();
    m_pPrototype->viewport()->update();
}

void CMessageListPrefsDialog::accept()
{
    SavePreferences(m_registry, *m_pRecord);
    QDialog::accept();
}
