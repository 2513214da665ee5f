#pragma once

// The drawing of the X-Y plot: the computed curves of the settings as
// coloured lines, optional point markers and value labels, titles, and a
// legend of the layer values when there are several curves.

#include <QPointF>
#include <QRectF>
#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "analysis/plot_data.h"

class PlotSettings;
class QPainter;

namespace mathtext {
class LabelFontSets;
}
namespace plot {
class CurveStyle;
class XYPlot;
}  // namespace plot

// What the window decides about the drawing.
struct XYPlotOptions {
    bool plotValid = false;  // a computation has completed
    bool markers = false;
    bool valueLabels = false;  // shown only together with the markers
    int digits = 3;
};

class XYPlotGraph {
  public:
    static constexpr int kStyles = 10;
    static constexpr std::array<std::uint32_t, kStyles> kCurveColours = {
        0xFFFF0000, 0xFF0000FF, 0xFF00E600, 0xFFE6E600, 0xFFF000F0,
        0xFF00DCDC, 0xFFA00000, 0xFF0000A0, 0xFF008C00, 0xFF00A0A0,
    };
    static constexpr float kMarkerSize = 0.005f;

    explicit XYPlotGraph(mathtext::LabelFontSets* fonts);
    ~XYPlotGraph();
    XYPlotGraph(const XYPlotGraph&) = delete;
    XYPlotGraph& operator=(const XYPlotGraph&) = delete;

    // Draws into `rect` (points).
    void Draw(QPainter* g, const QRectF& rect, const PlotSettings* settings,
              const XYPlotOptions& options);

    // The plot of the last drawing with data, or null.
    const plot::XYPlot* Plot() const { return plot_.get(); }
    // The invisible points that widened the axes at the last drawing.
    const std::vector<PlotPoint>& RangeMarginPoints() const { return rangeMarginPoints_; }
    // The rectangle of the legend at the last drawing (empty without one),
    // and the curve index of each of its rows, top to bottom.
    const QRectF& LegendRect() const { return legendRect_; }
    const std::vector<int>& LegendOrder() const { return legendOrder_; }
    // The tension the curves were drawn with at the last drawing.
    float Tension() const { return tension_; }

  private:
    void DrawValueLabels(QPainter* g, const QRectF& plotRect, float unit, const QRectF& area,
                         const PlotSettings& s, int digits);
    void DrawLegend(QPainter* g, const QRectF& rect, const QRectF& area, float u, float unit,
                    const PlotSettings& s, bool markers);

    mathtext::LabelFontSets* fonts_;
    std::unique_ptr<plot::XYPlot> plot_;
    std::array<std::unique_ptr<plot::CurveStyle>, kStyles> markerStyles_;
    std::vector<PlotPoint> rangeMarginPoints_;
    QRectF legendRect_;
    std::vector<int> legendOrder_;
    float tension_ = 0;
};
