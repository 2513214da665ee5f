#pragma once

// The numbers behind the plots, free of any drawing: nice tick steps, tick
// positions, number markup, the range of a point series, the cardinal spline
// as cubic Bezier segments, the plot's layout arithmetic and the subtitle
// split. The painting classes build on these.

#include <string>
#include <utility>
#include <vector>

#include "analysis/plot_data.h"

namespace mathtext {
class MathLabel;
}

namespace plot {

class TickAxis;

// 1, 2, 5 or 10 times a power of ten, the smallest of them not below x.
// NaN for x that is not positive and finite.
double NiceStep(double x);

// A number as math markup: plain digits in \mbox{}, or a mantissa with
// "·10" and the exponent raised ("1.5·10^-5"). decimals < 0: no rounding.
std::wstring FormatNumberAsMathText(double value, int decimals);

// The data range of an axis and its map onto 0..1.
class AxisRange {
  public:
    AxisRange(double lo, double hi) : min(lo), max(hi) {}
    virtual ~AxisRange() = default;
    // (value - min) / (max - min); outside the range the result leaves 0..1.
    virtual float Normalize(float value) const;

    double min;
    double max;
};

// Tick positions along an axis, normalised to 0..1, with the data value of
// each major tick.
struct TickSet {
    std::vector<float> major;
    std::vector<double> majorValues;
    std::vector<float> minor;
};

// A linear axis: a range widened when empty, with ticks at nice steps.
class LinearAxis : public AxisRange {
  public:
    // An empty range [v, v] becomes v ± 5 % (±0.05 around 0).
    LinearAxis(double lo, double hi);

    // Chooses the ticks for about `requestedTicks` intervals with
    // `minorCount` minor ticks in each; with `snapRangeToTicks` the range is
    // extended to the outer ticks. False, with `out` untouched, for a range
    // that has no ticks: empty, reversed or not finite, or so narrow against
    // its values that the step no longer advances.
    bool ComputeTicks(int requestedTicks, int minorCount, bool snapRangeToTicks, TickSet* out);
    // ComputeTicks, then appends the positions and one label per major tick
    // (all sharing `labelObject`) to `out`.
    bool BuildTicks(TickAxis& out, mathtext::MathLabel* labelObject, int requestedTicks,
                    int minorCount, bool snapRangeToTicks);

    double step = 0;
    double first = 0;
    int requestedTicks = 0;
    int tickCount = 0;
    std::vector<float> ticks;
};

// The point of every plotted curve: the record that the statistical tests fill for the
// distribution graph, drawn without copying. An invalid point stays in its
// vector but breaks the line and gets no marker.
using CurvePoint = PlotPoint;

// Whether a point can be drawn as part of the line and with a marker.
bool IsDrawable(const CurvePoint& p);

// Range of a point series: x over every point with a finite x, valid or not;
// y over the valid points with finite coordinates, [0, 1] when there is none. False
// for a series without a finite x; the range is then [0, 1] × [0, 1].
bool ComputePointRange(const std::vector<CurvePoint>& points, double& xMin, double& xMax,
                       double& yMin, double& yMax);

// The runs of consecutive drawable points, as [begin, end) index pairs.
std::vector<std::pair<int, int>> DrawableRuns(const std::vector<CurvePoint>& points);

struct Vec2 {
    double x = 0;
    double y = 0;
};

// One cubic Bezier segment.
struct BezierSegment {
    Vec2 start, control1, control2, end;
};

// The cardinal spline through the points as n - 1 Bezier segments. The
// tangent at point i is tension · (P[i+1] - P[i-1]), an end point standing
// in for its missing neighbour; at tension 0.5 this is the Catmull-Rom
// spline, at 0 the control points sit on the ends and the segments are
// straight. Fewer than two points give no segment.
std::vector<BezierSegment> CardinalSplineBeziers(const std::vector<Vec2>& points, double tension);

// A plot rectangle as (left, bottom, width, height), page y pointing down:
// it spans bottom - height to bottom.
struct PlotRect {
    float left = 0;
    float bottom = 0;
    float width = 0;
    float height = 0;
};

// What the plot's layout needs to know of its texts: the room of the tick
// labels and the heights of the titles that are shown (absent ones have
// `shown` false).
struct TitleExtent {
    bool shown = false;
    float height = 0;
};
struct PlotLayoutInput {
    PlotRect rect;
    float marginLeft = 5, marginRight = 5, marginTop = 5, marginBottom = 5;
    float xLabelDepth = 0;
    float yLabelDepth = 0;
    TitleExtent xTitle, yTitle, title, subtitle1, subtitle2;
};

// Where the plot's parts go.
struct PlotLayout {
    float x0 = 0;            // left edge inside the margin: the y-axis title's top
    float titleTop = 0;      // top edge inside the margin
    float subtitle1Top = 0;  // below the title
    float subtitle2Top = 0;
    float xTitleBottom = 0;  // bottom edge inside the margin
    PlotRect area;           // the plot area
};

PlotLayout ComputePlotLayout(const PlotLayoutInput& in);

// Data to page inside a laid-out area: x grows to the right, y upwards.
Vec2 MapToArea(const PlotRect& area, const AxisRange& xAxis, const AxisRange& yAxis, double x,
               double y);

// Splits a subtitle of `limit` or more characters at the comma nearest its
// middle (the later one on a tie); the comma stays on line 1 and the blanks
// after it go. A shorter text, or one without a comma, is line 1 alone.
std::pair<std::string, std::string> SplitSubtitle(const std::string& text, int limit);

}  // namespace plot
