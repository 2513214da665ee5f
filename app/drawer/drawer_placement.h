#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

// Where the drawer's outer top-left corner goes for a frame with outer
// rectangle `frame`, a drawer of outer size `drawer` and the available area
// `screen` of the screen that holds the frame. The drawer sits `inset` below
// the frame's top, beside the frame's right edge where the screen has room,
// else beside its left edge, else over the frame's right part; it is kept
// inside `screen` in every case.
QPoint DrawerPosition(const QRect& frame, const QSize& drawer, const QRect& screen, int inset);
