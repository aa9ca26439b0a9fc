#include "messages/CIncomingMessagesDialog.h"

#include "chat/CChatListBox.h"
#include "chat/CMessageListPrefsDialog.h"
#include "platform/Logging.h"
#include "prefs/PreferencesInMessage.h"
#include "prefs/PreferencesLayout.h"
#include "res/ResourceLoader.h"
#include "ui/CHoverBitmapButton.h"
#include "ui/DialogBuilder.h"
#include "ui/PaletteWatch.h"
#include "ui/PlaySoundResource.h"

#include <QCoreApplication>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QShowEvent>
#include <QSignalBlocker>
#include <QTime>
#include <QTimer>
#include <QTimerEvent>
#include <QToolButton>
#include <QWheelEvent>

#include <algorithm>
#include <utility>

namespace {

enum ControlId {
    IDC_CLOSE = 1,
    IDC_APPEARANCE = 1011,
    IDC_REPLY = 1012,
    IDC_LIST = 1015,
    IDC_COUNTER = 1020,
    IDC_INDICATOR = 1023,
    IDC_PREVIOUS = 1024,
    IDC_NEXT = 1025,
};
enum BitmapId { IDB_PROPERTIES = 138, IDB_PROPERTIES_MASK = 139 };
constexpr int IDI_MESSAGE = 161;
constexpr QSize kButtonFrame(31, 31);
// Drops are logged once this long has passed without another.
constexpr int kDropLogQuietMs = 1000;

DialogTemplate IncomingTemplate()
{
    using C = DialogControl;
    return DialogTemplate{
        .id = CIncomingMessagesDialog::IDD,
        .caption = QStringLiteral("Incoming Messages"),
        .fontFace = QStringLiteral("MS Sans Serif"),
        .pointSize = 8,
        .cx = 223,
        .cy = 90,
        .controls = {
            {IDC_LIST, C::ListBox, {}, 3, 4, 216, 65, C::Border | C::TabStop, QStringLiteral("Messages")},
            {IDC_CLOSE, C::PushButton, QStringLiteral("Close"), 175, 73, 44, 14, C::TabStop},
            // Enter answers the message shown.
            {IDC_REPLY, C::PushButton, QStringLiteral("Reply"), 127, 73, 44, 14, C::DefPushButton | C::TabStop},
            {IDC_APPEARANCE, C::PushButton, QStringLiteral("prop"), 3, 70, 21, 18, C::OwnerDraw},
            {IDC_PREVIOUS, C::PushButton, {}, 29, 73, 14, 14, C::TabStop, QStringLiteral("Previous message")},
            {IDC_COUNTER, C::Static, QStringLiteral("message"), 45, 76, 30, 9, C::Centered},
            {IDC_NEXT, C::PushButton, {}, 77, 73, 14, 14, C::TabStop, QStringLiteral("Next message")},
            {IDC_INDICATOR, C::StaticBitmap, QStringLiteral("#190"), 95, 77, 9, 7, C::Hidden,
             QStringLiteral("Unread messages")},
        },
    };
}

} // namespace

CIncomingMessagesDialog::CIncomingMessagesDialog(CRegistry& registry, QWidget* parent)
    : QDialog(parent,
              Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint
                  | Qt::WindowCloseButtonHint)
    , m_registry(registry)
{
    DialogBuilder::Build(
        this, IncomingTemplate(), [this](const DialogControl& control, QWidget* parentWnd) -> QWidget* {
            switch (control.id) {
            case IDC_LIST:
                m_pList = new CChatListBox(parentWnd);
                m_pList->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
                m_pList->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
                return m_pList;
            case IDC_APPEARANCE:
                return m_pAppearanceButton
                    = new CHoverBitmapButton(IDB_PROPERTIES, IDB_PROPERTIES_MASK, kButtonFrame, parentWnd);
            case IDC_PREVIOUS:
            case IDC_NEXT: {
                auto* arrow = new QToolButton(parentWnd);
                arrow->setArrowType(control.id == IDC_PREVIOUS ? Qt::LeftArrow : Qt::RightArrow);
                arrow->setToolTip(control.name);
                arrow->setAutoRepeat(true);
                (control.id == IDC_PREVIOUS ? m_pPrevious : m_pNext) = arrow;
                return arrow;
            }
            default:
                return nullptr;
            }
        });
    m_pAppearanceButton->resize(kButtonFrame);
    m_pAppearanceButton->SetName(QStringLiteral("List appearance"));
    m_pCounter = DialogBuilder::Control<QLabel>(this, IDC_COUNTER);
    m_pIndicator = DialogBuilder::Control<QLabel>(this, IDC_INDICATOR);
    m_dropLog.setSingleShot(true);
    m_dropLog.setInterval(kDropLogQuietMs);
    connect(&m_dropLog, &QTimer::timeout, this, [this] {
        qCInfo(lcMessages) << "incoming messages: dropped the" << std::exchange(m_nDroppedUnlogged, 0)
                           << "oldest, beyond" << kMaxKept << "kept";
    });
    for (const int id : {IDC_CLOSE, IDC_REPLY})
        DialogBuilder::Control<QPushButton>(this, id)->setAutoDefault(false);
    connect(m_pPrevious, &QToolButton::clicked, this, [this] { Page(-1); });
    connect(m_pNext, &QToolButton::clicked, this, [this] { Page(1); });

    connect(DialogBuilder::Control<QPushButton>(this, IDC_CLOSE), &QPushButton::clicked, this, &QWidget::hide);
    connect(DialogBuilder::Control<QPushButton>(this, IDC_REPLY), &QPushButton::clicked, this,
            &CIncomingMessagesDialog::OnReply);
    connect(m_pAppearanceButton, &QPushButton::clicked, this, &CIncomingMessagesDialog::OnAppearanceClicked);
    connect(m_pList, &QListWidget::currentRowChanged, this, &CIncomingMessagesDialog::OnSelectionChanged);
    // The wheel pages one message at a time, like the arrow keys and the arrow buttons.
    m_pList->viewport()->installEventFilter(this);

    setWindowIcon(LoadIconResource(IDI_MESSAGE));
    // The window keeps its size, so Reply and Close never move under the mouse.
    setFixedSize(size());
    LoadAppearance();
    connect(&PaletteWatch::Instance(), &PaletteWatch::Changed, this, [this] {
        LoadAppearance();
        m_pList->viewport()->update();
    });
    // Exactly one message fills the list, so the list pages one message at a time; a longer
    // one runs on below, read on with the wheel.
    m_pList->SetPageHeight(m_pList->contentsRect().height());
    WriteCounter();
}

CIncomingMessagesDialog::~CIncomingMessagesDialog() = default;

int CIncomingMessagesDialog::GetCount() const
{
    return m_pList->GetCount();
}

QString CIncomingMessagesDialog::CounterText() const
{
    return m_pCounter->text();
}

bool CIncomingMessagesDialog::IsIndicatorShown() const
{
    return !m_pIndicator->isHidden();
}

void CIncomingMessagesDialog::ShowInFront()
{
    showNormal();
    raise();
    activateWindow();
}

void CIncomingMessagesDialog::ShowMessage(quint64 number)
{
    ShowInFront();
    const quint64 line = number < m_nRemoved ? 0 : number - m_nRemoved;
    if (line < static_cast<quint64>(GetCount()))
        m_pList->SetCurSel(static_cast<int>(line));
}

void CIncomingMessagesDialog::reject()
{
    hide();
}

void CIncomingMessagesDialog::AddMessage(const QString& sender, const QString& text)
{
    if (GetCount() >= kMaxKept)
        DropOldest();
    m_pList->AddLine(sender, text, QTime::currentTime().toString(QStringLiteral("HH:mm")));
    const int count = GetCount();
    const int newest = count - 1;

    if (!isVisible()) {
        // Hidden: the newest is what the user will see first; nothing waits behind it.
        ShowLine(newest);
        m_nUnread = 0;
    } else if (isActiveWindow()) {
        // The user is reading: the line shown stays, and what came after it waits.
        if (m_nShown < 0)
            ShowLine(newest);
        m_nUnread = newest - m_nShown;
    } else {
        // In the background the oldest unseen message is shown: the new one if none was
        // waiting. The line shown counts as unseen until the user pages.
        if (m_nUnread == 0)
            ShowLine(newest);
        m_nUnread = count - m_nShown;
    }
    if (m_nShown < newest) {
        if (!m_blinkTimer.isActive())
            m_blinkTimer.start(kBlinkMs, this);
    } else {
        StopBlinking();
    }
    WriteCounter();
    PlaySoundResource(SOUND_MESSAGE);
    Q_EMIT MessageArrived(m_nRemoved + static_cast<quint64>(newest), sender, text);
}

// The line shown stays on its message, or goes to the oldest kept when its message went.
void CIncomingMessagesDialog::DropOldest()
{
    m_pList->model()->removeRows(0, kDropAtOnce);
    m_nRemoved += kDropAtOnce;
    if (m_nShown >= 0)
        ShowLine(std::max(m_nShown - kDropAtOnce, 0));
    CountDropped(kDropAtOnce);
}

void CIncomingMessagesDialog::CountDropped(quint64 count)
{
    if (count == 0)
        return;
    m_nDropped += count;
    m_nDroppedUnlogged += count;
    m_dropLog.start();
    if (!m_pDroppedLine) {
        // The line takes the top of the list's place. The pages keep their height (measuring
        // every message again would hold the window up): a page now runs on one line below
        // the list, as a long message does, until the next appearance change measures anew.
        m_pDroppedLine = new QLabel(this);
        m_pDroppedLine->setTextFormat(Qt::PlainText);
        const QRect list = m_pList->geometry();
        const int height = m_pDroppedLine->fontMetrics().height();
        m_pDroppedLine->setGeometry(list.x(), list.y(), list.width(), height);
        m_pList->setGeometry(list.adjusted(0, height + 1, 0, 0));
        m_pDroppedLine->show();
    }
    m_pDroppedLine->setText(DroppedText());
    WriteCounter();
}

QString CIncomingMessagesDialog::DroppedText() const
{
    if (m_nDropped == 0)
        return {};
    const QString dropped = m_nDropped == 1 ? QStringLiteral("1 older message was dropped")
                                            : QStringLiteral("%1 older messages were dropped").arg(m_nDropped);
    return QStringLiteral("%1: at most %2 are kept.").arg(dropped).arg(kMaxKept);
}

void CIncomingMessagesDialog::EmitRead(int line)
{
    Q_EMIT MessageRead(m_nRemoved + static_cast<quint64>(line), m_pList->Title(line));
}

// The line shown is also the list's current item, so that the arrow keys page on from it.
void CIncomingMessagesDialog::ShowLine(int index)
{
    m_nShown = index;
    const QSignalBlocker blocker(m_pList);
    m_pList->selectionModel()->setCurrentIndex(m_pList->model()->index(index, 0), QItemSelectionModel::NoUpdate);
    m_pList->SetTopIndex(index);
}

// Paging: reaching the newest message ends the waiting; paging back later does not start it
// again.
void CIncomingMessagesDialog::OnSelectionChanged(int index)
{
    if (index < 0)
        return;
    m_nShown = index;
    m_pList->SetTopIndex(index);
    if (m_nUnread > 0) {
        m_nUnread = GetCount() - 1 - m_nShown;
        if (m_nUnread <= 0) {
            m_nUnread = 0;
            StopBlinking();
        }
    }
    WriteCounter();
    if (isActiveWindow())
        EmitRead(index);
}

void CIncomingMessagesDialog::Page(int step)
{
    if (GetCount() > 0)
        m_pList->SetCurSel(std::clamp(m_nShown + step, 0, GetCount() - 1));
}

// A message taller than the list is read on to its end before the wheel pages.
bool CIncomingMessagesDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != m_pList->viewport() || event->type() != QEvent::Wheel)
        return QDialog::eventFilter(watched, event);
    const int steps = static_cast<QWheelEvent*>(event)->angleDelta().y();
    if (steps == 0 || m_nShown < 0)
        return true;
    QScrollBar* bar = m_pList->verticalScrollBar();
    const QRect shown = m_pList->visualItemRect(m_pList->item(m_nShown));
    const int page = m_pList->viewport()->height();
    const int lines = 3 * m_pList->fontMetrics().height();
    if (steps < 0 && shown.bottom() >= page)
        bar->setValue(bar->value() + std::min(lines, shown.bottom() + 1 - page));
    else if (steps > 0 && shown.top() < 0)
        bar->setValue(bar->value() - std::min(lines, -shown.top()));
    else
        Page(steps > 0 ? -1 : 1);
    return true;
}

// The view may have lost its place while it was hidden.
void CIncomingMessagesDialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (m_nShown >= 0)
        m_pList->SetTopIndex(m_nShown);
}

void CIncomingMessagesDialog::WriteCounter()
{
    const int count = GetCount();
    const int position = count == 0 ? 0 : m_nShown + 1;
    m_pCounter->setText(QStringLiteral("%1 : %2").arg(position).arg(count));
    m_pPrevious->setEnabled(m_nShown > 0);
    m_pNext->setEnabled(m_nShown + 1 < count);
    // A message longer than the list shows whole in the list's tool tip too.
    const bool tall = m_nShown >= 0 && m_pList->NaturalHeight(m_nShown) > m_pList->viewport()->height();
    m_pList->setToolTip(tall ? m_pList->GetText(m_nShown) : QString());
}

void CIncomingMessagesDialog::timerEvent(QTimerEvent* event)
{
    if (event->timerId() != m_blinkTimer.timerId()) {
        QDialog::timerEvent(event);
        return;
    }
    m_bIndicatorPhase = !m_bIndicatorPhase;
    m_pIndicator->setVisible(m_bIndicatorPhase);
}

void CIncomingMessagesDialog::StopBlinking()
{
    m_blinkTimer.stop();
    m_bIndicatorPhase = false;
    m_pIndicator->hide();
}

void CIncomingMessagesDialog::changeEvent(QEvent* event)
{
    QDialog::changeEvent(event);
    if (event->type() != QEvent::ActivationChange)
        return;
    const bool active = isActiveWindow();
    Q_EMIT InFrontChanged(active);
    if (!active)
        return;
    Q_EMIT Activated();
    if (m_nShown >= 0)
        EmitRead(m_nShown);
}

void CIncomingMessagesDialog::hideEvent(QHideEvent* event)
{
    QDialog::hideEvent(event);
    Q_EMIT InFrontChanged(false);
}

void CIncomingMessagesDialog::OnReply()
{
    if (m_nShown < 0)
        return;
    const QString sender = m_pList->Title(m_nShown);
    hide();
    Q_EMIT ReplyRequested(sender);
}

void CIncomingMessagesDialog::OnAppearanceClicked()
{
    auto* appearance = new CMessageListPrefsDialog(m_registry, std::make_unique<PreferencesInMessage>(), this);
    appearance->setAttribute(Qt::WA_DeleteOnClose);
    connect(appearance, &QDialog::finished, this, [this](int result) {
        m_pAppearanceButton->ResetHover();
        if (result != QDialog::Accepted)
            return;
        // Items are measured again for the new fonts; the counter stays as it is.
        LoadAppearance();
        m_pList->SetPageHeight(m_pList->contentsRect().height());
        m_pList->SetTopIndex(m_nShown);
        WriteCounter();
        m_pList->viewport()->repaint();
    });
    appearance->open();
}

void CIncomingMessagesDialog::LoadAppearance()
{
    PreferencesInMessage preferences;
    LoadPreferences(m_registry, preferences);
    m_pList->ApplyPreferences(preferences);
}
