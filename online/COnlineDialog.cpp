#include "online/COnlineDialog.h"

#include "online/CUserListBox.h"
#include "online/PlaceOnlineWindow.h"
#include "prefs/PreferencesLayout.h"
#include "res/ResourceLoader.h"
#include "ui/CHoverBitmapButton.h"
#include "ui/DialogBuilder.h"
#include "ui/PaletteWatch.h"
#include "ui/FramePlacer.h"

#include <QCloseEvent>
#include <QColorDialog>
#include <QCoreApplication>
#include <QFontDialog>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QListWidgetItem>
#include <QScreen>
#include <QSet>

namespace {

enum ControlId { IDC_USER_LIST = 1000, IDC_COLOR = 1010, IDC_FONT = 1011, IDC_PIN = 1012 };
enum BitmapId {
    IDB_FONT = 186,
    IDB_FONT_MASK = 187,
    IDB_COLOR = 188,
    IDB_COLOR_MASK = 189,
    IDB_PIN_OFF = 191,
    IDB_PIN_OFF_MASK = 192,
    IDB_PIN_ON_MASK = 193,
    IDB_PIN_ON = 195,
};
constexpr int IDI_PELLWICK = 128;
constexpr QSize kButtonFrame(15, 15);

const QString kAllUsers = QStringLiteral("All");

DialogTemplate OnlineTemplate()
{
    using C = DialogControl;
    return DialogTemplate{
        .id = COnlineDialog::IDD,
        .caption = QStringLiteral("Online"),
        .fontFace = QStringLiteral("MS Sans Serif"),
        .pointSize = 8,
        .cx = 82,
        .cy = 110,
        .controls = {
            {IDC_USER_LIST, C::ListBox, {}, 6, 5, 71, 89, C::Sort | C::VScroll | C::TabStop, QStringLiteral("Users online")},
            {IDC_PIN, C::PushButton, QStringLiteral(" "), 5, 98, 11, 10, C::OwnerDraw},
            {IDC_COLOR, C::PushButton, QStringLiteral(" "), 54, 98, 11, 10, C::OwnerDraw},
            {IDC_FONT, C::PushButton, QStringLiteral(" "), 66, 98, 11, 10, C::OwnerDraw},
        },
    };
}

} // namespace

COnlineDialog::COnlineDialog(CRegistry& registry)
    : QDialog(nullptr, Qt::Tool | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint)
    , m_registry(registry)
{
    DialogBuilder::Build(this, OnlineTemplate(), [this](const DialogControl& control, QWidget* parent) -> QWidget* {
        switch (control.id) {
        case IDC_USER_LIST:
            return m_pUserList = new CUserListBox(parent);
        case IDC_PIN:
            return m_pPinButton = new CHoverBitmapButton(IDB_PIN_OFF, IDB_PIN_OFF_MASK, kButtonFrame, parent);
        case IDC_COLOR:
            return m_pColorButton = new CHoverBitmapButton(IDB_COLOR, IDB_COLOR_MASK, kButtonFrame, parent);
        case IDC_FONT:
            return m_pFontButton = new CHoverBitmapButton(IDB_FONT, IDB_FONT_MASK, kButtonFrame, parent);
        default:
            return nullptr;
        }
    });
    m_pPinButton->SetName(QStringLiteral("Stay on top"));
    m_pColorButton->SetName(QStringLiteral("Text colour"));
    m_pFontButton->SetName(QStringLiteral("Text font"));
    for (CHoverBitmapButton* button : {m_pPinButton, m_pColorButton, m_pFontButton})
        button->resize(kButtonFrame);
    // Screen readers hear the switch's state; the picture shows it to everybody else.
    m_pPinButton->setCheckable(true);

    const QRect list = m_pUserList->geometry();
    m_listMargins = QMargins(list.left(), list.top(), width() - list.right() - 1, height() - list.bottom() - 1);
    m_nButtonBottom = height() - m_pPinButton->y();
    m_nColorFromRight = width() - m_pColorButton->x();
    m_nFontFromRight = width() - m_pFontButton->x();
    // Narrower, the window manager would cut the caption down to "...": room for it in a bold
    // face beside the caption's icon and close button.
    QFont caption = font();
    caption.setBold(true);
    setMinimumSize(
        std::max(kMinimumSize.width(), QFontMetrics(caption).horizontalAdvance(windowTitle()) + kCaptionFrame),
        kMinimumSize.height());
    m_pPlacer = new FramePlacer(this);

    connect(m_pUserList, &QListWidget::itemDoubleClicked, this,
            [this](QListWidgetItem* item) { Q_EMIT SendToUserRequested(item->text()); });
    connect(m_pPinButton, &QPushButton::clicked, this, &COnlineDialog::OnPinClicked);
    connect(m_pColorButton, &QPushButton::clicked, this, &COnlineDialog::OnColorClicked);
    connect(m_pFontButton, &QPushButton::clicked, this, &COnlineDialog::OnFontClicked);

    // "All" addresses every user; it belongs to no user and is never removed or marked.
    m_pUserList->AddString(kAllUsers);
    m_pUserList->ShowIcons(true);
    LoadAppearance();
    connect(&PaletteWatch::Instance(), &PaletteWatch::Changed, this, &COnlineDialog::LoadAppearance);
    setWindowIcon(LoadIconResource(IDI_PELLWICK));
}

COnlineDialog::~COnlineDialog() = default;

void COnlineDialog::AddUser(const QString& name)
{
    if (!m_userItems.contains(name))
        m_userItems.insert(name, m_pUserList->item(m_pUserList->AddString(name)));
}

// From the bottom up: a row's removal moves only the rows below it, and after a storm of users
// has gone none are left there.
void COnlineDialog::RemoveUsers(const QStringList& names)
{
    QSet<QListWidgetItem*> going;
    for (const QString& name : names)
        if (QListWidgetItem* item = m_userItems.take(name))
            going.insert(item);
    for (int row = m_pUserList->count() - 1; row >= 0 && !going.isEmpty(); --row)
        if (going.remove(m_pUserList->item(row)))
            delete m_pUserList->takeItem(row);
}

void COnlineDialog::SetUserInChat(const QString& name, bool inChat)
{
    if (QListWidgetItem* item = m_userItems.value(name))
        m_pUserList->SetItemState(m_pUserList->row(item),
                                  inChat ? CUserListBox::ITEM_IN_CHAT : CUserListBox::ITEM_ONLINE);
}

void COnlineDialog::SetUserOnTwoComputers(const QString& name, bool onTwo)
{
    if (QListWidgetItem* item = m_userItems.value(name))
        m_pUserList->SetOnTwoComputers(m_pUserList->row(item), onTwo);
}

void COnlineDialog::OnPinClicked()
{
    // Changing the flag makes a new native window: it goes back where the frame was.
    const QRect frame = frameGeometry();
    m_bPinned = !m_bPinned;
    m_pPinButton->setChecked(m_bPinned);
    setWindowFlag(Qt::WindowStaysOnTopHint, m_bPinned);
    m_pPinButton->SetBitmaps(m_bPinned ? IDB_PIN_ON : IDB_PIN_OFF, m_bPinned ? IDB_PIN_ON_MASK : IDB_PIN_OFF_MASK);
    show();
    PlaceFrame(frame);
    if (!m_bPinned)
        lower();
}

void COnlineDialog::OnColorClicked()
{
    auto* dialog = new QColorDialog(ToQColor(m_preferences.m_crText), this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &QColorDialog::colorSelected, this, [this](const QColor& color) {
        m_preferences.m_crText = ToColorRef(color);
        ApplyAppearance();
    });
    connect(dialog, &QDialog::finished, this, [this] { ReturnFromPicker(m_pColorButton); });
    dialog->open();
}

void COnlineDialog::OnFontClicked()
{
    auto* dialog = new QFontDialog(m_preferences.m_fontText.PickerFont(), this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &QFontDialog::fontSelected, this, [this, offered = dialog->currentFont()](const QFont& font) {
        m_preferences.m_fontText = m_preferences.m_fontText.Picked(font, offered);
        ApplyAppearance();
    });
    connect(dialog, &QDialog::finished, this, [this] { ReturnFromPicker(m_pFontButton); });
    dialog->open();
}

// The window manager would hand the focus to whichever window had it last, maybe another of
// the program's: it comes back here, to the list.
void COnlineDialog::ReturnFromPicker(CHoverBitmapButton* button)
{
    button->ResetHover();
    activateWindow();
    m_pUserList->setFocus();
}

void COnlineDialog::LoadAppearance()
{
    // A fresh record, so that a colour nobody picked is the desktop's of now.
    m_preferences = PreferencesOnline();
    LoadPreferences(m_registry, m_preferences);
    m_pUserList->SetTextAppearance(m_preferences.m_crText, m_preferences.m_fontText.ToQFont());
    m_pUserList->viewport()->update();
}

void COnlineDialog::ApplyAppearance()
{
    m_pUserList->SetTextAppearance(m_preferences.m_crText, m_preferences.m_fontText.ToQFont());
    SavePreferences(m_registry, m_preferences);
    m_pUserList->viewport()->update();
}

void COnlineDialog::ShowPlaced(const QRect& keepClear)
{
    OnlinePlacement stored;
    std::optional<QRect> storedFrame;
    if (LoadOnlinePlacement(m_registry, stored))
        storedFrame = QRect(stored.left, stored.top, stored.width, stored.height);
    showNormal();
    PlaceFrame(storedFrame, keepClear);
    raise();
    activateWindow();
}

void COnlineDialog::PlaceFrame(const std::optional<QRect>& frame, const QRect& keepClear)
{
    QList<QRect> workAreas;
    if (QScreen* primary = QGuiApplication::primaryScreen())
        workAreas << primary->availableGeometry();
    for (QScreen* screen : QGuiApplication::screens())
        if (screen != QGuiApplication::primaryScreen())
            workAreas << screen->availableGeometry();
    m_pPlacer->Place([frame, workAreas, keepClear](QSize frameSize) {
        return PlaceOnlineWindow(frame, frameSize, workAreas, keepClear);
    });
}

void COnlineDialog::SavePlacementAndHide()
{
    const QRect frame = frameGeometry();
    SaveOnlinePlacement(m_registry,
                        {.top = frame.top(), .left = frame.left(), .height = frame.height(), .width = frame.width()});
    hide();
}

void COnlineDialog::closeEvent(QCloseEvent* event)
{
    event->ignore();
    SavePlacementAndHide();
}

void COnlineDialog::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Escape:
        SavePlacementAndHide();
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        // Enter writes to the selected user; it never ends the program.
        if (QListWidgetItem* item = m_pUserList->currentItem(); item && item->isSelected())
            Q_EMIT SendToUserRequested(item->text());
        break;
    default:
        QDialog::keyPressEvent(event);
    }
}

void COnlineDialog::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    if (!m_pUserList)
        return;
    const int buttonY = height() - m_nButtonBottom;
    m_pPinButton->move(m_pPinButton->x(), buttonY);
    m_pColorButton->move(width() - m_nColorFromRight, buttonY);
    m_pFontButton->move(width() - m_nFontFromRight, buttonY);
    m_pUserList->setGeometry(rect().marginsRemoved(m_listMargins));
}

void COnlineDialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    ResetButtons();
}

void COnlineDialog::changeEvent(QEvent* event)
{
    QDialog::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && m_pUserList)
        ResetButtons();
}

void COnlineDialog::ResetButtons()
{
    for (CHoverBitmapButton* button : {m_pFontButton, m_pColorButton, m_pPinButton})
        if (button)
            button->ResetHover();
}
