#include "messages/CSendMessageDialog.h"

#include "messages/CMessageAppearanceDialog.h"
#include "messages/MessageAppearance.h"
#include "prefs/PreferencesLayout.h"
#include "res/ResourceLoader.h"
#include "session/MessengerSession.h"
#include "ui/CHoverBitmapButton.h"
#include "ui/DialogBuilder.h"
#include "ui/PaletteWatch.h"
#include "ui/PlaySoundResource.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTextCursor>

namespace {

enum ControlId { IDC_SEND = 1, IDC_CLOSE = 1005, IDC_APPEARANCE = 1011, IDC_MESSAGE = 1013 };
enum BitmapId { IDB_PROPERTIES = 138, IDB_PROPERTIES_MASK = 139 };
constexpr int IDI_MESSAGE = 161;
constexpr QSize kButtonFrame(31, 31);

DialogTemplate SendMessageTemplate()
{
    using C = DialogControl;
    return DialogTemplate{
        .id = CSendMessageDialog::IDD,
        .caption = QStringLiteral("Send Message"),
        .fontFace = QStringLiteral("MS Sans Serif"),
        .pointSize = 8,
        .cx = 210,
        .cy = 79,
        .controls = {
            {IDC_MESSAGE, C::Edit, {}, 2, 3, 206, 56, C::Multiline | C::Border | C::TabStop, QStringLiteral("Message")},
            {IDC_SEND, C::PushButton, QStringLiteral("Send"), 112, 62, 45, 14, C::DefPushButton | C::TabStop},
            {IDC_CLOSE, C::PushButton, QStringLiteral("Close"), 161, 62, 45, 14, C::TabStop},
            {IDC_APPEARANCE, C::PushButton, QStringLiteral("prop"), 4, 59, 21, 17, C::OwnerDraw},
        },
    };
}

} // namespace

int CSendMessageDialog::s_nLive = 0;
CSendMessageDialog* CSendMessageDialog::s_pFirst = nullptr;

CSendMessageDialog::CSendMessageDialog(CRegistry& registry, const QString& recipient, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint)
    , m_registry(registry)
    , m_strRecipient(recipient)
{
    if (++s_nLive == 1)
        s_pFirst = this;

    DialogBuilder::Build(
        this, SendMessageTemplate(), [this](const DialogControl& control, QWidget* parentWnd) -> QWidget* {
            if (control.id == IDC_APPEARANCE)
                return m_pAppearanceButton
                    = new CHoverBitmapButton(IDB_PROPERTIES, IDB_PROPERTIES_MASK, kButtonFrame, parentWnd);
            return nullptr;
        });
    m_pAppearanceButton->resize(kButtonFrame);
    m_pAppearanceButton->SetName(QStringLiteral("Message appearance"));
    m_pEdit = DialogBuilder::Control<QPlainTextEdit>(this, IDC_MESSAGE);
    m_pEdit->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    m_pEdit->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    // Lines wrap; a text taller than the field scrolls, and the scroll bar says so.
    m_pEdit->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_pEdit->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_pEdit->setTabChangesFocus(true);
    // Enter sends; Shift+Enter or Ctrl+Enter starts a new line.
    m_pEdit->installEventFilter(this);
    auto* send = DialogBuilder::Control<QPushButton>(this, IDC_SEND);
    auto* close = DialogBuilder::Control<QPushButton>(this, IDC_CLOSE);
    send->setAutoDefault(false);
    close->setAutoDefault(false);

    // Between the appearance button and Send: says when a text was cut to what a message holds.
    m_pLimitNotice = new QLabel(QStringLiteral("Only %1 characters fit.").arg(MessengerSession::kMaxTextLength), this);
    m_pLimitNotice->setTextFormat(Qt::PlainText);
    m_pLimitNotice->setForegroundRole(QPalette::Highlight);
    const QRect sendRect = send->geometry();
    const int left = m_pAppearanceButton->x() + kButtonFrame.width() + 4;
    m_pLimitNotice->setGeometry(left, sendRect.y(), sendRect.x() - left - 4, sendRect.height());
    m_pLimitNotice->hide();

    connect(send, &QPushButton::clicked, this, &CSendMessageDialog::OnSend);
    connect(close, &QPushButton::clicked, this, [this] { done(IDCLOSE); });
    connect(m_pAppearanceButton, &QPushButton::clicked, this, &CSendMessageDialog::OnAppearanceClicked);
    connect(m_pEdit, &QPlainTextEdit::textChanged, this, &CSendMessageDialog::OnTextChanged);

    setWindowIcon(LoadIconResource(IDI_MESSAGE));
    // "[*]" in a caption is Qt's modified-mark placeholder; doubled, it shows as written.
    setWindowTitle(QStringLiteral("Send message to ")
                   + QString(m_strRecipient).replace(QStringLiteral("[*]"), QStringLiteral("[*][*]")));
    LoadAppearance();
    connect(&PaletteWatch::Instance(), &PaletteWatch::Changed, this, &CSendMessageDialog::LoadAppearance);
    m_pEdit->setFocus();
}

CSendMessageDialog::~CSendMessageDialog()
{
    if (--s_nLive == 0)
        s_pFirst = nullptr;
}

bool CSendMessageDialog::IsLimitNoticeShown() const
{
    return !m_pLimitNotice->isHidden();
}

void CSendMessageDialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (m_bCentred)
        return;
    m_bCentred = true;
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
}

bool CSendMessageDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != m_pEdit || event->type() != QEvent::KeyPress)
        return QDialog::eventFilter(watched, event);
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter)
        return false;
    if (key->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier))
        m_pEdit->insertPlainText(QStringLiteral("\n"));
    else
        OnSend();
    return true;
}

void CSendMessageDialog::OnSend()
{
    m_strText = m_pEdit->toPlainText();
    done(IDOK);
}

void CSendMessageDialog::reject()
{
    done(IDCANCEL);
}

// Every change clicks; a text longer than a message holds loses what was just typed or
// pasted past the limit, and the user is told.
void CSendMessageDialog::OnTextChanged()
{
    if (m_bCutting)
        return;
    PlaySoundResource(SOUND_KEY);
    const QString typed = m_pEdit->toPlainText();
    const qsizetype excess = MessengerSession::WireText(typed).size() - MessengerSession::kMaxTextLength;
    if (excess <= 0) {
        m_pLimitNotice->hide();
        return;
    }
    QTextCursor cursor = m_pEdit->textCursor();
    // A text set without typing leaves the cursor at its start: then its end goes.
    const int end = cursor.position() > 0 ? cursor.position() : static_cast<int>(typed.size());
    // One character per byte too many, from the end of the insertion backwards; a line
    // break counts twice.
    int start = end;
    for (qsizetype removed = 0; removed < excess && start > 0; --start)
        removed += typed.at(start - 1) == QLatin1Char('\n') ? 2 : 1;
    m_bCutting = true;
    cursor.setPosition(start);
    cursor.setPosition(end, QTextCursor::KeepAnchor);
    cursor.removeSelectedText();
    m_pEdit->setTextCursor(cursor);
    m_bCutting = false;
    m_pLimitNotice->show();
}

void CSendMessageDialog::OnAppearanceClicked()
{
    auto* appearance = new CMessageAppearanceDialog(m_registry, this);
    appearance->setAttribute(Qt::WA_DeleteOnClose);
    connect(appearance, &QDialog::finished, this, [this](int result) {
        m_pAppearanceButton->ResetHover();
        m_pEdit->setFocus();
        if (result != QDialog::Accepted)
            return;
        LoadAppearance();
        m_pEdit->repaint();
    });
    appearance->open();
}

void CSendMessageDialog::LoadAppearance()
{
    // A fresh record, so that colours nobody picked are the desktop's of now.
    m_preferences = PreferencesSendMessage();
    LoadPreferences(m_registry, m_preferences);
    ApplyMessageAppearance(m_pEdit, m_preferences);
}
