#pragma once

// One data series of a plot: a borrowed vector of points drawn as a cardinal
// spline (straight segments at tension 0), optionally with a soft shadow, an
// area fill down to the bottom of the plot and a marker at every valid point;
// and the container that owns the curves of a plot.

#include <QBrush>
#include <QPainterPath>
#include <QPen>
#include <QPointF>
#include <memory>
#include <optional>
#include <vector>

#include "ui/graphics/plot/plot_geometry.h"

class QPainter;

namespace plot {

// The look of a curve's markers; x and y hold the data position of the
// marker about to be drawn.
class CurveStyle {
  public:
    // Marker kinds: 1 dot, 2 diamond, 3 square, 4 circle, 8 five-pointed
    // star, 9 six-pointed star, 10-13 triangles pointing left, right, up and
    // down; any other kind draws nothing.
    CurveStyle(double x, double y, int kind, std::optional<QPen> pen, std::optional<QBrush> brush,
               float size, bool shadow);
    std::unique_ptr<CurveStyle> Clone() const { return std::make_unique<CurveStyle>(*this); }

    void SetPosition(double px, double py) {
        x = px;
        y = py;
    }
    // The marker at the stored data position in the plot area whose top-left
    // corner is (ax, ay).
    bool DrawAt(QPainter* g, float ax, float ay, float width, float height, float unit,
                const AxisRange* xAxis, const AxisRange* yAxis);
    // The marker centred at the page point (px, py); its radius is
    // size × unit.
    bool DrawMarker(QPainter* g, float px, float py, float unit);

    double x;
    double y;
    int kind;
    bool shadow;
    std::optional<QPen> pen;      // none: no outline
    std::optional<QBrush> brush;  // none: no fill
    float size;
};

// The vertices of a polygon marker (kinds 2, 3 and 8-13) of radius r about
// (cx, cy); empty for the other kinds.
std::vector<QPointF> MarkerPolygon(int kind, float cx, float cy, float r);

// A path through the points: straight segments at tension 0, otherwise the
// cardinal spline's Bezier segments.
QPainterPath SplinePath(const std::vector<QPointF>& points, float tension);

class DataCurve {
  public:
    // `points` is borrowed and must outlive the curve.
    DataCurve(const std::vector<CurvePoint>* points, std::optional<QPen> pen, float tension,
              bool shadow, std::unique_ptr<CurveStyle> markerStyle);
    virtual ~DataCurve() = default;
    DataCurve(const DataCurve&) = delete;
    DataCurve& operator=(const DataCurve&) = delete;

    void SetFillBrush(bool doFill, std::optional<QBrush> brush);
    // Fill, shadow, line and markers in the plot area whose top-left corner is
    // (x, y); clipped to the area with one unit of room above it.
    void Draw(QPainter* g, float x, float y, float width, float height, float unit,
              const AxisRange* xAxis, const AxisRange* yAxis);

    const std::vector<CurvePoint>* points;
    std::optional<QPen> pen;  // none: no line and no shadow
    std::optional<QBrush> fillBrush;
    float tension;
    bool shadow;
    bool fill = false;
    std::unique_ptr<CurveStyle> markerStyle;  // none: no markers
};

class DataCurveContainer {
  public:
    DataCurveContainer() = default;
    virtual ~DataCurveContainer() = default;
    DataCurveContainer(const DataCurveContainer&) = delete;
    DataCurveContainer& operator=(const DataCurveContainer&) = delete;

    void Add(std::unique_ptr<DataCurve> curve) { curves.push_back(std::move(curve)); }
    void Clear() { curves.clear(); }
    // The common range of the curves; false, outputs untouched, without any
    // curve. Curves without a point take no part; when no curve has one the
    // range is [0, 1] × [0, 1].
    bool GetRange(double& xMin, double& xMax, double& yMin, double& yMax) const;

    std::vector<std::unique_ptr<DataCurve>> curves;
};

}  // namespace plot
