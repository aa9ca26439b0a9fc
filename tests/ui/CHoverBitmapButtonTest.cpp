#include "ui/CHoverBitmapButton.h"
#include "res/ResourceLoader.h"

#include <QAccessible>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace {

const QColor kBehind(200, 40, 160);

// A window of an unmistakable colour with one picture button on it.
struct Window {
    QWidget parent;
    CHoverBitmapButton* button;

    Window(int image, int mask, QSize frame)
    {
        parent.resize(100, 60);
        QPalette colours = parent.palette();
        colours.setColor(QPalette::Window, kBehind);
        parent.setPalette(colours);
        parent.setAutoFillBackground(true);
        button = new CHoverBitmapButton(image, mask, frame, &parent);
        button->move(10, 10);
        parent.show();
    }

    QImage Shown() { return parent.grab(button->geometry()).toImage().convertToFormat(QImage::Format_RGB32); }
};

// What frame i must look like over the window: image where the mask is 0, window AND
// image where it is 1.
QImage Expected(int imageId, int maskId, QSize frame, int i)
{
    const QImage image = LoadBitmapResource(imageId).convertToFormat(QImage::Format_RGB32);
    const QImage mask = LoadBitmapResource(maskId).convertToFormat(QImage::Format_RGB32);
    QImage out(frame, QImage::Format_RGB32);
    for (int y = 0; y < frame.height(); ++y) {
        for (int x = 0; x < frame.width(); ++x) {
            const QRgb pixel = image.pixel(i * frame.width() + x, y);
            const bool through = qGray(mask.pixel(i * frame.width() + x, y)) > 127;
            out.setPixel(x, y, through ? (pixel & kBehind.rgb()) : pixel);
        }
    }
    return out;
}

int CountBehind(const QImage& image)
{
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            n += image.pixel(x, y) == kBehind.rgb();
    return n;
}

} // namespace

TEST(CHoverBitmapButtonTest, RestingButtonShowsFrameZeroWithTheWindowBehindItsMask)
{
    Window window(138, 139, QSize(31, 31));
    EXPECT_EQ(window.button->size(), QSize(31, 31));
    const QImage shown = window.Shown();
    EXPECT_EQ(shown, Expected(138, 139, QSize(31, 31), 0));
    EXPECT_GT(CountBehind(shown), 100); // the transparent corners really are transparent
}

TEST(CHoverBitmapButtonTest, HoverShowsTheThirdFrameAndLeavingReturnsToTheFirst)
{
    Window window(154, 152, QSize(31, 24));
    QMouseEvent move(QEvent::MouseMove, QPointF(5, 5), QPointF(15, 15), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(window.button, &move);
    EXPECT_EQ(window.button->State(), CHoverBitmapButton::kHovered);
    EXPECT_EQ(window.Shown(), Expected(154, 152, QSize(31, 24), 2));

    QMouseEvent outside(QEvent::MouseMove, QPointF(40, 5), QPointF(50, 15), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(window.button, &outside);
    EXPECT_EQ(window.button->State(), CHoverBitmapButton::kNormal);
    EXPECT_EQ(window.Shown(), Expected(154, 152, QSize(31, 24), 0));

    window.button->SetHover(true);
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(window.button, &leave);
    EXPECT_EQ(window.button->State(), CHoverBitmapButton::kNormal);
}

TEST(CHoverBitmapButtonTest, PressShowsTheSecondFrameUntilReleaseAndClicks)
{
    Window window(141, 142, QSize(30, 30));
    QSignalSpy clicked(window.button, &QPushButton::clicked);
    QTest::mousePress(window.button, Qt::LeftButton, {}, QPoint(15, 15));
    EXPECT_EQ(window.Shown(), Expected(141, 142, QSize(30, 30), 1));
    // Moving while held changes nothing.
    QMouseEvent move(QEvent::MouseMove, QPointF(16, 16), QPointF(26, 26), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window.button, &move);
    EXPECT_EQ(window.button->State(), CHoverBitmapButton::kPressed);
    QTest::mouseRelease(window.button, Qt::LeftButton, {}, QPoint(15, 15));
    EXPECT_EQ(clicked.count(), 1);
    EXPECT_NE(window.button->State(), CHoverBitmapButton::kPressed);
}

TEST(CHoverBitmapButtonTest, KeyboardFocusLightsTheButtonAndSpaceClicksIt)
{
    Window window(186, 187, QSize(15, 15));
    window.parent.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window.parent));
    window.button->setFocus();
    EXPECT_EQ(window.button->State(), CHoverBitmapButton::kHovered);
    EXPECT_EQ(window.Shown(), Expected(186, 187, QSize(15, 15), 2));

    QSignalSpy clicked(window.button, &QPushButton::clicked);
    QTest::keyPress(window.button, Qt::Key_Space);
    EXPECT_EQ(window.Shown(), Expected(186, 187, QSize(15, 15), 1));
    QTest::keyRelease(window.button, Qt::Key_Space);
    EXPECT_EQ(clicked.count(), 1);

    window.button->clearFocus();
    EXPECT_EQ(window.button->State(), CHoverBitmapButton::kNormal);
}

TEST(CHoverBitmapButtonTest, ScreenReadersSeeAPushButtonWithItsName)
{
    Window window(188, 189, QSize(15, 15));
    window.button->setAccessibleName(QStringLiteral("Text colour"));
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(window.button);
    ASSERT_NE(accessible, nullptr);
    EXPECT_EQ(accessible->role(), QAccessible::Button);
    EXPECT_EQ(accessible->text(QAccessible::Name), QStringLiteral("Text colour"));
}

TEST(CHoverBitmapButtonTest, SetBitmapsSwitchesThePictureAndResetHoverRepaintsRest)
{
    Window window(191, 192, QSize(15, 15));
    window.button->SetHover(true);
    window.button->SetBitmaps(195, 193);
    EXPECT_EQ(window.button->State(), CHoverBitmapButton::kNormal);
    EXPECT_EQ(window.button->size(), QSize(15, 15));
    EXPECT_EQ(window.Shown(), Expected(195, 193, QSize(15, 15), 0));

    // A button that is not hovering still goes back to frame 0.
    window.button->ResetHover();
    EXPECT_EQ(window.button->State(), CHoverBitmapButton::kNormal);
    window.button->SetHover(true);
    window.button->ResetHover();
    EXPECT_EQ(window.Shown(), Expected(195, 193, QSize(15, 15), 0));
}

TEST(CHoverBitmapButtonTest, AStripWiderThanThreeFramesShowsOnlyItsFrames)
{
    // The Close strip is 101 x 34 for frames of 33 x 33.
    Window window(158, 159, QSize(33, 33));
    window.button->resize(60, 60); // the button keeps one frame's size
    EXPECT_EQ(window.button->size(), QSize(33, 33));
    window.button->SetHover(true);
    EXPECT_EQ(window.Shown(), Expected(158, 159, QSize(33, 33), 2));
}

TEST(CHoverBitmapButtonTest, AMissingBitmapDrawsNothingButTheWindow)
{
    Window window(4242, 4243, QSize(15, 15));
    EXPECT_EQ(CountBehind(window.Shown()), 15 * 15);
}
