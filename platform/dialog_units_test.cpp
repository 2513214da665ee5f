#include "platform/dialog_units.h"

#include <gtest/gtest.h>

namespace platform {
namespace {

TEST(ScaleRounded, RoundsHalvesAwayFromZero) {
    struct Case {
        int a, b, c, expected;
    } cases[] = {
        {10, 6, 4, 15}, {11, 6, 4, 17},
        {1, 6, 4, 2},   {3, 13, 8, 5},
        {-1, 6, 4, -2}, {0, 7, 4, 0},
        {5, 7, 0, 0},   {1000000, 3000, 4000, 750000},  // the product does not overflow int
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ScaleRounded(c.a, c.b, c.c), c.expected) << c.a << "*" << c.b << "/" << c.c;
    }
}

TEST(DialogUnitConverter, ConvertsEdgesFromTheBaseUnits) {
    // A font 6 pixels wide on average and 13 high: 4 x-units are 6 px,
    // 8 y-units 13 px.
    DialogUnitConverter units(DialogBaseUnits{6, 13});
    EXPECT_EQ(units.ToPixelsX(4), 6);
    EXPECT_EQ(units.ToPixelsY(8), 13);
    EXPECT_EQ(units.ToPixels(345, 157), QSize(518, 255));
    // Two controls that touch in dialog units touch in pixels, whatever the rounding.
    const QRect left = units.ToPixels(DialogRect{13, 10, 99, 12});
    const QRect right = units.ToPixels(DialogRect{112, 10, 52, 12});
    EXPECT_EQ(left.right() + 1, right.left());
    EXPECT_EQ(left, QRect(20, 16, 148, 20));
}

}  // namespace
}  // namespace platform
