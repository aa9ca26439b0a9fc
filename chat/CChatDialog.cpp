#include "chat/CChatDialog.h"

#include "chat/CChatListBox.h"
#include "chat/CMessageListPrefsDialog.h"
#include "prefs/PreferencesChat.h"
#include "prefs/PreferencesLayout.h"
#include "res/ResourceLoader.h"
#include "ui/CHoverBitmapButton.h"
#include "ui/DialogBuilder.h"
#include "ui/PaletteWatch.h"
#include "ui/PlaySoundResource.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>

namespace {

enum BitmapId {
    IDB_PREFS = 138,
    IDB_PREFS_MASK = 139,
    IDB_CLEAR = 141,
    IDB_CLEAR_MASK = 142,
    IDB_SEND_MASK = 152,
    IDB_SEND = 154,
    IDB_CLOSE = 158,
    IDB_CLOSE_MASK = 159,
};
constexpr int IDI_CHAT = 167;

const DialogTemplate& ChatTemplate()
{
    using C = DialogControl;
    using D = CChatDialog;
    static const DialogTemplate dialog{
        .id = D::IDD,
        .caption = QStringLiteral("Chat Room"),
        .fontFace = QStringLiteral("MS Sans Serif"),
        .pointSize = 8,
        .cx = 301,
        .cy = 247,
        .controls = {
            {D::IDC_INPUT, C::Edit, {}, 49, 229, 194, 13, C::Border | C::TabStop},
            {D::IDC_SEND, C::PushButton, QStringLiteral("Send"), 248, 227, 26, 14, C::OwnerDraw},
            {2, C::PushButton, QStringLiteral("Close"), 274, 224, 25, 14, C::OwnerDraw},
            {D::IDC_PREFERENCES, C::PushButton, QStringLiteral("prop"), 1, 225, 21, 18, C::OwnerDraw},
            {D::IDC_CLEAR, C::PushButton, QStringLiteral("Button1"), 24, 227, 23, 16, C::OwnerDraw},
            {D::IDC_CHAT_LIST, C::ListBox, {}, 1, 2, 299, 221, C::VScroll | C::Border, QStringLiteral("Conversation")},
            {D::IDC_ENTER, C::PushButton, QStringLiteral("Button2"), 229, 223, 13, 7, C::DefPushButton | C::TabStop | C::Hidden},
        },
    };
    return dialog;
}

} // namespace

CChatDialog::CChatDialog(CRegistry& registry, SoundOutput playSound, QWidget* parent)
    : QDialog(parent,
              Qt::Window | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                  | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint)
    , m_registry(registry)
    , m_playSound(playSound ? std::move(playSound) : SoundOutput(&PlaySoundResource))
{
    DialogBuilder::Build(this, ChatTemplate(), [this](const DialogControl& control, QWidget* owner) -> QWidget* {
        switch (control.id) {
        case 2:
            return m_pCloseButton = new CHoverBitmapButton(IDB_CLOSE, IDB_CLOSE_MASK, QSize(33, 33), owner);
        case IDC_SEND:
            return m_pSendButton = new CHoverBitmapButton(IDB_SEND, IDB_SEND_MASK, QSize(31, 24), owner);
        case IDC_CLEAR:
            return m_pClearButton = new CHoverBitmapButton(IDB_CLEAR, IDB_CLEAR_MASK, QSize(30, 30), owner);
        case IDC_PREFERENCES:
            return m_pPrefsButton = new CHoverBitmapButton(IDB_PREFS, IDB_PREFS_MASK, QSize(31, 31), owner);
        case IDC_CHAT_LIST:
            return m_pChatList = new CChatListBox(owner);
        default:
            return nullptr;
        }
    });
    setFixedSize(size());
    m_pInput = DialogBuilder::Control<QLineEdit>(this, IDC_INPUT);
    m_pEnterButton = DialogBuilder::Control<QPushButton>(this, IDC_ENTER);
    m_pCloseButton->SetName(QStringLiteral("Close"));
    m_pSendButton->SetName(QStringLiteral("Send"));
    m_pClearButton->SetName(QStringLiteral("Clear"));
    m_pPrefsButton->SetName(QStringLiteral("Preferences"));
    for (CHoverBitmapButton* button : {m_pCloseButton, m_pSendButton, m_pClearButton, m_pPrefsButton}) {
        button->resize(button->sizeHint());
        button->setAutoDefault(false);
    }
    m_pInput->setMaxLength(kMaxInputLength);
    m_pInput->setAccessibleName(QStringLiteral("Chat line"));
    // Enter in the chat line clicks the hidden default button: to a screen reader it is Send.
    m_pEnterButton->setAccessibleName(QStringLiteral("Send"));
    m_pInput->setFocus();

    // Just above the chat line, over the list's lowest pixels: says that a line was cut to
    // what one holds, until the next edit makes it shorter.
    m_pLimitNotice = new QLabel(QStringLiteral("A line holds at most %1 characters.").arg(kMaxInputLength), this);
    m_pLimitNotice->setTextFormat(Qt::PlainText);
    m_pLimitNotice->setAutoFillBackground(true);
    m_pLimitNotice->setForegroundRole(QPalette::Highlight);
    m_pLimitNotice->adjustSize();
    m_pLimitNotice->move(m_pInput->x(), m_pInput->y() - m_pLimitNotice->height() - 2);
    m_pLimitNotice->hide();
    setWindowIcon(LoadIconResource(IDI_CHAT));
    LoadAppearance();
    connect(&PaletteWatch::Instance(), &PaletteWatch::Changed, this, &CChatDialog::LoadAppearance);

    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());

    connect(m_pSendButton, &QPushButton::clicked, this, &CChatDialog::OnSend);
    connect(m_pEnterButton, &QPushButton::clicked, this, &CChatDialog::OnSend);
    connect(m_pClearButton, &QPushButton::clicked, this, &CChatDialog::OnClear);
    connect(m_pPrefsButton, &QPushButton::clicked, this, &CChatDialog::OnPreferences);
    connect(m_pCloseButton, &QPushButton::clicked, this, &CChatDialog::reject);
    connect(m_pInput, &QLineEdit::textChanged, this, [this] { m_playSound(SOUND_KEY); });
    connect(m_pInput, &QLineEdit::inputRejected, m_pLimitNotice, &QWidget::show);
    connect(m_pInput, &QLineEdit::textEdited, this, [this](const QString& text) {
        if (text.size() < kMaxInputLength)
            m_pLimitNotice->hide();
    });
}

CChatDialog::~CChatDialog() = default;

void CChatDialog::ShowInFront()
{
    showNormal();
    raise();
    activateWindow();
}

void CChatDialog::LoadAppearance()
{
    PreferencesChat record;
    LoadPreferences(m_registry, record);
    m_pChatList->ApplyPreferences(record);
    m_pChatList->viewport()->update();
}

void CChatDialog::OnSend()
{
    const QString text = m_pInput->text();
    // The line empties for the next one (Ctrl+Z brings the sent one back); the sent line is
    // shown when its broadcast comes back, like everybody else's. A click on Send with nothing
    // to send still hands the focus back to the line, so that typing goes on there.
    if (!text.isEmpty()) {
        m_pInput->clear();
        m_pLimitNotice->hide();
        Q_EMIT LineWritten(text);
    }
    m_pInput->setFocus();
}

void CChatDialog::KeepUnsent(const QString& text)
{
    if (!m_pInput->text().isEmpty())
        return;
    m_pInput->setText(text);
    SelectInput();
}

void CChatDialog::SelectInput()
{
    m_pInput->selectAll();
    m_pInput->setFocus();
}

// Everything goes, the newest line too: an empty list shows that Clear worked.
void CChatDialog::OnClear()
{
    m_pChatList->ResetContent();
    m_pInput->setFocus();
}

void CChatDialog::OnPreferences()
{
    auto* dialog = new CMessageListPrefsDialog(m_registry, std::make_unique<PreferencesChat>(), this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowModality(Qt::WindowModal);
    connect(dialog, &QDialog::accepted, this, [this] {
        // Shows what the store keeps, which may be less than the dialog showed.
        LoadAppearance();
        m_pChatList->RemeasureItems();
        m_pChatList->viewport()->update();
    });
    connect(dialog, &QDialog::finished, this, [this] {
        m_pPrefsButton->ResetHover();
        m_pInput->setFocus();
    });
    dialog->open();
}

bool CChatDialog::IsLimitNoticeShown() const
{
    return !m_pLimitNotice->isHidden();
}

void CChatDialog::AddLine(const QString& sender, const QString& text)
{
    m_pChatList->AddLine(sender, text);
    m_pChatList->SetTopIndex(m_pChatList->GetCount() - 1);
    m_playSound(SOUND_CHAT_LINE);
}

void CChatDialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    // A restore from the task bar is a show as well: the user was in the room all along.
    Q_EMIT InRoomChanged(true);
    // Lines that came while the window was hidden were laid out for a list not on screen.
    if (m_pChatList->GetCount() > 0)
        m_pChatList->SetTopIndex(m_pChatList->GetCount() - 1);
    for (CHoverBitmapButton* button : {m_pCloseButton, m_pSendButton, m_pClearButton, m_pPrefsButton})
        button->ResetHover();
}

void CChatDialog::hideEvent(QHideEvent* event)
{
    QDialog::hideEvent(event);
    // Minimised is still shown: only a real hide leaves the room.
    if (!event->spontaneous())
        Q_EMIT InRoomChanged(false);
}

void CChatDialog::keyPressEvent(QKeyEvent* event)
{
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier
        && !qobject_cast<QPushButton*>(focusWidget())) {
        // The hidden default button turns Enter into a send.
        m_pEnterButton->click();
        return;
    }
    QDialog::keyPressEvent(event);
}

void CChatDialog::reject()
{
    hide();
}
