#include "online/COnlineDialog.h"
#include "prefs/CRegistry.h"
#include "support/QtPrinters.h"
#include "ui/CHoverBitmapButton.h"

#include <QGuiApplication>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

namespace {

// The frame as the window manager has it, once it has stopped moving for a moment.
QRect SettledFrame(const QWidget& window)
{
    QRect last;
    int still = 0;
    for (int i = 0; i < 200 && still < 4; ++i) {
        QTest::qWait(25);
        const QRect now = window.frameGeometry();
        still = now == last ? still + 1 : 0;
        last = now;
    }
    return last;
}

} // namespace

// Ten rounds of pin on and off, close and restart leave the frame where it was, to the pixel.
TEST(OnlinePlacementX11Test, TenClosesRestartsAndPinsLeaveTheFrameWhereItWas)
{
    if (QGuiApplication::platformName() != QStringLiteral("xcb"))
        GTEST_SKIP() << "needs X11 with a window manager (with-xvfb.sh, WITH_WM=1)";
    QTemporaryDir dir;
    CRegistry registry(dir.filePath(QStringLiteral("registry.reg")));
    const auto start = [&] {
        auto window = std::make_unique<COnlineDialog>(registry);
        window->ShowPlaced();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(window.get(), 15000));
        return window;
    };
    auto window = start();
    const QRect area = window->screen()->availableGeometry();
    const QRect first = SettledFrame(*window);
    EXPECT_TRUE(area.contains(first)) << testing::PrintToString(first) << " in " << testing::PrintToString(area);

    window->setGeometry(QRect(QPoint(300, 200), window->size() + QSize(30, 60)));
    const QRect placed = SettledFrame(*window);
    for (int round = 0; round < 10; ++round) {
        auto* pin = window->findChild<CHoverBitmapButton*>(QStringLiteral("1012"));
        pin->click();
        EXPECT_EQ(SettledFrame(*window), placed) << "pinned, round " << round;
        pin->click();
        EXPECT_EQ(SettledFrame(*window), placed) << "unpinned, round " << round;
        QTest::keyClick(window.get(), Qt::Key_Escape);
        ASSERT_FALSE(window->isVisible());
        window = start();
        ASSERT_EQ(SettledFrame(*window), placed) << "restart " << round;
    }
}
