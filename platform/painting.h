#pragma once

#include <QColor>
#include <QPen>
#include <QRectF>
#include <cstdint>

class QPainter;
class QPainterPath;

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
// The drawing code's angles are geometric: the arc starts where the ray from
// the ellipse's centre at that angle meets the ellipse. Qt's are parametric
// (the point (cx + a cos t, cy - b sin t)); the two differ unless the ellipse
// is a circle. Returns the clockwise parametric angle, in degrees, of the
// point at the clockwise geometric angle; continuous and monotonic, so that
// sweeps keep their sense and their number of turns.
double ParametricAngle(const QRectF& ellipse, double geometricDegrees);
// Both conversions at once: geometric clockwise angles on `ellipse` to Qt's
// parametric counter-clockwise degrees.
struct QtArcDegrees {
    double start;
    double span;
};
QtArcDegrees ToQtArc(const QRectF& ellipse, double startDegrees, double sweepDegrees);
void DrawArc(QPainter& painter, const QRectF& ellipse, double startDegrees, double sweepDegrees);
// Adds an arc to a path figure, joined to the figure's last point by a
// straight line; the first arc of an empty path starts the figure.
void AddArc(QPainterPath& path, const QRectF& ellipse, double startDegrees, double sweepDegrees);

}  // namespace platform
