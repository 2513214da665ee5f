#pragma once

// The drawing of the central and noncentral distributions after a
// calculation: the H0 density in red, the H1 density dashed blue, the shaded
// alpha and beta areas, the green critical lines and their labels.

#include <QPointF>
#include <QRectF>
#include <memory>

#include "analysis/plot_data.h"

class QPainter;

namespace mathtext {
class LabelFontSets;
}
namespace plot {
class XYPlot;
}

// Horizontal shift that keeps a label of `width`, centred on `x`, inside the
// plot area from `left` to `left + areaWidth`; a label wider than the area
// keeps its right edge at the area's.
float CriticalLabelShift(float width, float x, float left, float areaWidth);

// Where an area label goes: centred on its anchor when the anchor is above
// the lowest tenth of the plot area, else at the end of a leader drawn from
// `labelPoint` down to the anchor.
struct AreaLabelPlacement {
    bool leader = false;
    QPointF labelPoint;
};
// `sideStep` is +10 or -10 points: the direction of the leader's end.
AreaLabelPlacement PlaceAreaLabel(QPointF anchor, float areaBottom, float areaHeight,
                                  float sideStep);
// A label of `width` at the end of a leader from `anchor` reaches away from
// the anchor (to the left when `towardsLeft`). When that side has no room
// within the plot area (from `left` to `left + areaWidth`), the leader's end
// is mirrored to the anchor's other side and the label reaches that way:
// the return value says which way it reaches then.
bool KeepAreaLabelInside(AreaLabelPlacement* place, QPointF anchor, float width, bool towardsLeft,
                         float left, float areaWidth);

class DistributionGraph {
  public:
    explicit DistributionGraph(mathtext::LabelFontSets* fonts);
    ~DistributionGraph();
    DistributionGraph(const DistributionGraph&) = delete;
    DistributionGraph& operator=(const DistributionGraph&) = delete;

    // Draws `data` into `rect` (points); an empty central curve leaves only
    // the background.
    void Draw(QPainter* g, const QRectF& rect, const PlotData& data, bool oneTailed);

  private:
    mathtext::LabelFontSets* fonts_;
    std::unique_ptr<plot::XYPlot> plot_;
};
