#include "ui/CHoverBitmapButton.h"
#include "res/ResourceLoader.h"

#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

const QColor kBehind(200, 40, 160);

// A window of an unmistakable colour with one picture button on it.
struct Window {
    QWidget parent;
    CHoverBitmapButton* button;

    Window(int image, int mask, QSize frame, QColor behind = kBehind, QColor text = Qt::black)
    {
        parent.resize(100, 60);
        QPalette colours = parent.palette();
        colours.setColor(QPalette::Window, behind);
        colours.setColor(QPalette::WindowText, text);
        parent.setPalette(colours);
        parent.setAutoFillBackground(true);
        button = new CHoverBitmapButton(image, mask, frame, &parent);
        button->move(10, 10);
        parent.show();
    }

    QImage Shown() { return parent.grab(button->geometry()).toImage().convertToFormat(QImage::Format_RGB32); }

    // What frame i must look like: image where the mask is 0, window AND image where it is 1.
    static QImage Expected(int imageId, int maskId, QSize frame, int i, QColor behind = kBehind)
    {
        const QImage image = LoadBitmapResource(imageId).convertToFormat(QImage::Format_RGB32);
        const QImage mask = LoadBitmapResource(maskId).convertToFormat(QImage::Format_RGB32);
        QImage out(frame, QImage::Format_RGB32);
        for (int y = 0; y < frame.height(); ++y) {
            for (int x = 0; x < frame.width(); ++x) {
                const QRgb pixel = image.pixel(i * frame.width() + x, y);
                const bool through = qGray(mask.pixel(i * frame.width() + x, y)) > 127;
                out.setPixel(x, y, through ? (pixel & behind.rgb()) : pixel);
            }
        }
        return out;
    }
};

// Of the pixels drawn next to the window (the picture's outline), the share that stands out
// from it: at least a third of the scale of greys apart.
double ShareInContrast(const QImage& shown, QColor behind)
{
    const auto isWindow = [&](int x, int y) {
        return shown.rect().contains(x, y) && (shown.pixel(x, y) & 0xFFFFFF) == (behind.rgb() & 0xFFFFFF);
    };
    int drawn = 0;
    int standing = 0;
    for (int y = 0; y < shown.height(); ++y)
        for (int x = 0; x < shown.width(); ++x)
            if (!isWindow(x, y)
                && (isWindow(x - 1, y) || isWindow(x + 1, y) || isWindow(x, y - 1) || isWindow(x, y + 1))) {
                ++drawn;
                standing += std::abs(qGray(shown.pixel(x, y)) - qGray(behind.rgb())) >= 85;
            }
    return drawn ? static_cast<double>(standing) / drawn : 0;
}

void Move(QWidget* button, QPoint to, Qt::MouseButtons held = Qt::NoButton)
{
    QMouseEvent move(QEvent::MouseMove, to, button->mapToGlobal(to), Qt::NoButton, held, Qt::NoModifier);
    QApplication::sendEvent(button, &move);
}

} // namespace

// Frames: rest 0, pressed 1, hovered 2, the window behind the mask; leaving, losing the focus or
// ResetHover bring back rest; a release or Space clicks. The Close strip is wider than 3 frames.
TEST(CHoverBitmapButtonTest, MouseAndKeyboardLightPressAndClickTheButtonShowingItsFrames)
{
    Window window(186, 187, QSize(15, 15));
    CHoverBitmapButton* button = window.button;
    const auto shows = [&](int image, int mask, int frame) {
        return window.Shown() == Window::Expected(image, mask, window.button->size(), frame);
    };
    QSignalSpy clicked(button, &QPushButton::clicked);
    EXPECT_TRUE(shows(186, 187, 0));
    Move(button, {5, 5});
    EXPECT_TRUE(shows(186, 187, 2));
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(button, &leave);
    EXPECT_EQ(button->State(), CHoverBitmapButton::kNormal);
    QTest::mousePress(button, Qt::LeftButton, {}, QPoint(7, 7));
    Move(button, {8, 8}, Qt::LeftButton);
    EXPECT_TRUE(shows(186, 187, 1));
    QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(7, 7));
    EXPECT_EQ(clicked.count(), 1);

    window.parent.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window.parent));
    button->setFocus();
    EXPECT_EQ(button->State(), CHoverBitmapButton::kHovered);
    QTest::keyPress(button, Qt::Key_Space);
    EXPECT_TRUE(shows(186, 187, 1));
    QTest::keyRelease(button, Qt::Key_Space);
    EXPECT_EQ(clicked.count(), 2);
    button->clearFocus();
    EXPECT_EQ(button->State(), CHoverBitmapButton::kNormal);
    button->SetHover(true);
    button->SetBitmaps(195, 193);
    button->ResetHover();
    EXPECT_TRUE(shows(195, 193, 0));

    Window close(158, 159, QSize(33, 33));
    close.button->resize(60, 60); // the button keeps one frame's size
    close.button->SetHover(true);
    EXPECT_EQ(close.Shown(), Window::Expected(158, 159, QSize(33, 33), 2));
    Window missing(4242, 4243, QSize(15, 15));
    QImage behind(15, 15, QImage::Format_RGB32);
    behind.fill(kBehind);
    EXPECT_EQ(missing.Shown(), behind);
}

// On a dark palette the dark outlines of the pictures at rest turn light; colours inside stay.
TEST(CHoverBitmapButtonTest, OnADarkPaletteThePicturesAtRestKeepTheirContrast)
{
    const QColor dark(0x30, 0x30, 0x30);
    for (const auto& [image, mask, side] :
         {std::tuple(186, 187, 15), std::tuple(195, 193, 15), std::tuple(138, 139, 31)}) {
        SCOPED_TRACE(image);
        const QSize frame(side, side);
        EXPECT_LT(ShareInContrast(Window::Expected(image, mask, frame, 0, dark), dark), 0.5); // as drawn
        Window window(image, mask, frame, dark, QColor(0xF0, 0xF0, 0xF0));
        EXPECT_GT(ShareInContrast(window.Shown(), dark), 0.7);
        window.button->SetHover(true); // the raised frame has its own light face
        EXPECT_EQ(window.Shown(), Window::Expected(image, mask, frame, 2, dark));
    }
}
