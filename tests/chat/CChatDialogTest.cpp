#include "chat/CChatDialog.h"
#include "chat/CChatListBox.h"
#include "chat/CMessageListPrefsDialog.h"
#include "prefs/CRegistry.h"
#include "prefs/FontRecord.h"
#include "prefs/PreferencesChat.h"
#include "prefs/PreferencesLayout.h"
#include "support/QtPrinters.h"
#include "support/TypeText.h"
#include "ui/CListBox.h"
#include "ui/DialogBuilder.h"
#include "ui/PlaySoundResource.h"

#include <QAccessible>
#include <QBitmap>
#include <QClipboard>
#include <QColorDialog>
#include <QFontDialog>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <vector>

namespace {

// Picks Background in the list's preferences, opens Color... and answers the chooser with the colour.
void ChooseBackground(CMessageListPrefsDialog* prefs, const QColor& colour, bool accept = true)
{
    DialogBuilder::Control<CListBox>(prefs, CMessageListPrefsDialog::IDC_ITEMS)
        ->SetCurSel(CMessageListPrefsDialog::PART_BACKGROUND);
    DialogBuilder::Control<QPushButton>(prefs, CMessageListPrefsDialog::IDC_COLOR)->click();
    auto* chooser = prefs->findChild<QColorDialog*>();
    ASSERT_TRUE(chooser && chooser->isModal());
    chooser->setCurrentColor(colour);
    accept ? chooser->accept() : chooser->reject();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

class CChatDialogTest : public ::testing::Test {
protected:
    CChatDialogTest()
    {
        QObject::connect(&window, &CChatDialog::LineWritten, [this](const QString& text) { said << text; });
    }

    void Show()
    {
        window.ShowInFront();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    }

    QPushButton* Button(int id) const { return DialogBuilder::Control<QPushButton>(&window, id); }

    void Arrive(const QString& from, const QString& text)
    {
        window.AddLine(from, text);
        QCoreApplication::processEvents();
    }

    long Count(int cue) const { return std::count(sounds.begin(), sounds.end(), cue); }

    QTemporaryDir dir;
    CRegistry registry{dir.filePath(QStringLiteral("registry.reg"))};
    std::vector<int> sounds;
    QStringList said;
    CChatDialog window{registry, [this](int cue) { sounds.push_back(cue); }};
};

} // namespace

// An empty line is never sent; a line shows only when its broadcast comes back. The window is
// in the room exactly while it is shown (minimised too).
TEST_F(CChatDialogTest, EnterAndSendBroadcastTheLineAndLeaveItSelected)
{
    QSignalSpy inRoom(&window, &CChatDialog::InRoomChanged);
    Show();
    ASSERT_FALSE(inRoom.isEmpty());
    EXPECT_TRUE(inRoom.last().first().toBool());
    EXPECT_EQ(QApplication::focusWidget(), window.Input());
    TypeText(window.Input(), QStringLiteral("привет"));
    EXPECT_EQ(Count(SOUND_KEY), 6);
    QTest::keyClick(window.Input(), Qt::Key_Return);
    EXPECT_TRUE(window.Input()->text().isEmpty()); // ready for the next line
    QTest::keyClick(window.Input(), Qt::Key_Z, Qt::ControlModifier); // the sent one comes back
    QTest::keyClick(window.Input(), Qt::Key_Enter, Qt::KeypadModifier);
    window.KeepUnsent(QStringLiteral("привет")); // it did not go out: back, wholly selected
    EXPECT_EQ(window.Input()->selectedText(), QStringLiteral("привет"));
    QTest::mouseClick(Button(CChatDialog::IDC_SEND), Qt::LeftButton);
    EXPECT_EQ(said, QStringList(3, QStringLiteral("привет")));
    EXPECT_TRUE(window.Input()->text().isEmpty());
    EXPECT_TRUE(window.ChatList()->GetTexts().isEmpty());
    TypeText(window.Input(), QStringLiteral("new"));
    window.KeepUnsent(QStringLiteral("привет")); // a line begun meanwhile stays
    EXPECT_EQ(window.Input()->text(), QStringLiteral("new"));

    window.Input()->clear();
    QTest::keyClick(window.Input(), Qt::Key_Return);
    QTest::mouseClick(Button(CChatDialog::IDC_SEND), Qt::LeftButton);
    EXPECT_EQ(said.size(), 3);

    // The input holds what a packet carries and says so when it cuts.
    EXPECT_EQ(QApplication::focusWidget(), window.Input()); // even an empty Send hands the focus back
    const QString longLine = QString(300, QChar(u'ж'));
    QGuiApplication::clipboard()->setText(longLine);
    window.Input()->paste();
    EXPECT_TRUE(window.IsLimitNoticeShown());
    QTest::keyClick(window.Input(), Qt::Key_Return);
    EXPECT_EQ(said.last(), longLine.left(CChatDialog::kMaxInputLength));
    EXPECT_FALSE(window.IsLimitNoticeShown()); // the line went, and the notice with it

    window.showMinimized();
    EXPECT_TRUE(inRoom.last().first().toBool());
    window.close();
    EXPECT_FALSE(inRoom.last().first().toBool());
}

// Lines arrive with a sound, hidden or not; Escape only hides; Clear empties the list.
TEST_F(CChatDialogTest, ArrivingLinesStayInViewAndAreReadOutAndClearEmptiesTheList)
{
    Show();
    TypeText(window.Input(), QStringLiteral("abc"));
    QTest::keyClick(&window, Qt::Key_Escape);
    EXPECT_FALSE(window.isVisible());
    for (int i = 0; i < 40; ++i)
        Arrive(QStringLiteral("bob"), QStringLiteral("line %1").arg(i));
    EXPECT_EQ(Count(SOUND_CHAT_LINE), 40);
    Show();
    QCoreApplication::processEvents();
    CChatListBox* list = window.ChatList();
    EXPECT_TRUE(list->viewport()->rect().contains(list->visualItemRect(list->item(39))));
    Arrive(QStringLiteral("anna"), QStringLiteral("<b>50%</b> done %s %n"));
    QCoreApplication::processEvents();
    EXPECT_TRUE(list->viewport()->rect().contains(list->visualItemRect(list->item(40))));

    QTest::mouseClick(Button(CChatDialog::IDC_CLEAR), Qt::LeftButton);
    EXPECT_TRUE(window.ChatList()->GetTexts().isEmpty());
    EXPECT_EQ(window.Input()->text(), QStringLiteral("abc"));

    // Screen readers hear name, time and words, a line break as a pause.
    list->AddLine(QStringLiteral("pwa1"), QStringLiteral("<b>50%</b> done\r\nnext"), QStringLiteral("23:55"));
    EXPECT_EQ(QAccessible::queryAccessibleInterface(list)->tableInterface()->cellAt(0, 0)->text(QAccessible::Name),
              QStringLiteral("pwa1, 23:55, <b>50%</b> done, next"));
}

// The sample shows the stored scheme and every choice at once; only OK applies and keeps them.
TEST_F(CChatDialogTest, PreferencesShowChoicesAtOnceAndApplyThemOnOkOnly)
{
    PreferencesChat stored;
    stored.m_crTitle = MakeColorRef(1, 2, 3);
    stored.m_crBackground = MakeColorRef(7, 8, 9);
    SavePreferences(registry, stored);
    Show();
    for (bool ok : {false, true}) {
        SCOPED_TRACE(ok ? "OK" : "Cancel");
        QTest::mouseClick(Button(CChatDialog::IDC_PREFERENCES), Qt::LeftButton);
        auto* prefs = window.findChild<CMessageListPrefsDialog*>();
        ASSERT_TRUE(prefs && prefs->isModal());
        const auto* sample = DialogBuilder::Control<CChatListBox>(prefs, CMessageListPrefsDialog::IDC_PROTOTYPE);
        EXPECT_EQ(sample->TitleColor(), stored.m_crTitle);
        EXPECT_EQ(sample->BackgroundColor(), stored.m_crBackground);

        ChooseBackground(prefs, Qt::yellow);
        ChooseBackground(prefs, Qt::blue, false);
        EXPECT_EQ(sample->BackgroundColor(), ToColorRef(Qt::yellow)); // a cancelled chooser changes nothing

        QTest::mouseClick(DialogBuilder::Control<QPushButton>(prefs, ok ? 1 : 2), Qt::LeftButton);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_EQ(window.ChatList()->BackgroundColor() == ToColorRef(Qt::yellow), ok);
        LoadPreferences(registry, stored);
        EXPECT_EQ(stored.m_crBackground == ToColorRef(Qt::yellow), ok);
    }

    // A message font picked bold, italic and underlined is kept so.
    QTest::mouseClick(Button(CChatDialog::IDC_PREFERENCES), Qt::LeftButton);
    auto* prefs = window.findChild<CMessageListPrefsDialog*>();
    ASSERT_TRUE(prefs);
    DialogBuilder::Control<QPushButton>(prefs, CMessageListPrefsDialog::IDC_FONT)->click(); // Message Text
    auto* chooser = prefs->findChild<QFontDialog*>();
    ASSERT_TRUE(chooser);
    chooser->setCurrentFont(FontRecord{
        .height = -20, .weight = 700, .italic = true, .underline = true, .face = QStringLiteral("Liberation Serif")}
                                .ToQFont());
    chooser->accept();
    QTest::mouseClick(DialogBuilder::Control<QPushButton>(prefs, 1), Qt::LeftButton);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    LoadPreferences(registry, stored);
    const FontRecord& kept = stored.m_fontText;
    EXPECT_TRUE(kept.weight == 700 && kept.italic && kept.underline && !kept.strikeOut);
}

// Title and text come from the network: drawn as the plain text they are, the text after the title.
TEST_F(CChatDialogTest, TheListDrawsPlainTitleAndText)
{
    Show();
    CChatListBox* list = window.ChatList();
    const QColor title(200, 0, 0);
    const QColor text(0, 130, 0);
    const QFont font = FontRecord{.height = -16, .weight = 700, .face = QStringLiteral("Arial Cyr")}.ToQFont();
    list->SetTitleStyle(ToColorRef(title), font);
    list->SetTextStyle(ToColorRef(text), font);
    list->AddLine(QStringLiteral("<b>Ann</b>"), QStringLiteral("<b>The message</b>"));
    const auto ink = [list](QColor colour) {
        QCoreApplication::processEvents(); // items added to a shown list are laid out on the next turn
        list->viewport()->repaint();
        const QImage item = list->viewport()->grab(list->visualItemRect(list->item(0))).toImage();
        return QRegion(QBitmap::fromImage(item.createMaskFromColor(colour.rgb(), Qt::MaskOutColor))).boundingRect();
    };
    EXPECT_NEAR(ink(title).width(), QFontMetrics(font).horizontalAdvance(QStringLiteral("<b>Ann</b>")), 4);
    EXPECT_GT(ink(text).left(), ink(title).right());
}
