// A window that is larger than its screen's free area is kept inside it,
// scrolling its contents where it had to shrink.

#include "platform/screen_fit.h"

#include <gtest/gtest.h>

namespace {

TEST(ScreenFit, FitInsideMovesTheShortestWayAndShrinksOnlyWhatIsTooLarge) {
    const QRect area(0, 30, 1280, 770);  // a panel across the top
    struct Case {
        const char* what;
        QRect outer;
        QRect fitted;
    } const cases[] = {
        {"inside already", {100, 100, 606, 600}, {100, 100, 606, 600}},
        {"under the top panel", {0, 0, 606, 600}, {0, 30, 606, 600}},
        {"past the right and bottom", {1000, 500, 606, 600}, {674, 200, 606, 600}},
        {"left of the screen", {-50, 100, 606, 600}, {0, 100, 606, 600}},
        {"taller than the area", {100, 40, 606, 1440}, {100, 30, 606, 770}},
        {"larger than the area", {300, 300, 1400, 900}, {0, 30, 1280, 770}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(platform::FitInside(c.outer, area), c.fitted) << c.what;
        EXPECT_TRUE(area.contains(platform::FitInside(c.outer, area))) << c.what;
    }
    // An area on a second screen, right of the first.
    EXPECT_EQ(platform::FitInside({100, 100, 400, 300}, {1280, 0, 1920, 1080}),
              QRect(1280, 100, 400, 300));
}

TEST(ScreenFit, ScrolledSizeAddsTheScrollBarThatAnOverflowBrings) {
    const int bar = 16;
    struct Case {
        const char* what;
        QSize contents;
        QSize room;
        QSize scrolled;
    } const cases[] = {
        {"fits", {606, 700}, {640, 700}, {606, 700}},
        {"too tall, room for the bar", {606, 700}, {640, 350}, {622, 350}},
        {"too tall, the bar makes it too wide", {630, 700}, {640, 350}, {640, 350}},
        {"too wide, room for the bar", {800, 300}, {640, 350}, {640, 316}},
        {"too wide, the bar makes it too tall", {800, 340}, {640, 350}, {640, 350}},
        {"both", {1212, 1440}, {640, 380}, {640, 380}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(platform::ScrolledSize(c.contents, c.room, bar), c.scrolled) << c.what;
}

}  // namespace
