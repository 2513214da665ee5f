#pragma once

// The drawing record of one axis: normalised tick and grid positions, the
// tick labels as math markup, the pens, and the geometry of ticks, grid
// lines and labels. Every operation draws in the axis frame: origin at the
// axis start, the axis along +x up to `length`, its positive side +y.

#include <QPen>
#include <QPointF>
#include <QString>
#include <array>
#include <memory>
#include <vector>

class QPainter;

namespace mathtext {
class MathLabel;
}

namespace plot {

struct TickLabel {
    float position = 0;                    // normalised
    mathtext::MathLabel* label = nullptr;  // shared by the axis's labels
    QString text;                          // math markup
    std::array<QPointF, 6> box{};          // the label's corners after its last layout
};

class TickAxis {
  public:
    TickAxis(QPen axisPen, QPen majorTickPen, QPen minorTickPen, QPen majorGridPen,
             QPen minorGridPen, float labelAngle, bool labelsOnNegativeSide, float majorTickLength,
             float minorTickLength, bool ticksOnPositiveSide, bool ticksOnNegativeSide);

    // Axis line, ticks and labels; with `visible` false the labels are only
    // laid out.
    bool Draw(QPainter* g, float x, float y, float length, float unit, float axisAngle,
              bool visible);
    bool DrawTicks(QPainter* g, float x, float y, float length, float unit, float axisAngle,
                   bool visible);
    bool DrawLabels(QPainter* g, float x, float y, float length, float unit, float axisAngle,
                    bool draw);
    // Grid lines from the axis to -extent across the plot area.
    bool DrawGrid(QPainter* g, float x, float y, float length, float extent, float axisAngle,
                  bool visible);
    // The room the labels take beside the axis, gap included; 0 without
    // labels.
    double GetLabelDepth(QPainter* g, float x, float y, float length, float unit, float axisAngle);
    void Clear();

    std::vector<float> majorTicks, minorTicks, majorGrid, minorGrid;
    std::vector<std::unique_ptr<TickLabel>> labels;
    QPen axisPen, majorTickPen, minorTickPen, majorGridPen, minorGridPen;
    float labelRotation;
    bool labelsOnNegativeSide;
    bool ticksOnNegativeSide;
    bool ticksOnPositiveSide;
    float majorTickLength;
    float minorTickLength;
    float labelDistance = 0;  // gap between axis and labels, from DrawLabels
};

}  // namespace plot
