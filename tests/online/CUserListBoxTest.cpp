#include "online/CUserListBox.h"
#include "prefs/FontRecord.h"
#include "res/ResourceLoader.h"
#include "support/QtPrinters.h"

#include <QTest>

#include <gtest/gtest.h>

namespace {

// The user list in a window, with "All" and one user whose name looks like markup.
struct Window {
    QWidget window;
    CUserListBox* list;

    Window()
    {
        window.resize(220, 200);
        list = new CUserListBox(&window);
        list->setGeometry(0, 0, 200, 150);
        list->AddString(QStringLiteral("anna<b>!</b>"));
        list->AddString(QStringLiteral("All"));
        list->ShowIcons(true);
        window.show();
        window.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
    }

    QImage Item(int index)
    {
        const QRect rect = list->visualItemRect(list->item(index));
        return list->viewport()->grab(rect).toImage().convertToFormat(QImage::Format_RGB32);
    }
};

// Leftmost and rightmost columns that hold a pixel of the colour.
std::pair<int, int> Span(const QImage& image, QColor colour)
{
    int left = image.width();
    int right = -1;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) == colour.rgb()) {
                left = std::min(left, x);
                right = std::max(right, x);
            }
    return {left, right};
}

// Whether the icon's opaque pixels are drawn at (0, 3) of the item.
bool ShowsIcon(const QImage& item, int id)
{
    const QImage icon = LoadIconResource(id).pixmap(16, 16).toImage().convertToFormat(QImage::Format_ARGB32);
    int opaque = 0;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            if (qAlpha(icon.pixel(x, y)) == 255) {
                ++opaque;
                if ((item.pixel(x, y + 3) & 0xFFFFFF) != (icon.pixel(x, y) & 0xFFFFFF))
                    return false;
            }
    return opaque > 50;
}

} // namespace

// The name starts at 18 with or without icons, in the chosen colour and font, drawn as the
// plain text it is; the item grows with the font.
TEST(CUserListBoxTest, ChosenColourAndFontReachTheNameAsPlainText)
{
    Window w;
    const QColor red(200, 0, 0);
    for (int pixels : {12, 24}) {
        const QFont font = FontRecord{.height = -pixels, .weight = 700, .face = QStringLiteral("Arial Cyr")}.ToQFont();
        w.list->SetTextAppearance(ToColorRef(red), font);
        w.list->viewport()->repaint();
        const auto [left, right] = Span(w.Item(1), red);
        EXPECT_GE(left, 18);
        EXPECT_LE(left, 20);
        EXPECT_NEAR(right - left, QFontMetrics(font).horizontalAdvance(QStringLiteral("anna<b>!</b>")), pixels / 2)
            << pixels;
        EXPECT_GE(w.list->GetItemHeight(0), 3 + QFontMetrics(font).height());
    }
    w.list->ShowIcons(false);
    w.list->viewport()->repaint();
    EXPECT_FALSE(ShowsIcon(w.Item(1), 130));
    EXPECT_GE(Span(w.Item(1), red).first, 18);
}

// A user in the chat room shows its icon whether selected and focused or not.
TEST(CUserListBoxTest, UserInTheChatRoomShowsItsIconSelectedOrNot)
{
    Window w;
    w.list->SetItemState(1, CUserListBox::ITEM_IN_CHAT);
    EXPECT_EQ(w.list->GetItemData(1), 2u);
    EXPECT_TRUE(ShowsIcon(w.Item(1), 167));
    w.list->SetCurSel(1);
    w.list->setFocus();
    w.list->viewport()->repaint();
    EXPECT_TRUE(ShowsIcon(w.Item(1), 167));
    EXPECT_TRUE(ShowsIcon(w.Item(0), 130));
    w.list->SetItemState(1, CUserListBox::ITEM_ONLINE);
    EXPECT_EQ(w.list->GetItemData(1), 0u);
}
