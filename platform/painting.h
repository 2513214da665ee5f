#pragma once

#include <QColor>
#include <QPen>
#include <QRectF>
#include <cstdint>

class QPainter;

namespace platform {

// Line ends and corners as the drawing code names them.
enum class LineCap { Flat, Square, Round, Triangle };
enum class LineJoin { Miter, Bevel, Round, MiterClipped };
// Dash patterns, in units of the pen width: a dash of three and a gap of one,
// or dots of one with gaps of one.
enum class LineDash { Solid, Dash, Dot };

// The one place where the drawing code's pen vocabulary becomes Qt's. A
// triangle cap has no Qt counterpart; a round one is the nearest.
Qt::PenCapStyle ToQtCap(LineCap cap);
Qt::PenJoinStyle ToQtJoin(LineJoin join);
QPen MakePen(QColor colour, double width, LineCap cap = LineCap::Flat,
             LineJoin join = LineJoin::Miter, LineDash dash = LineDash::Solid);

// Colours: 0xAARRGGBB for drawings, 0x00BBGGRR for rich text.
QColor FromArgb(std::uint32_t argb);
QColor FromColorRef(std::uint32_t bgr);
std::uint32_t ToColorRef(const QColor& colour);

// An arc given as the drawing code gives it: start and sweep in degrees,
// measured clockwise on the screen (y grows downwards) from the positive x
// axis. Qt counts sixteenths of a degree counter-clockwise.
struct QtArc {
    int startSixteenths;
    int spanSixteenths;
};
QtArc ToQtArc(double startDegrees, double sweepDegrees);
void DrawArc(QPainter& painter, const QRectF& ellipse, double startDegrees, double sweepDegrees);

}  // namespace platform
