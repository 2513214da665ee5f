#pragma once

#include <QColor>
#include <QPainter>
#include <QRect>
#include <algorithm>

// The grid's rectangle arithmetic follows the classic convention in which a
// rectangle (left, top, right, bottom) covers the pixels from left to right-1
// and top to bottom-1, and a line leaves out its end point; a cell rectangle
// has right = left + width - 1. Qt's rectangles and lines include their last
// pixel, so every fill, frame, line and text box the grid draws passes
// through these helpers, which take the classic numbers (held in a QRect
// whose coordinates are used as plain numbers) and convert them here only.
namespace gridpaint {

// The Qt rectangle covering the pixels of a classic rectangle.
inline QRect ToPixels(const QRect& classic) {
    return QRect(classic.left(), classic.top(), classic.right() - classic.left(),
                 classic.bottom() - classic.top());
}

inline void Fill(QPainter& painter, int left, int top, int right, int bottom,
                 const QColor& colour) {
    if (right > left && bottom > top)
        painter.fillRect(QRect(left, top, right - left, bottom - top), colour);
}

inline void Fill(QPainter& painter, const QRect& classic, const QColor& colour) {
    Fill(painter, classic.left(), classic.top(), classic.right(), classic.bottom(), colour);
}

// A one-pixel frame just inside the classic rectangle.
inline void Frame(QPainter& painter, const QRect& classic, const QColor& colour) {
    const int l = classic.left(), t = classic.top(), r = classic.right(), b = classic.bottom();
    if (r <= l || b <= t) return;
    Fill(painter, l, t, r, t + 1, colour);
    Fill(painter, l, b - 1, r, b, colour);
    Fill(painter, l, t, l + 1, b, colour);
    Fill(painter, r - 1, t, r, b, colour);
}

// A one-pixel line from (x1, y1) up to but not including (x2, y2). Lines
// that are neither horizontal nor vertical are drawn whole.
inline void Line(QPainter& painter, int x1, int y1, int x2, int y2, const QColor& colour) {
    if (x1 == x2 && y1 == y2) return;
    if (y1 == y2) {
        const int from = std::min(x1, x2 + (x2 < x1 ? 1 : 0));
        const int to = std::max(x1, x2 - (x2 > x1 ? 1 : 0));
        Fill(painter, from, y1, to + 1, y1 + 1, colour);
    } else if (x1 == x2) {
        const int from = std::min(y1, y2 + (y2 < y1 ? 1 : 0));
        const int to = std::max(y1, y2 - (y2 > y1 ? 1 : 0));
        Fill(painter, x1, from, x1 + 1, to + 1, colour);
    } else {
        painter.save();
        painter.setRenderHint(QPainter::Antialiasing, false);
        painter.setPen(QPen(colour, 0));
        painter.drawLine(x1, y1, x2, y2);
        painter.restore();
    }
}

}  // namespace gridpaint
