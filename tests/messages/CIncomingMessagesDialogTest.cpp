#include "messages/CIncomingMessagesDialog.h"
#include "chat/CChatListBox.h"
#include "prefs/CRegistry.h"
#include "support/QtPrinters.h"
#include "support/WaitFor.h"

#include <QAccessible>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QWheelEvent>

#include <gtest/gtest.h>

namespace {

class CIncomingMessagesDialogTest : public ::testing::Test {
protected:
    CIncomingMessagesDialogTest()
    {
        QObject::connect(&window, &CIncomingMessagesDialog::InFrontChanged, [this](bool inFront) { active = inFront; });
    }

    void Receive(const QString& text, const QString& sender = QStringLiteral("anna"))
    {
        window.AddMessage(sender, text);
        QCoreApplication::processEvents();
    }

    void ShowInBackground()
    {
        window.show();
        ShowActive(other);
        ASSERT_FALSE(window.isActiveWindow());
    }

    static void ShowActive(QWidget& widget)
    {
        widget.show();
        widget.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&widget));
    }

    void Page(int index)
    {
        window.List()->SetCurSel(index);
        QCoreApplication::processEvents();
    }

    // The counter, the line shown, how many wait behind it and whether the indicator blinks.
    void Expect(const char* counter, int shown, int unread, bool blinking)
    {
        EXPECT_EQ(window.CounterText(), QString::fromLatin1(counter));
        EXPECT_EQ(window.ShownLine(), shown);
        EXPECT_EQ(window.Unread(), unread);
        EXPECT_EQ(window.IsBlinking(), blinking);
    }

    QPushButton* Button(int id) const { return window.findChild<QPushButton*>(QString::number(id)); }

    QTemporaryDir dir;
    CRegistry registry{dir.filePath(QStringLiteral("registry.reg"))};
    CIncomingMessagesDialog window{registry};
    bool active = false;
    QWidget other;
};

} // namespace

// In the background the oldest unseen stays and the indicator blinks until the newest is read.
TEST_F(CIncomingMessagesDialogTest, ArrivalsPagingAndHidingMoveTheCounterAndTheBlinking)
{
    QSignalSpy activated(&window, &CIncomingMessagesDialog::Activated);
    QSignalSpy replies(&window, &CIncomingMessagesDialog::ReplyRequested);
    EXPECT_EQ(window.CounterText(), QStringLiteral("0 : 0"));
    Button(1012)->click(); // nothing to reply to
    ShowInBackground();
    EXPECT_FALSE(active);
    Receive(QStringLiteral("<b>100%</b> готово\r\nвторая строка"), QStringLiteral("Маша"));
    EXPECT_EQ(window.List()->Title(0), QStringLiteral("Маша"));
    EXPECT_EQ(window.List()->GetText(0), QStringLiteral("<b>100%</b> готово\r\nвторая строка"));
    Expect("1 : 1", 0, 1, false);
    Receive(QStringLiteral("two"), QStringLiteral("boris"));
    Expect("1 : 2", 0, 2, true);
    EXPECT_TRUE(WaitFor([&] { return window.IsIndicatorShown(); }, std::chrono::milliseconds(1000)));
    EXPECT_TRUE(WaitFor([&] { return !window.IsIndicatorShown(); }, std::chrono::milliseconds(1000)));
    Page(1);
    Expect("2 : 2", 1, 0, false);
    EXPECT_FALSE(window.IsIndicatorShown());
    Page(0); // paging back after everything was read starts nothing
    Expect("1 : 2", 0, 0, false);

    Receive(QStringLiteral("three")); // nothing waited: the new one is shown
    Expect("3 : 3", 2, 1, false);
    Receive(QStringLiteral("four"));
    Expect("3 : 4", 2, 2, true);

    // Escape only hides; a message to the hidden window ends the blinking it would leave.
    QTest::keyClick(&window, Qt::Key_Escape);
    EXPECT_FALSE(window.isVisible());
    Receive(QStringLiteral("five"));
    Expect("5 : 5", 4, 0, false);
    EXPECT_FALSE(window.IsIndicatorShown());

    // Close only hides as well (the close box goes the same way as Escape); the newest is in view again.
    window.ShowInFront();
    Button(1)->click();
    EXPECT_FALSE(window.isVisible());
    ShowActive(window);
    EXPECT_EQ(window.List()->GetTopIndex(), 4);
    EXPECT_TRUE(active);
    EXPECT_GE(activated.count(), 1);

    Receive(QStringLiteral("six"));
    Expect("5 : 6", 4, 1, true);
    Page(2);
    Expect("3 : 6", 2, 3, true);
    ShowActive(other);
    EXPECT_FALSE(active);

    ShowActive(window);
    Page(1);
    Button(1012)->click();
    EXPECT_FALSE(window.isVisible());
    EXPECT_FALSE(active);
    QCoreApplication::processEvents();
    ASSERT_EQ(replies.count(), 1);
    EXPECT_EQ(replies.first().first().toString(), QStringLiteral("boris"));

    // Enter is Reply, never the picture button.
    ShowActive(window);
    Page(0);
    QTest::keyClick(window.List(), Qt::Key_Return);
    ASSERT_EQ(replies.count(), 2);
    EXPECT_EQ(replies.last().first().toString(), QStringLiteral("Маша"));
}

// Reply and Close never move: a message longer than the list runs on below it, is read on with
// the wheel and shows whole in the tool tip; the arrows page; screen readers hear the message.
TEST_F(CIncomingMessagesDialogTest, TheWindowKeepsItsSizeLongMessagesReadOnAndTheArrowsPage)
{
    ShowInBackground();
    const QSize size = window.size();
    const QRect reply = Button(1012)->geometry();
    auto* next = window.findChild<QToolButton*>(QStringLiteral("1025"));
    ASSERT_TRUE(next);
    Receive(QStringLiteral("short"));
    const QString tenLines = QStringLiteral("1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n8\r\n9\r\n10");
    Receive(tenLines, QStringLiteral("boris"));
    next->click();
    Expect("2 : 2", 1, 0, false);
    EXPECT_EQ(window.size(), size);
    EXPECT_EQ(Button(1012)->geometry(), reply);

    CChatListBox* list = window.List();
    const int page = list->viewport()->height();
    EXPECT_GT(list->NaturalHeight(1), page);
    EXPECT_EQ(list->toolTip(), tenLines);
    const auto wheel = [list](int delta) {
        QWheelEvent event(QPointF(5, 5), list->viewport()->mapToGlobal(QPointF(5, 5)), {}, QPoint(0, delta),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(list->viewport(), &event);
    };
    for (int i = 0; i < 20 && list->visualItemRect(list->item(1)).bottom() >= page; ++i)
        wheel(-120); // read on to the end of the long one
    EXPECT_EQ(list->visualItemRect(list->item(1)).bottom(), page - 1);
    EXPECT_EQ(window.ShownLine(), 1);
    for (int i = 0; i < 20 && list->visualItemRect(list->item(1)).top() < 0; ++i)
        wheel(120);
    wheel(120); // at its top the wheel pages back
    Expect("1 : 2", 0, 0, false);
    EXPECT_TRUE(list->toolTip().isEmpty());

    EXPECT_EQ(QAccessible::queryAccessibleInterface(list)->tableInterface()->cellAt(1, 0)->text(QAccessible::Name),
              QStringLiteral("boris, %1, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10").arg(list->Time(1)));
}

// Beyond the cap the oldest go, the line shown stays on its message and a line says how many
// were dropped, with those dropped before they came; numbers outside the window run on.
TEST_F(CIncomingMessagesDialogTest, BeyondTheCapTheOldestGoAndTheWindowSaysHowMany)
{
    using Dialog = CIncomingMessagesDialog;
    QSignalSpy arrived(&window, &Dialog::MessageArrived);
    ShowInBackground();
    int sent = 0;
    const auto receive = [&](int count) {
        for (int i = 0; i < count; ++i, ++sent)
            window.AddMessage(QStringLiteral("anna"), QString::number(sent));
        QCoreApplication::processEvents();
    };
    receive(Dialog::kMaxKept + 1);
    const int kept = Dialog::kMaxKept - Dialog::kDropAtOnce + 1;
    ASSERT_EQ(window.GetCount(), kept);
    EXPECT_EQ(window.List()->GetText(0), QString::number(Dialog::kDropAtOnce));
    EXPECT_EQ(arrived.last().first().toULongLong(), static_cast<quint64>(Dialog::kMaxKept));
    Expect(QStringLiteral("1 : %1").arg(kept).toLatin1().constData(), 0, kept, true);
    window.CountDropped(2);
    const QString says = QStringLiteral("%1 older messages were dropped: at most %2 are kept.")
                             .arg(Dialog::kDropAtOnce + 2).arg(Dialog::kMaxKept);
    EXPECT_TRUE(std::ranges::any_of(window.findChildren<QLabel*>(),
                                    [&](const QLabel* line) { return line->isVisible() && line->text() == says; }));

    // A message that was dropped is shown as the oldest kept; the one shown stays on its
    // message when the oldest go from under it.
    window.ShowMessage(1);
    EXPECT_EQ(window.ShownLine(), 0);
    Page(Dialog::kDropAtOnce + 5);
    const QString shown = window.List()->GetText(Dialog::kDropAtOnce + 5);
    receive(Dialog::kMaxKept - window.GetCount() + 1);
    EXPECT_EQ(window.ShownLine(), 5);
    EXPECT_EQ(window.List()->GetText(5), shown);
    EXPECT_EQ(window.CounterText(), QStringLiteral("6 : %1").arg(kept));
}
