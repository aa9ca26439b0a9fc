#include "ui/CHoverBitmapButton.h"
#include "res/ResourceLoader.h"

#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace {

const QColor kBehind(200, 40, 160);
constexpr int kSide = 15;

// A window of an unmistakable colour with one picture button on it.
struct Window {
    QWidget parent;
    CHoverBitmapButton* button;

    Window(int image, int mask)
    {
        parent.resize(100, 60);
        QPalette colours = parent.palette();
        colours.setColor(QPalette::Window, kBehind);
        parent.setPalette(colours);
        parent.setAutoFillBackground(true);
        button = new CHoverBitmapButton(image, mask, QSize(kSide, kSide), &parent);
        button->move(10, 10);
        parent.show();
    }

    QImage Shown() { return parent.grab(button->geometry()).toImage().convertToFormat(QImage::Format_RGB32); }

    // What frame i must look like: image where the mask is 0, window AND image where it is 1.
    static QImage Expected(int imageId, int maskId, int i)
    {
        const QImage image = LoadBitmapResource(imageId).convertToFormat(QImage::Format_RGB32);
        const QImage mask = LoadBitmapResource(maskId).convertToFormat(QImage::Format_RGB32);
        QImage out(kSide, kSide, QImage::Format_RGB32);
        for (int y = 0; y < kSide; ++y) {
            for (int x = 0; x < kSide; ++x) {
                const QRgb pixel = image.pixel(i * kSide + x, y);
                const bool through = qGray(mask.pixel(i * kSide + x, y)) > 127;
                out.setPixel(x, y, through ? (pixel & kBehind.rgb()) : pixel);
            }
        }
        return out;
    }
};

void Move(QWidget* button, QPoint to, Qt::MouseButtons held = Qt::NoButton)
{
    QMouseEvent move(QEvent::MouseMove, to, button->mapToGlobal(to), Qt::NoButton, held, Qt::NoModifier);
    QApplication::sendEvent(button, &move);
}

} // namespace

// Rest 0, hovered 2, pressed 1, the window behind the mask; a release or Space clicks.
TEST(CHoverBitmapButtonTest, MouseAndSpaceClickTheButtonShowingItsFrames)
{
    Window window(186, 187);
    CHoverBitmapButton* button = window.button;
    QSignalSpy clicked(button, &QPushButton::clicked);
    EXPECT_EQ(window.Shown(), Window::Expected(186, 187, 0));
    Move(button, {5, 5});
    EXPECT_EQ(window.Shown(), Window::Expected(186, 187, 2));
    QTest::mousePress(button, Qt::LeftButton, {}, QPoint(7, 7));
    Move(button, {8, 8}, Qt::LeftButton);
    EXPECT_EQ(window.Shown(), Window::Expected(186, 187, 1));
    QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(7, 7));
    EXPECT_EQ(clicked.count(), 1);
    QTest::keyPress(button, Qt::Key_Space);
    EXPECT_EQ(window.Shown(), Window::Expected(186, 187, 1));
    QTest::keyRelease(button, Qt::Key_Space);
    EXPECT_EQ(clicked.count(), 2);
    button->SetHover(true);
    button->SetBitmaps(195, 193);
    EXPECT_EQ(window.Shown(), Window::Expected(195, 193, 0));
}
