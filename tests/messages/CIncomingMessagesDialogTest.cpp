#include "messages/CIncomingMessagesDialog.h"
#include "chat/CChatListBox.h"
#include "chat/CMessageListPrefsDialog.h"
#include "net/PacketEvent.h"
#include "prefs/CRegistry.h"
#include "support/QtPrinters.h"
#include "support/WaitFor.h"

#include <QColorDialog>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

class CIncomingMessagesDialogTest : public ::testing::Test {
protected:
    CIncomingMessagesDialogTest()
    {
        QObject::connect(&window, &CIncomingMessagesDialog::ReplyRequested, &window,
                         [this](const QString& name) { replies << name; });
    }

    void Receive(const QString& sender, const QString& text)
    {
        QCoreApplication::postEvent(&window,
                                    new PacketEvent(MessagePacket::Make(PACKET_MESSAGE, text, sender, u"bob")));
        QCoreApplication::processEvents();
    }

    void ReceiveNumbered(int count)
    {
        for (int i = 1; i <= count; ++i)
            Receive(QStringLiteral("anna"), QStringLiteral("message %1").arg(i));
    }

    // The window is shown but another window is the active one.
    void ShowInBackground()
    {
        window.show();
        other.show();
        other.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
        ASSERT_FALSE(window.isActiveWindow());
    }

    void ShowInForeground()
    {
        window.ShowInFront();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    }

    void Page(int index)
    {
        window.List()->SetCurSel(index);
        QCoreApplication::processEvents();
    }

    QPushButton* Button(int id) const { return window.findChild<QPushButton*>(QString::number(id)); }

    QTemporaryDir dir;
    CRegistry registry{dir.filePath(QStringLiteral("registry.reg"))};
    std::atomic<bool> active{false};
    QStringList replies;
    CIncomingMessagesDialog window{registry, active};
    QWidget other;
};

} // namespace

TEST_F(CIncomingMessagesDialogTest, ALineIsSenderTimeAndTheTextAsItCame)
{
    EXPECT_EQ(window.CounterText(), QStringLiteral("0 : 0"));
    Receive(QStringLiteral("Маша"), QStringLiteral("привет, 100% готово\r\nвторая строка"));
    const QString line = window.List()->GetText(0);
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^Маша%\\[\\d\\d:\\d\\d\\] ")).match(line).hasMatch())
        << line.toStdString();
    QString title;
    QString text;
    CChatListBox::SplitLine(line, title, text);
    EXPECT_EQ(title, QStringLiteral("Маша"));
    EXPECT_TRUE(text.endsWith(QStringLiteral("] привет, 100% готово\r\nвторая строка"))) << text.toStdString();
}

TEST_F(CIncomingMessagesDialogTest, MessagesToAHiddenWindowShowTheNewestAndNothingBlinks)
{
    ReceiveNumbered(3);
    EXPECT_EQ(window.CounterText(), QStringLiteral("3 : 3"));
    EXPECT_EQ(window.ShownLine(), 2);
    EXPECT_FALSE(window.IsBlinking());
    window.ShowInFront();
    EXPECT_EQ(window.List()->GetTopIndex(), 2);
}

TEST_F(CIncomingMessagesDialogTest, InTheBackgroundTheOldestWaitingIsShownAndTheIndicatorBlinksUntilTheNewestIsReached)
{
    ShowInBackground();
    Receive(QStringLiteral("anna"), QStringLiteral("one"));
    EXPECT_EQ(window.CounterText(), QStringLiteral("1 : 1"));
    EXPECT_FALSE(window.IsBlinking());

    Receive(QStringLiteral("anna"), QStringLiteral("two"));
    EXPECT_EQ(window.ShownLine(), 0);
    EXPECT_EQ(window.CounterText(), QStringLiteral("1 : 2"));
    EXPECT_EQ(window.Unread(), 2);
    ASSERT_TRUE(window.IsBlinking());
    // Every 300 ms the indicator changes: shown, then hidden again.
    EXPECT_TRUE(WaitFor([&] { return window.IsIndicatorShown(); }, std::chrono::milliseconds(1000)));
    EXPECT_TRUE(WaitFor([&] { return !window.IsIndicatorShown(); }, std::chrono::milliseconds(1000)));

    Page(1);
    EXPECT_EQ(window.CounterText(), QStringLiteral("2 : 2"));
    EXPECT_FALSE(window.IsBlinking());
    EXPECT_FALSE(window.IsIndicatorShown());
    EXPECT_EQ(window.Unread(), 0);

    // Paging back after everything was read starts nothing.
    Page(0);
    EXPECT_EQ(window.CounterText(), QStringLiteral("1 : 2"));
    EXPECT_FALSE(window.IsBlinking());
}

TEST_F(CIncomingMessagesDialogTest, InTheForegroundTheLineShownStaysAndTheCounterShowsIt)
{
    ReceiveNumbered(5);
    ShowInForeground();
    Page(2);
    EXPECT_EQ(window.CounterText(), QStringLiteral("3 : 5"));

    Receive(QStringLiteral("anna"), QStringLiteral("six"));
    EXPECT_EQ(window.ShownLine(), 2);
    EXPECT_EQ(window.CounterText(), QStringLiteral("3 : 6"));
    EXPECT_EQ(window.Unread(), 3);
    EXPECT_TRUE(window.IsBlinking());
}

TEST_F(CIncomingMessagesDialogTest, BroughtToTheFrontWithoutASelectionTheCounterStillShowsTheLineShown)
{
    ReceiveNumbered(3);
    ShowInForeground();
    Receive(QStringLiteral("anna"), QStringLiteral("four"));
    EXPECT_EQ(window.ShownLine(), 2);
    EXPECT_EQ(window.CounterText(), QStringLiteral("3 : 4"));
    EXPECT_EQ(window.Unread(), 1);
    EXPECT_TRUE(window.IsBlinking());
}

TEST_F(CIncomingMessagesDialogTest, AMessageWhileHiddenEndsTheBlinkingItWouldOtherwiseLeaveForEver)
{
    ShowInBackground();
    ReceiveNumbered(2);
    ASSERT_TRUE(window.IsBlinking());
    window.hide();
    Receive(QStringLiteral("anna"), QStringLiteral("three"));
    EXPECT_EQ(window.CounterText(), QStringLiteral("3 : 3"));
    EXPECT_FALSE(window.IsBlinking());
    EXPECT_FALSE(window.IsIndicatorShown());
    EXPECT_EQ(window.Unread(), 0);
}

TEST_F(CIncomingMessagesDialogTest, ReplyAsksToWriteToTheSenderOfTheLineShownAndHides)
{
    window.ShowInFront();
    Button(1012)->click();
    EXPECT_TRUE(window.isVisible()); // an empty list: nothing happens
    QCoreApplication::processEvents();
    EXPECT_TRUE(replies.isEmpty());

    Receive(QStringLiteral("anna"), QStringLiteral("hi"));
    Receive(QStringLiteral("boris"), QStringLiteral("hello"));
    Page(0);
    Button(1012)->click();
    EXPECT_FALSE(window.isVisible());
    QCoreApplication::processEvents();
    EXPECT_EQ(replies, QStringList{QStringLiteral("anna")});
}

TEST_F(CIncomingMessagesDialogTest, CloseEscapeAndTheCloseBoxOnlyHide)
{
    ReceiveNumbered(2);
    window.ShowInFront();
    Button(1)->click();
    EXPECT_FALSE(window.isVisible());

    window.ShowInFront();
    QTest::keyClick(&window, Qt::Key_Escape);
    EXPECT_FALSE(window.isVisible());

    window.ShowInFront();
    window.close();
    EXPECT_FALSE(window.isVisible());

    window.ShowInFront();
    EXPECT_EQ(window.GetCount(), 2);
    EXPECT_EQ(window.CounterText(), QStringLiteral("2 : 2"));
}

TEST_F(CIncomingMessagesDialogTest, TheActiveFlagFollowsTheWindowAndActivationIsAnnounced)
{
    QSignalSpy activated(&window, &CIncomingMessagesDialog::Activated);
    ShowInForeground();
    EXPECT_TRUE(active.load());
    EXPECT_GE(activated.count(), 1);

    other.show();
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    EXPECT_FALSE(active.load());

    ShowInForeground();
    window.hide();
    EXPECT_FALSE(active.load());
}

TEST_F(CIncomingMessagesDialogTest, TheListTakesAStoredAppearanceAtOnceAndKeepsItsPlace)
{
    ReceiveNumbered(3);
    Button(1011)->click();
    auto* appearance = window.findChild<CMessageListPrefsDialog*>();
    ASSERT_TRUE(appearance);
    appearance->findChild<CListBox*>(QString::number(CMessageListPrefsDialog::IDC_ITEMS))
        ->SetCurSel(CMessageListPrefsDialog::PART_BACKGROUND);
    appearance->findChild<QPushButton*>(QString::number(CMessageListPrefsDialog::IDC_COLOR))->click();
    auto* picker = appearance->findChild<QColorDialog*>();
    ASSERT_TRUE(picker);
    picker->setCurrentColor(QColor(0x20, 0x40, 0x60));
    picker->accept();
    appearance->findChild<QPushButton*>(QStringLiteral("1"))->click();

    EXPECT_EQ(window.List()->BackgroundColor(), MakeColorRef(0x20, 0x40, 0x60));
    EXPECT_EQ(window.CounterText(), QStringLiteral("3 : 3"));
    EXPECT_EQ(window.List()->GetItemHeight(0), window.List()->GetItemHeight(2));
}

// Every character of a message can be read: a long or many-lined message makes the window
// grow until all of its lines are inside the list; a short one brings it back.
TEST_F(CIncomingMessagesDialogTest, LongMessagesGrowTheWindowAndShortOnesShrinkIt)
{
    ShowInBackground();
    const int baseHeight = window.height();
    Receive(QStringLiteral("pwa1"), QStringLiteral("short"));
    EXPECT_EQ(window.height(), baseHeight);

    const QString tenLines
        = QStringLiteral("one\r\ntwo\r\nthree\r\nfour\r\nfive\r\nsix\r\nseven\r\neight\r\nnine\r\nten");
    const QString longText = QString(25, QLatin1Char('w')).append(QLatin1Char(' ')).repeated(10).left(259);
    for (const QString& text : {tenLines, longText}) {
        Receive(QStringLiteral("pwa1"), text);
        window.List()->SetCurSel(window.GetCount() - 1);
        CChatListBox* list = window.List();
        EXPECT_GE(list->contentsRect().height(), list->NaturalHeight(window.ShownLine()));
        EXPECT_GT(window.height(), baseHeight);
        // The buttons moved down with the list's bottom.
        EXPECT_GT(Button(1)->y(), list->geometry().bottom());
    }
    window.List()->SetCurSel(0);
    EXPECT_EQ(window.height(), baseHeight);
}
