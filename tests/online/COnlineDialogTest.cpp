#include "online/COnlineDialog.h"
#include "online/CUserListBox.h"
#include "online/PlaceOnlineWindow.h"
#include "prefs/CRegistry.h"
#include "prefs/FontRecord.h"
#include "prefs/PreferencesLayout.h"
#include "prefs/PreferencesOnline.h"
#include "support/QtPrinters.h"
#include "ui/CHoverBitmapButton.h"

#include <QAccessible>
#include <QBitmap>
#include <QFontDialog>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

// Bounding box of the pixels drawn in exactly the colour.
QRect Ink(const QImage& image, QColor colour)
{
    return QRegion(QBitmap::fromImage(image.createMaskFromColor(colour.rgb(), Qt::MaskOutColor))).boundingRect();
}

class COnlineDialogTest : public ::testing::Test {
protected:
    QImage Item(int index) const
    {
        CUserListBox* list = window.UserList();
        list->viewport()->repaint();
        const QRect rect = list->visualItemRect(list->item(index));
        return list->viewport()->grab(rect).toImage().convertToFormat(QImage::Format_RGB32);
    }

    QTemporaryDir dir;
    CRegistry registry{dir.filePath(QStringLiteral("registry.reg"))};
    COnlineDialog window{registry};
};

} // namespace

// Sorted without regard to case, drawn plain, elided when narrow; "All" and names differing only in
// case are never confused; the chat room and a name on two computers are marked for the ear.
TEST_F(COnlineDialogTest, UsersAreListedSortedAsPlainTextWithTheirMarks)
{
    for (const char* name : {"bob", "anna<b>!</b>", "Zed", "All", "BOB"})
        window.AddUser(QString::fromLatin1(name));
    window.RemoveUsers(QStringLiteral("All BOB nobody").split(u' '));
    EXPECT_EQ(window.UserList()->GetTexts(), QStringLiteral("All anna<b>!</b> bob Zed").split(u' '));
    window.resize(300, 400);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    CUserListBox* list = window.UserList();
    window.SetUserInChat(QStringLiteral("bob"), true);
    QAccessibleTableInterface* table = QAccessible::queryAccessibleInterface(list)->tableInterface();
    EXPECT_EQ(table->cellAt(2, 0)->text(QAccessible::Name), QStringLiteral("bob, in chat"));
    window.SetUserOnTwoComputers(QStringLiteral("bob"), true);
    EXPECT_EQ(table->cellAt(2, 0)->text(QAccessible::Name), QStringLiteral("bob (on two computers), in chat"));
    EXPECT_EQ(list->GetText(2), QStringLiteral("bob")); // what a double click addresses
    EXPECT_EQ(table->cellAt(3, 0)->text(QAccessible::Name), QStringLiteral("Zed"));

    const QColor red(200, 0, 0);
    const QFont font = FontRecord{.height = -24, .weight = 700, .face = QStringLiteral("Arial Cyr")}.ToQFont();
    list->SetTextAppearance(ToColorRef(red), font);
    EXPECT_NEAR(Ink(Item(1), red).width(), QFontMetrics(font).horizontalAdvance(QStringLiteral("anna<b>!</b>")), 12);
    // In a narrow window a long name ends in an ellipsis inside the list, whole in its tool tip.
    window.resize(0, 300); // as narrow as it gets
    EXPECT_LT(Ink(Item(1), red).right(), list->viewport()->width() - 1);
    EXPECT_EQ(list->item(1)->data(Qt::ToolTipRole).toString(), QStringLiteral("anna<b>!</b>"));
    EXPECT_TRUE(list->item(3)->data(Qt::ToolTipRole).toString().isEmpty()); // Zed fits
}

// Enter writes to the selected user, if any; Escape only hides; the pin's state
// is heard; a picked font is kept.
TEST_F(COnlineDialogTest, EnterWritesClosingHidesThePinIsHeardAndAPickedFontIsKept)
{
    QSignalSpy sendTo(&window, &COnlineDialog::SendToUserRequested);
    window.ShowPlaced();
    QTest::keyClick(window.UserList(), Qt::Key_Return);
    EXPECT_EQ(sendTo.count(), 0);
    window.UserList()->SetCurSel(0);
    QTest::keyClick(window.UserList(), Qt::Key_Return);
    ASSERT_EQ(sendTo.count(), 1);
    EXPECT_EQ(sendTo.first().first().toString(), QStringLiteral("All"));
    EXPECT_TRUE(window.isVisible());
    QTest::keyClick(&window, Qt::Key_Escape);
    EXPECT_FALSE(window.isVisible());

    auto* font = window.findChild<CHoverBitmapButton*>(QStringLiteral("1011"));
    auto* pin = window.findChild<CHoverBitmapButton*>(QStringLiteral("1012"));
    ASSERT_TRUE(font && pin);
    QAccessibleInterface* pinned = QAccessible::queryAccessibleInterface(pin);
    EXPECT_FALSE(pinned->state().checked);
    window.show();
    pin->click();
    EXPECT_TRUE(pinned->state().checked);

    // A font picked bold, italic and underlined is stored and used so; the focus returns to the list.
    QWidget other;
    other.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    font->click();
    auto* picker = window.findChild<QFontDialog*>();
    ASSERT_TRUE(picker);
    picker->setCurrentFont(FontRecord{
        .height = -18, .weight = 700, .italic = true, .underline = true, .face = QStringLiteral("Liberation Sans")}
                               .ToQFont());
    picker->accept();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
    EXPECT_TRUE(window.UserList()->hasFocus());
    PreferencesOnline stored;
    LoadPreferences(registry, stored);
    const FontRecord& kept = stored.m_fontText;
    EXPECT_TRUE(kept.weight == 700 && kept.italic && kept.underline && !kept.strikeOut);
    EXPECT_EQ(FontRecord::FromQFont(window.UserList()->TextFont()), kept);
}

// The first show goes to the lower right corner, clear of the stand-in; a placement off every
// screen moves onto the nearest.
TEST(PlaceOnlineWindowTest, PlacesTheFirstShowAndKeepsOrMovesAStoredPlacement)
{
    const QList<QRect> screens = {QRect(0, 0, 1280, 776), QRect(1280, 0, 1920, 1080)};
    const struct {
        std::optional<QRect> stored;
        QRect placed;
    } rows[] = {
        {std::nullopt, {1116, 556, 160, 220}},
        {QRect(1200, 10, 200, 300), {1200, 10, 200, 300}}, // straddling both
        {QRect(3400, 500, 200, 400), {3000, 500, 200, 400}}, // where a third screen used to be
        {QRect(100, -900, 200, 400), {100, 0, 200, 400}}, // far above the first
    };
    for (const auto& row : rows)
        EXPECT_EQ(PlaceOnlineWindow(row.stored, QSize(160, 220), screens), row.placed)
            << testing::PrintToString(row.placed);
    // The tray's stand-in in the corner: the first show goes just above it; a stored one stays.
    const QRect standIn(1120, 732, 160, 44);
    EXPECT_EQ(PlaceOnlineWindow(std::nullopt, QSize(160, 220), screens, standIn), QRect(1116, 512, 160, 220));
    EXPECT_EQ(PlaceOnlineWindow(rows[1].stored, QSize(160, 220), screens, standIn), rows[1].placed);
}
