#include "online/PlaceOnlineWindow.h"

#include <gtest/gtest.h>

namespace {
const QList<QRect> kTwoScreens = {QRect(0, 0, 1280, 776), QRect(1280, 0, 1920, 1080)};
}

TEST(PlaceOnlineWindowTest, FirstShowGoesToTheLowerRightCornerOfTheFirstWorkArea)
{
    EXPECT_EQ(PlaceOnlineWindow(std::nullopt, QSize(160, 220), kTwoScreens), QRect(1116, 556, 160, 220));
}

TEST(PlaceOnlineWindowTest, StoredPlacementOnAnyScreenIsKeptAsItWas)
{
    const QRect onSecond(1500, 300, 200, 400);
    EXPECT_EQ(PlaceOnlineWindow(onSecond, QSize(160, 220), kTwoScreens), onSecond);
    const QRect straddling(1200, 10, 200, 300);
    EXPECT_EQ(PlaceOnlineWindow(straddling, QSize(160, 220), kTwoScreens), straddling);
}

TEST(PlaceOnlineWindowTest, PlacementOffEveryScreenMovesOntoTheNearestOneKeepingItsSize)
{
    // Left where a third monitor used to be, to the right of the second.
    EXPECT_EQ(PlaceOnlineWindow(QRect(3400, 500, 200, 400), QSize(160, 220), kTwoScreens), QRect(3000, 500, 200, 400));
    // Far above the first screen.
    EXPECT_EQ(PlaceOnlineWindow(QRect(100, -900, 200, 400), QSize(160, 220), kTwoScreens), QRect(100, 0, 200, 400));
}
