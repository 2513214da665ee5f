#include "app/drawer/drawer_placement.h"

#include <algorithm>
#include <cstdlib>

namespace {

// `start` moved so that [start, start + length) lies in [low, high); a span
// longer than the range starts at `low`.
int KeepInside(int start, int length, int low, int high) {
    return std::max(low, std::min(start, high - length));
}

}  // namespace

DrawerPlacement PlaceDrawer(const QRect& frame, const QSize& drawer, const QRect& screen, int inset,
                            bool mayMoveFrame) {
    const int screenRight = screen.left() + screen.width();
    const int frameRight = frame.left() + frame.width();
    int frameLeft = frame.left();
    int x = frameRight - drawer.width();  // over the frame's right part
    if (frameRight + drawer.width() <= screenRight) {
        x = frameRight;
    } else if (frame.left() - drawer.width() >= screen.left()) {
        x = frame.left() - drawer.width();
    } else if (mayMoveFrame && frame.width() + drawer.width() <= screen.width()) {
        // The frame's left edge that puts the drawer just inside the screen
        // on the right, and the one that does so on the left; the frame
        // itself stays inside the screen with either.
        const int leftForRight = screenRight - drawer.width() - frame.width();
        const int leftForLeft =
            std::min(screen.left() + drawer.width(), screenRight - frame.width());
        if (std::abs(leftForRight - frame.left()) <= std::abs(leftForLeft - frame.left())) {
            frameLeft = leftForRight;
            x = frameLeft + frame.width();
        } else {
            frameLeft = leftForLeft;
            x = frameLeft - drawer.width();
        }
    }
    const int y = frame.top() + inset;
    return {QPoint(frameLeft, frame.top()),
            QPoint(KeepInside(x, drawer.width(), screen.left(), screenRight),
                   KeepInside(y, drawer.height(), screen.top(), screen.top() + screen.height()))};
}
