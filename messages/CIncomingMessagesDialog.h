#pragma once

#include "net/ReceiveQueue.h"

#include <QBasicTimer>
#include <QDialog>
#include <QPointer>
#include <QTimer>

class CChatListBox;
class CHoverBitmapButton;
class CRegistry;
class QLabel;
class QToolButton;

// The private messages received since start, one at a time, with arrows to page and the
// counter "shown : total" between them, an indicator that blinks exactly while messages wait
// behind the one shown, and Reply, which Enter presses. Each
// accepted message comes in through AddMessage. Closing only hides the window.
// At most kMaxKept are kept: beyond that the oldest go, and a line above the list says how many were dropped (with those dropped before they reached the window). Outside the window a
// message is named by its number: the count of messages added before it since start.
class CIncomingMessagesDialog : public QDialog {
    Q_OBJECT

public:
    static constexpr int IDD = 163;
    static constexpr int kBlinkMs = 300;
    static constexpr int kMaxKept = static_cast<int>(ReceiveQueue::kMaxMessages);
    // At the cap this many of the oldest go at once: taking lines off the list's front moves
    // the whole view, which costs as much for one line as for many.
    static constexpr int kDropAtOnce = kMaxKept / 100;

    explicit CIncomingMessagesDialog(CRegistry& registry, QWidget* parent = nullptr);
    ~CIncomingMessagesDialog() override;

    // Shown normal, in front and active ("History...", a click on a flashing tray icon).
    void ShowInFront();
    // The same, paged to the given message (a click on the desktop's notification of it), or
    // to the oldest kept when that one was dropped.
    void ShowMessage(quint64 number);

    int GetCount() const;
    CChatListBox* List() const { return m_pList; }
    QString CounterText() const;
    int ShownLine() const { return m_nShown; }
    // The messages still to be paged to: those behind the line shown, and the line shown too
    // when it arrived while the window was in the background. 0 when nothing waits.
    int Unread() const { return m_nUnread; }
    bool IsBlinking() const { return m_blinkTimer.isActive(); }
    bool IsIndicatorShown() const;

    void reject() override;

    // A private message that arrived now.
    void AddMessage(const QString& sender, const QString& text);
    // That many messages were dropped before they reached the window.
    void CountDropped(quint64 count);
    quint64 Dropped() const { return m_nDropped; }
    QString DroppedText() const;

Q_SIGNALS:
    // The window became the active one: an incoming-message flash has done its job.
    void Activated();
    // True exactly while this is the active window: a message that comes then is noticed.
    void InFrontChanged(bool inFront);
    // Reply was pressed for the sender of the line shown.
    void ReplyRequested(const QString& userName);
    // A message was added (the counter and the blinking already say so).
    void MessageArrived(quint64 number, const QString& sender, const QString& text);
    // The message was shown in the active window: the user has read it.
    void MessageRead(quint64 number, const QString& sender);

protected:
    void timerEvent(QTimerEvent* event) override;
    void changeEvent(QEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ShowLine(int index);
    // To the message step places on, as far as there are messages.
    void Page(int step);
    void OnSelectionChanged(int index);
    void OnReply();
    void OnAppearanceClicked();
    void LoadAppearance();
    void StopBlinking();
    void WriteCounter();
    void DropOldest();
    void EmitRead(int line);

    CRegistry& m_registry;

    QLabel* m_pIndicator = nullptr;
    QLabel* m_pCounter = nullptr;
    QLabel* m_pDroppedLine = nullptr;
    CHoverBitmapButton* m_pAppearanceButton = nullptr;
    CChatListBox* m_pList = nullptr;
    // The line shown (the list's top line); -1 while the list is empty.
    int m_nShown = -1;
    int m_nUnread = 0;
    quint64 m_nRemoved = 0; // lines taken off the list's front: the number of line 0
    quint64 m_nDropped = 0; // those, and the messages dropped before they came
    quint64 m_nDroppedUnlogged = 0;
    QToolButton* m_pPrevious = nullptr;
    QToolButton* m_pNext = nullptr;
    bool m_bIndicatorPhase = false;
    QBasicTimer m_blinkTimer;
    QTimer m_dropLog;
};
