// The drawer opens on the screen that holds the main window.

#include "app/drawer/drawer_placement.h"

#include <gtest/gtest.h>

namespace {

struct PlacementCase {
    const char* what;
    QRect frame;
    QRect screen;
    QPoint expected;
};

TEST(DrawerPlacement, BesideTheFrameWhereThereIsRoomElseOverItsRightPart) {
    const QSize drawer(363, 560);
    const QRect wide(0, 0, 1920, 1080);
    const QRect laptop(0, 0, 1280, 800);
    const QRect second(1280, 0, 1280, 800);  // right of a first screen
    const PlacementCase cases[] = {
        {"room on the right", {100, 50, 700, 650}, wide, {800, 74}},
        {"right edge exactly reached", {0, 50, 917, 650}, laptop, {917, 74}},
        // The window as it opens at 1280x800: the drawer used to reach x 1308.
        {"no room right, room left", {420, 40, 526, 700}, laptop, {57, 64}},
        {"no room on either side", {200, 40, 900, 700}, laptop, {737, 64}},
        {"frame partly off the right edge", {1000, 40, 526, 700}, laptop, {637, 64}},
        {"frame low on the screen", {100, 400, 700, 650}, laptop, {800, 240}},
        {"second screen, room on the right", {1400, 40, 526, 700}, second, {1926, 64}},
        {"second screen, no room right", {1800, 40, 526, 700}, second, {1437, 64}},
        {"frame above the screen's top", {100, -100, 526, 700}, laptop, {626, 0}},
    };
    for (const PlacementCase& c : cases) {
        const QPoint at = DrawerPosition(c.frame, drawer, c.screen, 24);
        EXPECT_EQ(at, c.expected) << c.what << ": (" << at.x() << ", " << at.y() << ")";
        const QRect placed(at, drawer);
        EXPECT_TRUE(c.screen.contains(placed)) << c.what;
    }
}

TEST(DrawerPlacement, ADrawerLargerThanTheScreenStartsAtItsTopLeft) {
    const QRect screen(1280, 0, 300, 200);
    EXPECT_EQ(DrawerPosition({1300, 10, 200, 150}, {363, 560}, screen, 24), QPoint(1280, 0));
}

}  // namespace
