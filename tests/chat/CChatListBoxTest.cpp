#include "chat/CChatListBox.h"
#include "prefs/FontRecord.h"
#include "support/QtPrinters.h"

#include <QTest>

#include <gtest/gtest.h>

#include <cmath>

namespace {

const QColor kTitle(200, 0, 0);
const QColor kText(0, 130, 0);
const QColor kBack(250, 250, 235);

QFont Font(int pixels, int weight = 400)
{
    return FontRecord{.height = -pixels, .weight = weight, .face = QStringLiteral("Arial Cyr")}.ToQFont();
}

// A chat list in a window, styled with the colours above.
struct Window {
    QWidget window;
    CChatListBox* list;

    explicit Window(int width = 300, int height = 200)
    {
        window.resize(width + 20, height + 20);
        list = new CChatListBox(&window);
        list->setGeometry(0, 0, width, height);
        list->setFrameShape(QFrame::NoFrame);
        list->SetTitleStyle(ToColorRef(kTitle), Font(14, 700));
        list->SetTextStyle(ToColorRef(kText), Font(13));
        list->SetBackgroundColor(ToColorRef(kBack));
        window.show();
        window.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
    }

    // Items added to a shown list are laid out on the next turn of the event loop.
    QImage Shown()
    {
        QCoreApplication::processEvents();
        return list->viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    }
    QRect ItemRect(int index)
    {
        QCoreApplication::processEvents();
        return list->visualItemRect(list->item(index));
    }
};

// Whether an antialiased pixel is more than half ink of the colour over the background.
bool IsInk(QRgb pixel, QColor ink)
{
    const int dr = ink.red() - kBack.red();
    const int dg = ink.green() - kBack.green();
    const int db = ink.blue() - kBack.blue();
    const int pr = qRed(pixel) - kBack.red();
    const int pg = qGreen(pixel) - kBack.green();
    const int pb = qBlue(pixel) - kBack.blue();
    const double along = static_cast<double>(pr * dr + pg * dg + pb * db) / (dr * dr + dg * dg + db * db);
    const double off = std::hypot(pr - along * dr, pg - along * dg, pb - along * db);
    return along > 0.5 && off < 40;
}

// Bounding box of the pixels drawn in one colour (null when there is none).
QRect Box(const QImage& image, QColor colour, QRect area = {})
{
    const QRect within = area.isNull() ? image.rect() : area.intersected(image.rect());
    QRect box;
    for (int y = within.top(); y <= within.bottom(); ++y)
        for (int x = within.left(); x <= within.right(); ++x)
            if (colour == kBack ? image.pixel(x, y) == kBack.rgb() : IsInk(image.pixel(x, y), colour))
                box |= QRect(x, y, 1, 1);
    return box;
}

} // namespace

// The title at the item's corner, the text ten pixels after it and one pixel lower, both drawn
// as the plain text they are; a line without a title is all text, ten pixels from the left.
TEST(CChatListBoxTest, TitleAtTheCornerAndTextTenPixelsAfterIt)
{
    Window w;
    w.list->AddString(QStringLiteral("<b>Ann</b>%<b>The message</b>"));
    w.list->AddString(QStringLiteral("just text"));
    w.list->viewport()->repaint();
    const QImage shown = w.Shown();
    const QRect item = w.ItemRect(0);
    const QRect title = Box(shown, kTitle, item);
    const QRect text = Box(shown, kText, item);
    ASSERT_FALSE(title.isNull());
    ASSERT_FALSE(text.isNull());
    const int titleWidth = QFontMetrics(Font(14, 700)).horizontalAdvance(QStringLiteral("<b>Ann</b>"));
    EXPECT_LE(title.left(), 2);
    EXPECT_NEAR(title.right(), titleWidth, 3);
    EXPECT_NEAR(text.width(), QFontMetrics(Font(13)).horizontalAdvance(QStringLiteral("<b>The message</b>")), 3);
    EXPECT_NEAR(text.left(), titleWidth + 10, 2);
    EXPECT_GE(text.top(), item.top() + 1);
    EXPECT_FALSE(Box(shown, kBack, item).isNull()); // cells are filled with the background colour

    const QRect second = w.ItemRect(1);
    EXPECT_TRUE(Box(shown, kTitle, second).isNull());
    EXPECT_NEAR(Box(shown, kText, second).left(), 10, 2);
}

TEST(CChatListBoxTest, SelectedTitleTurnsBlueOnlyWhileTheListHasFocus)
{
    Window w;
    QWidget other(&w.window);
    other.setFocusPolicy(Qt::StrongFocus);
    other.setGeometry(0, 210, 5, 5);
    other.show();
    w.list->AddString(QStringLiteral("anna%hello"));
    w.list->SetCurSel(0);
    w.list->setFocus();
    const QColor selected(50, 50, 255);
    const QRect item = w.ItemRect(0);
    const int titleWidth = QFontMetrics(Font(14, 700)).horizontalAdvance(QStringLiteral("anna"));
    const QRect titleArea(item.left(), item.top(), titleWidth, item.height());
    for (bool focused : {true, false}) {
        (focused ? static_cast<QWidget*>(w.list) : &other)->setFocus();
        w.list->viewport()->repaint();
        const QImage shown = w.Shown();
        EXPECT_EQ(Box(shown, selected, titleArea).isNull(), !focused);
        EXPECT_EQ(Box(shown, kTitle, titleArea).isNull(), focused);
        EXPECT_TRUE(Box(shown, selected, item.adjusted(titleWidth + 5, 0, 0, 0)).isNull());
    }
}

// A fixed height applies to every item; a text too long for it wraps and is cut at the item's
// bottom, never painted below it.
TEST(CChatListBoxTest, FixedHeightAppliesToEveryItemAndCutsInsideIt)
{
    Window w(180, 300);
    w.list->SetFixedItemHeight(45);
    w.list->AddString(QString::fromUtf8("Пётр%") + QString::fromUtf8("Длинная строка разговора без конца ").repeated(6)
                      + QString::fromUtf8("ОченьДлинноеСловоБезПробеловКотороеНеПомещается"));
    w.list->AddString(QString());
    w.list->viewport()->repaint();
    const QImage shown = w.Shown();
    const QRect item = w.ItemRect(0);
    EXPECT_EQ(item.height(), 45);
    EXPECT_EQ(w.ItemRect(1).height(), 45);
    const QRect text = Box(shown, kText);
    ASSERT_FALSE(text.isNull());
    EXPECT_TRUE(item.contains(text));
    EXPECT_GT(text.height(), QFontMetrics(Font(13)).height() + 2); // wrapped: more than one line
}

// Measured items hold every line of their text as drawn, also when a long title narrows the
// text column and after a font change.
TEST(CChatListBoxTest, MeasuredItemsHoldEveryLineOfTheirTextAsDrawn)
{
    Window w(160, 400);
    w.list->AddString(QStringLiteral("a%b"));
    EXPECT_NEAR(w.ItemRect(0).height(),
                std::max(QFontMetricsF(Font(14, 700)).height(), QFontMetricsF(Font(13)).height() + 1) + 5, 1);
    w.list->AddString(QString::fromUtf8("Пётр Иванович%") + QString::fromUtf8("слово ").repeated(12));
    w.list->AddString(QStringLiteral("x%y"));
    for (bool remeasured : {false, true}) {
        if (remeasured) {
            w.list->SetTextStyle(ToColorRef(kText), Font(24));
            w.list->RemeasureItems();
            ASSERT_EQ(w.list->GetCount(), 3);
            EXPECT_EQ(w.list->GetText(2), QStringLiteral("x%y"));
        }
        w.list->viewport()->repaint();
        const QRect item = w.ItemRect(1);
        const QRect text = Box(w.Shown(), kText, item);
        ASSERT_FALSE(text.isNull());
        EXPECT_GT(text.height(), 3 * QFontMetrics(Font(13)).height());
        EXPECT_LE(text.bottom(), item.bottom() - 4) << "remeasured " << remeasured; // not cut at the edge
    }
}
