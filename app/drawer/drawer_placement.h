#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

// Where the main window and the drawer go, as outer top-left corners.
struct DrawerPlacement {
    QPoint frame;
    QPoint drawer;
};

// Places a drawer of outer size `drawer` for a frame with outer rectangle
// `frame` in the available area `screen` of the screen that holds the frame.
// The drawer sits `inset` below the frame's top, beside the frame's right
// edge where the screen has room, else beside its left edge. Where neither
// side has room but the screen holds both side by side, a frame that
// `mayMoveFrame` slides the shorter way until the drawer fits beside it, as a
// drawer that slides out of the window pushes it aside; only a screen
// narrower than both (or a frame that must stay) gets the drawer over the
// frame's right part. The drawer is kept inside `screen` in every case.
DrawerPlacement PlaceDrawer(const QRect& frame, const QSize& drawer, const QRect& screen, int inset,
                            bool mayMoveFrame);
