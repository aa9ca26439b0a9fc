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

TEST(CChatListBoxTest, LinesSplitAtTheFirstPercentOnly)
{
    QString title;
    QString text;
    CChatListBox::SplitLine(QStringLiteral("anna%[09:05] 50% done"), title, text);
    EXPECT_EQ(title, QStringLiteral("anna"));
    EXPECT_EQ(text, QStringLiteral("[09:05] 50% done"));
    CChatListBox::SplitLine(QStringLiteral("no title"), title, text);
    EXPECT_EQ(title, QString());
    EXPECT_EQ(text, QStringLiteral("no title"));
    CChatListBox::SplitLine(QStringLiteral("%starts"), title, text);
    EXPECT_EQ(title, QString());
    EXPECT_EQ(text, QStringLiteral("starts"));
}

TEST(CChatListBoxTest, TitleAtTheCornerAndTextTenPixelsAfterItOnePixelLower)
{
    Window w;
    w.list->AddString(QStringLiteral("Someone%The message about nothing..."));
    w.list->viewport()->repaint();
    const QImage shown = w.Shown();
    const QRect item = w.ItemRect(0);
    const QRect title = Box(shown, kTitle, item);
    const QRect text = Box(shown, kText, item);
    ASSERT_FALSE(title.isNull());
    ASSERT_FALSE(text.isNull());
    const int titleWidth = QFontMetrics(Font(14, 700)).horizontalAdvance(QStringLiteral("Someone"));
    EXPECT_LE(title.left(), 2);
    EXPECT_LE(title.right(), titleWidth);
    EXPECT_NEAR(text.left(), titleWidth + 10, 2);
    // The text font's glyphs sit one pixel below where the title font would put them.
    EXPECT_GE(text.top(), item.top() + 1);
    // Character cells are filled with the background colour, not the list's base.
    EXPECT_FALSE(Box(shown, kBack, item).isNull());
}

TEST(CChatListBoxTest, LineWithoutPercentIsAllTextTenPixelsFromTheLeft)
{
    Window w;
    w.list->AddString(QStringLiteral("just text"));
    w.list->viewport()->repaint();
    const QImage shown = w.Shown();
    EXPECT_TRUE(Box(shown, kTitle).isNull());
    EXPECT_NEAR(Box(shown, kText).left(), 10, 2);
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
    w.list->viewport()->repaint();
    const QColor selected(50, 50, 255);
    const QRect item = w.ItemRect(0);
    const int titleWidth = QFontMetrics(Font(14, 700)).horizontalAdvance(QStringLiteral("anna"));
    const QRect titleArea(item.left(), item.top(), titleWidth, item.height());
    const QRect textArea = item.adjusted(titleWidth + 5, 0, 0, 0);
    QImage shown = w.Shown();
    EXPECT_FALSE(Box(shown, selected, titleArea).isNull());
    EXPECT_TRUE(Box(shown, kTitle, titleArea).isNull());
    EXPECT_FALSE(Box(shown, kText, textArea).isNull());
    EXPECT_TRUE(Box(shown, selected, textArea).isNull());

    other.setFocus();
    w.list->viewport()->repaint();
    shown = w.Shown();
    EXPECT_TRUE(Box(shown, selected, titleArea).isNull());
    EXPECT_FALSE(Box(shown, kTitle, titleArea).isNull());
}

TEST(CChatListBoxTest, FixedHeightAppliesToEveryItem)
{
    Window w;
    w.list->SetFixedItemHeight(40);
    w.list->AddString(QStringLiteral("a%short"));
    w.list->AddString(QStringLiteral("b%") + QStringLiteral("long words ").repeated(40));
    EXPECT_EQ(w.ItemRect(0).height(), 40);
    EXPECT_EQ(w.ItemRect(1).height(), 40);
}

TEST(CChatListBoxTest, MeasuredItemsHoldEveryLineOfTheirTextAsDrawn)
{
    Window w(160, 400);
    w.list->AddString(QStringLiteral("a%b"));
    const int oneLine = w.ItemRect(0).height();
    EXPECT_NEAR(oneLine, std::max(QFontMetricsF(Font(14, 700)).height(), QFontMetricsF(Font(13)).height() + 1) + 5, 1);

    // A long title narrows the text column: the text wraps into more lines than the whole
    // string would in the list's width, and still none of them is cut.
    w.list->SetTextStyle(ToColorRef(kText), Font(20));
    w.list->AddString(QString::fromUtf8("Пётр Иванович%") + QString::fromUtf8("слово ").repeated(12));
    w.list->AddString(QStringLiteral("x%y"));
    w.list->viewport()->repaint();
    const QImage shown = w.Shown();
    const QRect item = w.ItemRect(1);
    const QRect text = Box(shown, kText, item);
    ASSERT_FALSE(text.isNull());
    EXPECT_GT(text.height(), 3 * QFontMetrics(Font(20)).height());
    // Room to spare below the last line: it was not cut at the item's edge.
    EXPECT_LE(text.bottom(), item.bottom() - 4);
}

TEST(CChatListBoxTest, LinesMeasuredAgainAfterAFontChangeAreNotCut)
{
    Window w(200, 400);
    w.list->AddString(QString::fromUtf8("Маша%") + QString::fromUtf8("слово ").repeated(10));
    w.list->AddString(QStringLiteral("x%y"));
    w.list->SetTextStyle(ToColorRef(kText), Font(24));
    w.list->RemeasureItems();
    ASSERT_EQ(w.list->GetCount(), 2);
    EXPECT_EQ(w.list->GetText(1), QStringLiteral("x%y"));
    w.list->viewport()->repaint();
    const QRect item = w.ItemRect(0);
    const QRect text = Box(w.Shown(), kText, item);
    ASSERT_FALSE(text.isNull());
    EXPECT_LE(text.bottom(), item.bottom() - 4);
}

TEST(CChatListBoxTest, LongCyrillicLineWrapsAndStaysInsideItsItem)
{
    Window w(180, 300);
    // An item too short for its text: it is cut at the bottom, never painted below.
    w.list->SetFixedItemHeight(45);
    w.list->AddString(QString::fromUtf8("Пётр%") + QString::fromUtf8("Длинная строка разговора без конца ").repeated(6)
                      + QString::fromUtf8("ОченьДлинноеСловоБезПробеловКотороеНеПомещается"));
    w.list->AddString(QString());
    w.list->viewport()->repaint();
    const QImage shown = w.Shown();
    const QRect item = w.ItemRect(0);
    const QRect text = Box(shown, kText);
    ASSERT_FALSE(text.isNull());
    EXPECT_TRUE(item.contains(text)) << "text at " << text.top() << ".." << text.bottom() << ", item " << item.top()
                                     << ".." << item.bottom();
    // Wrapped: more than one line of glyphs.
    EXPECT_GT(text.height(), QFontMetrics(Font(13)).height() + 2);
    EXPECT_LE(text.right(), item.right());
}
