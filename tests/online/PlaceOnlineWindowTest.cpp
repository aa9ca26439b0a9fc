#include "online/PlaceOnlineWindow.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

// Two work areas side by side. The first show goes to the first area's lower right corner; a
// placement on any screen stays; one off every screen moves onto the nearest, keeping its size.
TEST(PlaceOnlineWindowTest, PlacesTheFirstShowAndKeepsOrMovesAStoredPlacement)
{
    const QList<QRect> screens = {QRect(0, 0, 1280, 776), QRect(1280, 0, 1920, 1080)};
    const struct {
        std::optional<QRect> stored;
        QRect placed;
    } rows[] = {
        {std::nullopt, {1116, 556, 160, 220}},
        {QRect(1500, 300, 200, 400), {1500, 300, 200, 400}}, // on the second screen
        {QRect(1200, 10, 200, 300), {1200, 10, 200, 300}}, // straddling both
        {QRect(3400, 500, 200, 400), {3000, 500, 200, 400}}, // where a third screen used to be
        {QRect(100, -900, 200, 400), {100, 0, 200, 400}}, // far above the first
    };
    for (const auto& row : rows)
        EXPECT_EQ(PlaceOnlineWindow(row.stored, QSize(160, 220), screens), row.placed)
            << testing::PrintToString(row.placed);
}
