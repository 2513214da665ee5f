// The drawer opens on the screen that holds the main window, beside it
// wherever the screen is wide enough for both.

#include "app/drawer/drawer_placement.h"

#include <gtest/gtest.h>

namespace {

struct PlacementCase {
    const char* what;
    QRect frame;
    QRect screen;
    bool mayMoveFrame;
    QPoint frameAt;
    QPoint drawerAt;
};

TEST(DrawerPlacement, BesideTheFrameMovingItWhereOnlyThatMakesRoom) {
    const QSize drawer(380, 560);
    const QRect wide(0, 0, 1920, 1080);
    const QRect laptop(0, 0, 1280, 800);
    const QRect small(0, 0, 800, 600);
    const QRect second(1280, 0, 1280, 800);  // right of a first screen
    const PlacementCase cases[] = {
        {"room on the right", {100, 50, 700, 650}, wide, true, {100, 50}, {800, 74}},
        {"centred at 1920", {657, 40, 606, 700}, wide, true, {657, 40}, {1263, 64}},
        {"right edge exactly reached", {0, 50, 900, 650}, laptop, true, {0, 50}, {900, 74}},
        {"no room right, room left", {700, 40, 526, 700}, laptop, true, {700, 40}, {320, 64}},
        // The window as it opens at 1280x800: the drawer used to cover it.
        {"centred at 1280", {337, 40, 606, 700}, laptop, true, {294, 40}, {900, 64}},
        {"nearer the left move", {360, 40, 606, 700}, laptop, true, {380, 40}, {0, 64}},
        {"frame that must stay", {337, 40, 606, 700}, laptop, false, {337, 40}, {563, 64}},
        {"screen narrower than both", {100, 40, 606, 500}, small, true, {100, 40}, {326, 40}},
        {"frame low on the screen", {100, 400, 700, 650}, laptop, true, {100, 400}, {800, 240}},
        {"second screen, centred", {1617, 40, 606, 700}, second, true, {1574, 40}, {2180, 64}},
        {"second screen, no room right",
         {1800, 40, 526, 700},
         second,
         true,
         {1800, 40},
         {1420, 64}},
        {"frame above the screen's top",
         {100, -100, 526, 700},
         laptop,
         true,
         {100, -100},
         {626, 0}},
    };
    for (const PlacementCase& c : cases) {
        const DrawerPlacement at = PlaceDrawer(c.frame, drawer, c.screen, 24, c.mayMoveFrame);
        EXPECT_EQ(at.frame, c.frameAt) << c.what;
        EXPECT_EQ(at.drawer, c.drawerAt) << c.what;
        const QRect placed(at.drawer, drawer);
        EXPECT_TRUE(c.screen.contains(placed)) << c.what;
        const QRect moved(at.frame, c.frame.size());
        if (c.mayMoveFrame && c.frame.width() + drawer.width() <= c.screen.width()) {
            EXPECT_FALSE(moved.intersects(placed)) << c.what << ": the drawer covers the frame";
        }
    }
}

TEST(DrawerPlacement, ADrawerLargerThanTheScreenStartsAtItsTopLeft) {
    const QRect screen(1280, 0, 300, 200);
    const DrawerPlacement at = PlaceDrawer({1300, 10, 200, 150}, {363, 560}, screen, 24, true);
    EXPECT_EQ(at.drawer, QPoint(1280, 0));
    EXPECT_EQ(at.frame, QPoint(1300, 10));
}

}  // namespace
