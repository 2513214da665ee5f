#include "ui/graphics/plot/tick_axis.h"

#include <QLineF>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <limits>

#include "ui/graphics/mathtext/math_label.h"
#include "ui/graphics/plot/plot_geometry.h"

namespace plot {

namespace {

// Saves the painter's world transform and moves it into an axis frame for
// the life of the object.
class AxisFrame {
  public:
    AxisFrame(QPainter* g, float x, float y, float axisAngle) : g_(g), saved_(g->worldTransform()) {
        g_->translate(x, y);
        g_->rotate(axisAngle);
    }
    ~AxisFrame() { g_->setWorldTransform(saved_); }
    AxisFrame(const AxisFrame&) = delete;
    AxisFrame& operator=(const AxisFrame&) = delete;

  private:
    QPainter* g_;
    QTransform saved_;
};

}  // namespace

bool LinearAxis::BuildTicks(TickAxis& out, mathtext::MathLabel* labelObject, int requested,
                            int minorCount, bool snapRangeToTicks) {
    TickSet set;
    if (!ComputeTicks(requested, minorCount, snapRangeToTicks, &set)) return false;
    for (std::size_t i = 0; i < set.major.size(); ++i) {
        out.majorTicks.push_back(set.major[i]);
        out.majorGrid.push_back(set.major[i]);
        auto label = std::make_unique<TickLabel>();
        label->position = set.major[i];
        label->label = labelObject;
        label->text = QString::fromStdWString(FormatNumberAsMathText(set.majorValues[i], -1));
        out.labels.push_back(std::move(label));
    }
    out.minorTicks.insert(out.minorTicks.end(), set.minor.begin(), set.minor.end());
    out.minorGrid.insert(out.minorGrid.end(), set.minor.begin(), set.minor.end());
    return true;
}

TickAxis::TickAxis(QPen axis, QPen majorTick, QPen minorTick, QPen majorGridLine,
                   QPen minorGridLine, float labelAngle, bool labelsNegative, float majorLength,
                   float minorLength, bool ticksPositive, bool ticksNegative)
    : axisPen(std::move(axis)),
      majorTickPen(std::move(majorTick)),
      minorTickPen(std::move(minorTick)),
      majorGridPen(std::move(majorGridLine)),
      minorGridPen(std::move(minorGridLine)),
      labelRotation(labelAngle),
      labelsOnNegativeSide(labelsNegative),
      ticksOnNegativeSide(ticksNegative),
      ticksOnPositiveSide(ticksPositive),
      majorTickLength(majorLength),
      minorTickLength(minorLength) {}

bool TickAxis::Draw(QPainter* g, float x, float y, float length, float unit, float axisAngle,
                    bool visible) {
    if (visible) {
        AxisFrame frame(g, x, y, axisAngle);
        g->setPen(axisPen);
        g->drawLine(QPointF(0, 0), QPointF(length, 0));
    }
    DrawTicks(g, x, y, length, unit, axisAngle, visible);
    DrawLabels(g, x, y, length, unit, axisAngle, visible);
    return true;
}

bool TickAxis::DrawTicks(QPainter* g, float x, float y, float length, float unit, float axisAngle,
                         bool visible) {
    if (!visible) return true;
    AxisFrame frame(g, x, y, axisAngle);
    auto side = [&](float sign) {
        g->setPen(majorTickPen);
        for (float p : majorTicks)
            g->drawLine(QPointF(p * length, 0), QPointF(p * length, sign * majorTickLength * unit));
        g->setPen(minorTickPen);
        for (float p : minorTicks)
            g->drawLine(QPointF(p * length, 0), QPointF(p * length, sign * minorTickLength * unit));
    };
    if (ticksOnNegativeSide) side(-1.0f);
    if (ticksOnPositiveSide) side(1.0f);
    return true;
}

bool TickAxis::DrawLabels(QPainter* g, float x, float y, float length, float unit, float axisAngle,
                          bool draw) {
    AxisFrame frame(g, x, y, axisAngle);
    const bool ticksOnLabelSide = labelsOnNegativeSide ? ticksOnNegativeSide : ticksOnPositiveSide;
    const float gap =
        ticksOnLabelSide ? 1.2f * std::max(majorTickLength, minorTickLength) * unit : 0.02f * unit;
    const float a = labelRotation;
    int vAlign = mathtext::kAlignCentre, hAlign = mathtext::kAlignCentre;
    if (!labelsOnNegativeSide) {
        if (a == 0.0f) {
            vAlign = mathtext::kAlignBaseline;
        } else if (std::fabs(a) < 1.0f) {
            vAlign = mathtext::kAlignTop;
        } else if (a >= 1.0f) {
            hAlign = mathtext::kAlignLeft;
            vAlign = a < 70.0f ? mathtext::kAlignTop : mathtext::kAlignCentre;
        } else {
            hAlign = mathtext::kAlignRight;
            vAlign = a > -70.0f ? mathtext::kAlignTop : mathtext::kAlignCentre;
        }
    } else {
        if (std::fabs(a) < 1.0f) {
            vAlign = mathtext::kAlignBottom;
        } else if (a >= 1.0f) {
            hAlign = mathtext::kAlignRight;
            vAlign = a < 70.0f ? mathtext::kAlignBottom : mathtext::kAlignCentre;
        } else {
            hAlign = mathtext::kAlignLeft;
            vAlign = a > -70.0f ? mathtext::kAlignBottom : mathtext::kAlignCentre;
        }
    }
    // Distances are taken in the caller's coordinates (the axis frame is only
    // moved and turned from them), so that the layout does not change with
    // the painter's own scale, on screen or on paper.
    labelDistance = std::fabs(gap);
    const QTransform toFrame = g->worldTransform().inverted();

    auto layOut = [&](TickLabel& t, float along, float across, bool paint) {
        if (!t.label) return;
        t.label->SetText(t.text, true);
        t.label->Draw(g, along, across, vAlign, hAlign, a, paint);
        t.box = t.label->Corners();
    };
    if (!labelsOnNegativeSide && a == 0.0f) {
        // One shared baseline: the tallest label starts at the gap.
        float tallest = 0;
        for (auto& t : labels) {
            layOut(*t, t->position * length, gap, false);
            tallest = std::max(
                tallest, static_cast<float>(
                             QLineF(toFrame.map(t->box[0]), toFrame.map(t->box[4])).length()));
        }
        for (auto& t : labels) layOut(*t, t->position * length, gap + tallest, draw);
    } else {
        const float across = labelsOnNegativeSide ? -gap : gap;
        for (auto& t : labels) layOut(*t, t->position * length, across, draw);
    }
    return true;
}

bool TickAxis::DrawGrid(QPainter* g, float x, float y, float length, float extent, float axisAngle,
                        bool visible) {
    if (!visible) return true;
    AxisFrame frame(g, x, y, axisAngle);
    g->setPen(majorGridPen);
    for (float p : majorGrid) g->drawLine(QPointF(p * length, 0), QPointF(p * length, -extent));
    g->setPen(minorGridPen);
    for (float p : minorGrid) g->drawLine(QPointF(p * length, 0), QPointF(p * length, -extent));
    return true;
}

double TickAxis::GetLabelDepth(QPainter* g, float x, float y, float length, float unit,
                               float axisAngle) {
    if (labels.empty()) return 0.0;
    DrawLabels(g, x, y, length, unit, axisAngle, false);
    AxisFrame frame(g, x, y, axisAngle);
    bool invertible = false;
    const QTransform toAxis = g->worldTransform().inverted(&invertible);
    if (!invertible) return labelDistance;
    double lo = std::numeric_limits<double>::infinity(), hi = -lo;
    for (const auto& t : labels) {
        for (const QPointF& corner : t->box) {
            const double v = toAxis.map(corner).y();
            lo = std::min(lo, v);
            hi = std::max(hi, v);
        }
    }
    return hi - lo + labelDistance;
}

void TickAxis::Clear() {
    labels.clear();
    majorTicks.clear();
    minorTicks.clear();
    majorGrid.clear();
    minorGrid.clear();
}

}  // namespace plot
