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
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&window));
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

// Whether an antialiased pixel is nearer the ink than the background or the other ink.
bool IsInk(QRgb pixel, QColor ink)
{
    const auto away = [pixel](QColor c) {
        return std::hypot(qRed(pixel) - c.red(), qGreen(pixel) - c.green(), qBlue(pixel) - c.blue());
    };
    return away(ink) < away(kBack) && away(ink) <= std::min(away(kTitle), away(kText));
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

// Measured items hold every wrapped line of their text, also when a long title narrows the
// text column and after a font change; a fixed height cuts a longer text inside its item.
TEST(CChatListBoxTest, ItemsHoldTheirWrappedTextOrCutItInsideAFixedHeight)
{
    Window w(160, 400);
    w.list->AddString(QStringLiteral("a%b"));
    EXPECT_NEAR(w.ItemRect(0).height(),
                std::max(QFontMetricsF(Font(14, 700)).height(), QFontMetricsF(Font(13)).height() + 1) + 5, 1);
    w.list->AddString(QString::fromUtf8("Пётр Иванович%") + QString::fromUtf8("слово ").repeated(12)
                      + QString::fromUtf8("ОченьДлинноеСловоБезПробелов"));
    for (int pass = 0; pass < 3; ++pass) {
        SCOPED_TRACE(pass);
        if (pass == 1) {
            w.list->SetTextStyle(ToColorRef(kText), Font(24));
            w.list->RemeasureItems();
        } else if (pass == 2) {
            w.list->SetFixedItemHeight(45);
        }
        w.list->viewport()->repaint();
        const QRect item = w.ItemRect(1);
        const QRect text = Box(w.Shown(), kText, QRect(item.topLeft(), QPoint(item.right(), 399)));
        ASSERT_FALSE(text.isNull());
        EXPECT_GT(text.height(), 2 * QFontMetrics(Font(13)).height()); // wrapped
        EXPECT_LE(text.bottom(), item.bottom() - (pass == 2 ? 0 : 4));
    }
    EXPECT_EQ(w.ItemRect(0).height(), 45);
    EXPECT_EQ(w.ItemRect(1).height(), 45);
}
