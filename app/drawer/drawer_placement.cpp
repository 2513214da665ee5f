#include "app/drawer/drawer_placement.h"

#include <algorithm>

namespace {

// `start` moved so that [start, start + length) lies in [low, high); a span
// longer than the range starts at `low`.
int KeepInside(int start, int length, int low, int high) {
    return std::max(low, std::min(start, high - length));
}

}  // namespace

QPoint DrawerPosition(const QRect& frame, const QSize& drawer, const QRect& screen, int inset) {
    const int screenRight = screen.left() + screen.width();
    const int frameRight = frame.left() + frame.width();
    int x = frameRight - drawer.width();  // over the frame's right part
    if (frameRight + drawer.width() <= screenRight) {
        x = frameRight;
    } else if (frame.left() - drawer.width() >= screen.left()) {
        x = frame.left() - drawer.width();
    }
    const int y = frame.top() + inset;
    return {KeepInside(x, drawer.width(), screen.left(), screenRight),
            KeepInside(y, drawer.height(), screen.top(), screen.top() + screen.height())};
}
