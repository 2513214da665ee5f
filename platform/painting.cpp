#include "platform/painting.h"

#include <QPainter>
#include <QPainterPath>
#include <cmath>

namespace platform {

Qt::PenCapStyle ToQtCap(LineCap cap) {
    switch (cap) {
        case LineCap::Flat:
            return Qt::FlatCap;
        case LineCap::Square:
            return Qt::SquareCap;
        case LineCap::Round:
        case LineCap::Triangle:
            return Qt::RoundCap;
    }
    return Qt::FlatCap;
}

Qt::PenJoinStyle ToQtJoin(LineJoin join) {
    switch (join) {
        case LineJoin::Miter:
            return Qt::MiterJoin;
        case LineJoin::Bevel:
            return Qt::BevelJoin;
        case LineJoin::Round:
            return Qt::RoundJoin;
        case LineJoin::MiterClipped:
            return Qt::SvgMiterJoin;
    }
    return Qt::MiterJoin;
}

QPen MakePen(QColor colour, double width, LineCap cap, LineJoin join, LineDash dash) {
    QPen pen(colour, width, Qt::SolidLine, ToQtCap(cap), ToQtJoin(join));
    pen.setCosmetic(false);
    // Qt's own dash styles are longer (4-2 and 1-2).
    if (dash == LineDash::Dash) pen.setDashPattern({3.0, 1.0});
    if (dash == LineDash::Dot) pen.setDashPattern({1.0, 1.0});
    return pen;
}

QColor FromArgb(std::uint32_t argb) {
    return QColor((argb >> 16) & 0xFF, (argb >> 8) & 0xFF, argb & 0xFF, (argb >> 24) & 0xFF);
}

QColor FromColorRef(std::uint32_t bgr) {
    return QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF);
}

std::uint32_t ToColorRef(const QColor& colour) {
    return static_cast<std::uint32_t>(colour.red()) |
           (static_cast<std::uint32_t>(colour.green()) << 8) |
           (static_cast<std::uint32_t>(colour.blue()) << 16);
}

QtArc ToQtArc(double startDegrees, double sweepDegrees) {
    return QtArc{static_cast<int>(std::lround(-startDegrees * 16.0)),
                 static_cast<int>(std::lround(-sweepDegrees * 16.0))};
}

double ParametricAngle(const QRectF& ellipse, double geometricDegrees) {
    constexpr double kPi = 3.14159265358979323846;
    const double a = ellipse.width() / 2.0, b = ellipse.height() / 2.0;
    if (a <= 0.0 || b <= 0.0 || a == b) return geometricDegrees;
    const double theta = geometricDegrees * kPi / 180.0;
    // (a cos t, b sin t) lies on the ray at theta: tan t = (a / b) tan theta.
    const double t = std::atan2(a * std::sin(theta), b * std::cos(theta));
    // The two angles differ by less than a quarter turn; keep theta's turn.
    const double diff = std::remainder(t - theta, 2.0 * kPi);
    return (theta + diff) * 180.0 / kPi;
}

QtArcDegrees ToQtArc(const QRectF& ellipse, double startDegrees, double sweepDegrees) {
    const double start = ParametricAngle(ellipse, startDegrees);
    const double end = ParametricAngle(ellipse, startDegrees + sweepDegrees);
    return QtArcDegrees{-start, -(end - start)};
}

void DrawArc(QPainter& painter, const QRectF& ellipse, double startDegrees, double sweepDegrees) {
    const QtArcDegrees arc = ToQtArc(ellipse, startDegrees, sweepDegrees);
    painter.drawArc(ellipse, static_cast<int>(std::lround(arc.start * 16.0)),
                    static_cast<int>(std::lround(arc.span * 16.0)));
}

void AddArc(QPainterPath& path, const QRectF& ellipse, double startDegrees, double sweepDegrees) {
    const QtArcDegrees arc = ToQtArc(ellipse, startDegrees, sweepDegrees);
    if (path.elementCount() == 0) path.arcMoveTo(ellipse, arc.start);
    path.arcTo(ellipse, arc.start, arc.span);
}

}  // namespace platform
