#include "app/TrayIconFlash.h"
#include "support/WaitFor.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<int> Icons(const QSignalSpy& shown)
{
    std::vector<int> icons;
    for (const QList<QVariant>& call : shown)
        icons.push_back(call.first().toInt());
    return icons;
}

} // namespace

// A limited flash makes seven changes after its first icon, then asks for the normal icon; an
// endless one stops at once, and a stopped flash says nothing more.
TEST(TrayIconFlashTest, LimitedFlashRunsOutAndAStoppedOneSaysNothingMore)
{
    TrayIconFlash flash(std::chrono::milliseconds(2));
    QSignalSpy shown(&flash, &TrayIconFlash::ShowIcon);
    QSignalSpy ranOut(&flash, &TrayIconFlash::RanOut);
    flash.Start(165, 128, 6);
    ASSERT_TRUE(WaitFor([&] { return ranOut.count() == 1; }));
    EXPECT_EQ(Icons(shown), (std::vector<int>{165, 128, 165, 128, 165, 128, 165, 128}));
    EXPECT_FALSE(flash.IsRunning());

    shown.clear();
    flash.Start(165, 128, -1);
    ASSERT_TRUE(WaitFor([&] { return shown.count() > 10; }));
    flash.Stop();
    const qsizetype count = shown.count();
    WaitFor([] { return false; }, std::chrono::milliseconds(30));
    EXPECT_EQ(shown.count(), count);
    EXPECT_EQ(ranOut.count(), 1);
}
