#include "ui/graphics/plot/data_curve.h"

#include <QPainter>
#include <algorithm>
#include <cmath>
#include <numbers>

#include "platform/painting.h"

namespace plot {

namespace {

constexpr std::uint32_t kShadowColour = 0x50000000;

QPointF ToArea(const CurvePoint& p, float width, float height, const AxisRange* xAxis,
               const AxisRange* yAxis) {
    return {xAxis->Normalize(static_cast<float>(p.x)) * width,
            (1.0f - yAxis->Normalize(static_cast<float>(p.y))) * height};
}

QPen ShadowPen(const QPen& pen) {
    QPen copy(pen);
    copy.setColor(platform::FromArgb(kShadowColour));
    return copy;
}

}  // namespace

std::vector<QPointF> MarkerPolygon(int kind, float cx, float cy, float r) {
    std::vector<QPointF> v;
    auto at = [&](double degrees, double radius) {
        const double t = degrees * std::numbers::pi / 180.0;
        v.emplace_back(cx + radius * std::cos(t), cy + radius * std::sin(t));
    };
    switch (kind) {
        case 2:
            v = {{cx + r, cy}, {cx, cy + r}, {cx - r, cy}, {cx, cy - r}};
            break;
        case 3:
            v = {{cx + r, cy + r}, {cx - r, cy + r}, {cx - r, cy - r}, {cx + r, cy - r}};
            break;
        case 8:
            for (int i = 0; i < 10; ++i) at(-90.0 + 36.0 * i, i % 2 == 0 ? r : r / 2.0);
            break;
        case 9:
            for (int i = 0; i < 12; ++i) at(30.0 * i, i % 2 == 0 ? r : r / 2.0);
            break;
        case 10:
        case 11:
        case 12:
        case 13: {
            static constexpr double kStart[] = {180.0, 0.0, -90.0, 90.0};
            for (int i = 0; i < 3; ++i) at(kStart[kind - 10] + 120.0 * i, r);
            break;
        }
        default:
            break;
    }
    return v;
}

QPainterPath SplinePath(const std::vector<QPointF>& points, float tension) {
    QPainterPath path;
    if (points.empty()) return path;
    path.moveTo(points.front());
    if (tension == 0.0f) {
        for (std::size_t i = 1; i < points.size(); ++i) path.lineTo(points[i]);
        return path;
    }
    std::vector<Vec2> v;
    v.reserve(points.size());
    for (const QPointF& p : points) v.push_back({p.x(), p.y()});
    for (const BezierSegment& s : CardinalSplineBeziers(v, tension))
        path.cubicTo(QPointF(s.control1.x, s.control1.y), QPointF(s.control2.x, s.control2.y),
                     QPointF(s.end.x, s.end.y));
    return path;
}

CurveStyle::CurveStyle(double px, double py, int markerKind, std::optional<QPen> outline,
                       std::optional<QBrush> fillBrush, float markerSize, bool withShadow)
    : x(px),
      y(py),
      kind(markerKind),
      shadow(withShadow),
      pen(std::move(outline)),
      brush(std::move(fillBrush)),
      size(markerSize) {}

bool CurveStyle::DrawAt(QPainter* g, float ax, float ay, float width, float height, float unit,
                        const AxisRange* xAxis, const AxisRange* yAxis) {
    const QTransform saved = g->worldTransform();
    g->translate(ax, ay);
    CurvePoint p;
    p.x = x;
    p.y = y;
    const QPointF at = ToArea(p, width, height, xAxis, yAxis);
    const bool drawn = DrawMarker(g, static_cast<float>(at.x()), static_cast<float>(at.y()), unit);
    g->setWorldTransform(saved);
    return drawn;
}

bool CurveStyle::DrawMarker(QPainter* g, float px, float py, float unit) {
    const float r = unit * size;
    auto shape = [&](float cx, float cy, const std::optional<QPen>& outline,
                     const std::optional<QBrush>& fillWith) {
        if (kind == 1) {
            if (outline) {
                g->setPen(*outline);
                g->drawPoint(QPointF(cx, cy));
            }
            return;
        }
        const QRectF circle(cx - r, cy - r, 2 * r, 2 * r);
        const std::vector<QPointF> polygon = MarkerPolygon(kind, cx, cy, r);
        if (kind != 4 && polygon.empty()) return;
        if (fillWith) {
            g->setPen(Qt::NoPen);
            g->setBrush(*fillWith);
            if (kind == 4)
                g->drawEllipse(circle);
            else
                g->drawPolygon(polygon.data(), static_cast<int>(polygon.size()), Qt::OddEvenFill);
        }
        if (outline) {
            g->setPen(*outline);
            g->setBrush(Qt::NoBrush);
            if (kind == 4)
                g->drawEllipse(circle);
            else
                g->drawPolygon(polygon.data(), static_cast<int>(polygon.size()), Qt::OddEvenFill);
        }
    };
    g->save();
    if (shadow) {
        std::optional<QPen> shadowPen;
        std::optional<QBrush> shadowBrush;
        if (pen) shadowPen = ShadowPen(*pen);
        if (brush) shadowBrush = QBrush(platform::FromArgb(kShadowColour));
        shape(px + r, py + r, shadowPen, shadowBrush);
    }
    shape(px, py, pen, brush);
    g->restore();
    return true;
}

DataCurve::DataCurve(const std::vector<CurvePoint>* pts, std::optional<QPen> linePen,
                     float splineTension, bool withShadow, std::unique_ptr<CurveStyle> style)
    : points(pts),
      pen(std::move(linePen)),
      tension(splineTension),
      shadow(withShadow),
      markerStyle(std::move(style)) {}

void DataCurve::SetFillBrush(bool doFill, std::optional<QBrush> brush) {
    fill = doFill;
    fillBrush = std::move(brush);
}

void DataCurve::Draw(QPainter* g, float x, float y, float width, float height, float unit,
                     const AxisRange* xAxis, const AxisRange* yAxis) {
    if (!points || points->empty() || !xAxis || !yAxis) return;
    const std::vector<CurvePoint>& pts = *points;
    g->save();
    g->translate(x, y);
    // One unit of room above the area, so that a curve along the top edge
    // keeps its full line width.
    g->setClipRect(QRectF(0, -1, width, height + 1), Qt::IntersectClip);
    g->setBrush(Qt::NoBrush);

    // Fill and shadow run through every point that has a place on the page,
    // valid or not; the line only through runs of valid points.
    std::vector<QPointF> all;
    all.reserve(pts.size());
    for (const CurvePoint& p : pts)
        if (std::isfinite(p.x) && std::isfinite(p.y))
            all.push_back(ToArea(p, width, height, xAxis, yAxis));

    if (fill && fillBrush && !all.empty()) {
        QPainterPath area = SplinePath(all, tension);
        area.lineTo(all.back().x(), height);
        area.lineTo(all.front().x(), height);
        area.closeSubpath();
        g->setPen(Qt::NoPen);
        g->setBrush(*fillBrush);
        g->drawPath(area);
        g->setBrush(Qt::NoBrush);
    }
    if (shadow && pen && all.size() >= 2) {
        const float s = unit * (markerStyle ? markerStyle->size : 0.01f);
        g->setPen(ShadowPen(*pen));
        g->drawPath(SplinePath(all, tension).translated(s, s));
    }
    if (pen) {
        g->setPen(*pen);
        for (auto [begin, end] : DrawableRuns(pts)) {
            if (end - begin < 2) continue;
            std::vector<QPointF> run;
            for (int i = begin; i < end; ++i)
                run.push_back(ToArea(pts[i], width, height, xAxis, yAxis));
            g->drawPath(SplinePath(run, tension));
        }
    }
    g->translate(-x, -y);
    if (markerStyle) {
        for (const CurvePoint& p : pts) {
            if (!IsDrawable(p)) continue;
            markerStyle->SetPosition(p.x, p.y);
            markerStyle->DrawAt(g, x, y, width, height, unit, xAxis, yAxis);
        }
    }
    g->restore();
}

bool DataCurveContainer::GetRange(double& xMin, double& xMax, double& yMin, double& yMax) const {
    if (curves.empty()) return false;
    bool any = false;
    double a = 0, b = 1, c = 0, d = 1;
    for (const auto& curve : curves) {
        double x0, x1, y0, y1;
        if (!curve->points || !ComputePointRange(*curve->points, x0, x1, y0, y1)) continue;
        a = any ? std::min(a, x0) : x0;
        b = any ? std::max(b, x1) : x1;
        c = any ? std::min(c, y0) : y0;
        d = any ? std::max(d, y1) : y1;
        any = true;
    }
    xMin = a;
    xMax = b;
    yMin = c;
    yMax = d;
    return true;
}

}  // namespace plot
