#include "ui/graphics/plot/plot_geometry.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace plot {
namespace {

TEST(NiceStep, RoundsUpToOneTwoOrFiveTimesAPowerOfTen) {
    const struct {
        double x, expected;
    } cases[] = {{0.3, 0.5},    {0.2, 0.2}, {0.21, 0.5}, {7, 10},      {1, 1},
                 {0.011, 0.02}, {0.1, 0.1}, {450, 500},  {1e-7, 1e-7}, {1.5e12, 2e12}};
    for (const auto& c : cases) EXPECT_DOUBLE_EQ(NiceStep(c.x), c.expected) << c.x;
    // The scaling by repeated tenths lands on the doubles one would type.
    EXPECT_EQ(NiceStep(0.1), 0.1);
    EXPECT_EQ(NiceStep(0.011), 0.02);
    for (double bad : {0.0, -1.0, std::numeric_limits<double>::infinity(), std::nan("")})
        EXPECT_TRUE(std::isnan(NiceStep(bad))) << bad;
}

TEST(FormatNumberAsMathText, PlainDigitsOrARaisedExponent) {
    const struct {
        double value;
        int decimals;
        const wchar_t* expected;
    } cases[] = {
        {0.25, -1, L"\\mbox{0.25}"},
        {100000, -1, L"\\mbox{100000}"},
        {1000000, -1, L"\\mbox{1\u00B710}^{\\,\\mbox{6}}"},
        {2e6, -1, L"\\mbox{2\u00B710}^{\\,\\mbox{6}}"},
        {0.0001, -1, L"\\mbox{0.0001}"},
        {0.00001, -1, L"\\mbox{1\u00B710}^{\\,\\mbox{-5}}"},
        {1.5e-5, -1, L"\\mbox{1.5\u00B710}^{\\,\\mbox{-5}}"},
        {-2.5e-120, -1, L"\\mbox{-2.5\u00B710}^{\\,\\mbox{-120}}"},
        {3.14159, 2, L"\\mbox{3.14}"},
        {1234567.0, -1, L"\\mbox{1.23457\u00B710}^{\\,\\mbox{6}}"},
        {0, -1, L"\\mbox{0}"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormatNumberAsMathText(c.value, c.decimals), c.expected) << c.value;
}

TEST(LinearAxis, EmptyRangeIsWidenedByFivePercent) {
    const struct {
        double v, lo, hi;
    } cases[] = {{4, 3.8, 4.2}, {-2, -2.1, -1.9}, {0, -0.05, 0.05}};
    for (const auto& c : cases) {
        LinearAxis axis(c.v, c.v);
        EXPECT_DOUBLE_EQ(axis.min, c.lo);
        EXPECT_DOUBLE_EQ(axis.max, c.hi);
        TickSet set;
        EXPECT_TRUE(axis.ComputeTicks(10, 1, false, &set));
        EXPECT_FALSE(set.major.empty());
    }
    LinearAxis ordinary(1, 2);
    EXPECT_EQ(ordinary.min, 1);
    EXPECT_EQ(ordinary.max, 2);
}

std::vector<float> Expected(double from, double step, int n) {
    std::vector<float> v;
    for (int i = 0; i < n; ++i) v.push_back(static_cast<float>(from + i * step));
    return v;
}

void ExpectPositions(const std::vector<float>& got, const std::vector<float>& want) {
    ASSERT_EQ(got.size(), want.size());
    for (std::size_t i = 0; i < got.size(); ++i) EXPECT_NEAR(got[i], want[i], 1e-6) << i;
}

TEST(LinearAxis, UnitRangeCountsTicksByRepeatedAddition) {
    // Ten additions of 0.1 stay below 1, so a twelfth tick at 1.1 is made.
    LinearAxis plain(0, 1);
    TickSet set;
    ASSERT_TRUE(plain.ComputeTicks(10, 1, false, &set));
    EXPECT_EQ(plain.step, 0.1);
    EXPECT_EQ(plain.tickCount, 12);
    ExpectPositions(set.major, Expected(0, 0.1, 11));
    ExpectPositions(set.minor, Expected(0.05, 0.1, 10));
    EXPECT_EQ(set.majorValues.front(), 0.0);

    LinearAxis snapped(0, 1);
    TickSet snappedSet;
    ASSERT_TRUE(snapped.ComputeTicks(10, 1, true, &snappedSet));
    EXPECT_DOUBLE_EQ(snapped.max, 1.1);
    EXPECT_EQ(snappedSet.major.size(), 12u);
}

TEST(LinearAxis, TicksOutsideAnUnsnappedRangeAreDroppedButTheirMinorTicksStay) {
    LinearAxis plain(0.13, 0.87);
    TickSet set;
    ASSERT_TRUE(plain.ComputeTicks(10, 1, false, &set));
    EXPECT_EQ(plain.tickCount, 9);
    ASSERT_EQ(set.majorValues.size(), 7u);
    EXPECT_NEAR(set.majorValues.front(), 0.2, 1e-7);
    EXPECT_NEAR(set.majorValues.back(), 0.8, 1e-7);
    ASSERT_EQ(set.minor.size(), 8u);
    EXPECT_NEAR(set.minor.front(), (0.15 - 0.13) / 0.74, 1e-6);
    EXPECT_NEAR(set.minor.back(), (0.85 - 0.13) / 0.74, 1e-6);

    LinearAxis snapped(0.13, 0.87);
    TickSet snappedSet;
    ASSERT_TRUE(snapped.ComputeTicks(10, 1, true, &snappedSet));
    EXPECT_DOUBLE_EQ(snapped.min, 0.1);
    EXPECT_NEAR(snapped.max, 0.9, 1e-15);
    EXPECT_EQ(snappedSet.major.size(), 9u);
    EXPECT_NEAR(snappedSet.major.front(), 0.0f, 1e-7);
    EXPECT_NEAR(snappedSet.major.back(), 1.0f, 1e-7);
}

TEST(LinearAxis, SymmetricRangeHasAnExactZeroAndSeveralMinorTicks) {
    LinearAxis axis(-3, 3);
    TickSet set;
    ASSERT_TRUE(axis.ComputeTicks(10, 4, false, &set));
    EXPECT_EQ(axis.step, 1.0);
    ASSERT_EQ(set.majorValues.size(), 7u);
    EXPECT_EQ(set.majorValues[3], 0.0);
    EXPECT_FALSE(std::signbit(set.majorValues[3]));
    EXPECT_EQ(set.minor.size(), 24u);
    EXPECT_NEAR(set.minor[0], 0.2 / 6, 1e-6);
}

TEST(LinearAxis, RangesWithoutTicksFailAndAddNothing) {
    const double inf = std::numeric_limits<double>::infinity();
    struct Case {
        double lo, hi;
        int requested;
    };
    const Case cases[] = {
        {1, 0, 10},             // reversed
        {0, inf, 10},           // not finite
        {std::nan(""), 1, 10},  // NaN
        {0, 1, 0},              // no ticks asked for
        // A step below the spacing of the doubles there never reaches max.
        {1e17, 1e17 + 32, 10},
    };
    for (const Case& c : cases) {
        LinearAxis axis(c.lo, c.hi);
        TickSet set;
        EXPECT_FALSE(axis.ComputeTicks(c.requested, 1, false, &set)) << c.lo << " " << c.hi;
        EXPECT_TRUE(set.major.empty() && set.minor.empty());
    }
    // An equal range that was not widened (the fields set afterwards).
    LinearAxis axis(0, 1);
    axis.min = axis.max = 2;
    TickSet set;
    EXPECT_FALSE(axis.ComputeTicks(10, 1, false, &set));
}

TEST(PointRange, XOverAllPointsYOverValidOnes) {
    std::vector<CurvePoint> points = {
        {5, 100, 0, 0, false}, {1, 3, 0, 0, true}, {2, -1, 0, 0, true}, {9, 50, 0, 0, false}};
    double x0, x1, y0, y1;
    EXPECT_TRUE(ComputePointRange(points, x0, x1, y0, y1));
    EXPECT_EQ(x0, 1);
    EXPECT_EQ(x1, 9);
    EXPECT_EQ(y0, -1);
    EXPECT_EQ(y1, 3);

    for (auto& p : points) p.valid = false;
    EXPECT_TRUE(ComputePointRange(points, x0, x1, y0, y1));
    EXPECT_EQ(x0, 1);
    EXPECT_EQ(x1, 9);
    EXPECT_EQ(y0, 0);
    EXPECT_EQ(y1, 1);

    // Non-finite coordinates take no part.
    points = {{std::nan(""), 7, 0, 0, true}, {3, std::nan(""), 0, 0, true}, {4, 2, 0, 0, true}};
    EXPECT_TRUE(ComputePointRange(points, x0, x1, y0, y1));
    EXPECT_EQ(x0, 3);
    EXPECT_EQ(x1, 4);
    EXPECT_EQ(y0, 2);
    EXPECT_EQ(y1, 2);

    // No point at all: no range of its own, the unit square to draw on.
    EXPECT_FALSE(ComputePointRange({}, x0, x1, y0, y1));
    EXPECT_EQ(x0, 0);
    EXPECT_EQ(x1, 1);
    EXPECT_EQ(y0, 0);
    EXPECT_EQ(y1, 1);
}

TEST(DrawableRuns, InvalidOrNonFinitePointsBreakTheLine) {
    auto runs = [](std::vector<bool> valid) {
        std::vector<CurvePoint> points;
        for (std::size_t i = 0; i < valid.size(); ++i)
            points.push_back({double(i), 1, 0, 0, valid[i]});
        return DrawableRuns(points);
    };
    using Runs = std::vector<std::pair<int, int>>;
    EXPECT_EQ(runs({true, true, false, true, true, true}), (Runs{{0, 2}, {3, 6}}));
    EXPECT_EQ(runs({false, true, false}), (Runs{{1, 2}}));
    EXPECT_EQ(runs({}), Runs{});
    std::vector<CurvePoint> points = {{0, 1}, {1, INFINITY}, {2, 1}, {3, 1}};
    EXPECT_EQ(DrawableRuns(points), (Runs{{0, 1}, {2, 4}}));
}

// The cubic Hermite curve with tangents m0, m1, evaluated independently of
// the Bezier form.
Vec2 Hermite(Vec2 p0, Vec2 p1, Vec2 m0, Vec2 m1, double t) {
    const double h00 = 2 * t * t * t - 3 * t * t + 1, h10 = t * t * t - 2 * t * t + t;
    const double h01 = -2 * t * t * t + 3 * t * t, h11 = t * t * t - t * t;
    return {h00 * p0.x + h10 * m0.x + h01 * p1.x + h11 * m1.x,
            h00 * p0.y + h10 * m0.y + h01 * p1.y + h11 * m1.y};
}

Vec2 Bezier(const BezierSegment& s, double t) {
    const double u = 1 - t;
    const double a = u * u * u, b = 3 * u * u * t, c = 3 * u * t * t, d = t * t * t;
    return {a * s.start.x + b * s.control1.x + c * s.control2.x + d * s.end.x,
            a * s.start.y + b * s.control1.y + c * s.control2.y + d * s.end.y};
}

TEST(CardinalSpline, BezierSegmentsAreTheCardinalCurveExactly) {
    const std::vector<Vec2> p = {{0, 0}, {1, 3}, {2.5, 1}, {4, 4}, {7, 2}};
    const int n = static_cast<int>(p.size());
    for (double tension : {0.3, 0.5, 1.0}) {
        const auto segments = CardinalSplineBeziers(p, tension);
        ASSERT_EQ(segments.size(), p.size() - 1);
        auto m = [&](int i) {
            const Vec2 a = p[std::max(i - 1, 0)], b = p[std::min(i + 1, n - 1)];
            return Vec2{tension * (b.x - a.x), tension * (b.y - a.y)};
        };
        for (int i = 0; i + 1 < n; ++i) {
            for (double t : {0.0, 0.2, 0.5, 0.77, 1.0}) {
                const Vec2 want = Hermite(p[i], p[i + 1], m(i), m(i + 1), t);
                const Vec2 got = Bezier(segments[i], t);
                EXPECT_NEAR(got.x, want.x, 1e-12) << tension << " " << i << " " << t;
                EXPECT_NEAR(got.y, want.y, 1e-12) << tension << " " << i << " " << t;
            }
        }
    }
    // Tension 0.5 is the Catmull-Rom spline: control point P1 + (P2 - P0) / 6.
    const auto cr = CardinalSplineBeziers(p, 0.5);
    EXPECT_NEAR(cr[1].control1.x, 1 + 2.5 / 6, 1e-15);
    EXPECT_NEAR(cr[1].control1.y, 3 + 1.0 / 6, 1e-15);
    // Tension 0: the control points are the ends, a straight segment.
    for (const BezierSegment& s : CardinalSplineBeziers(p, 0)) {
        EXPECT_EQ(s.control1.x, s.start.x);
        EXPECT_EQ(s.control1.y, s.start.y);
        EXPECT_EQ(s.control2.x, s.end.x);
        EXPECT_EQ(s.control2.y, s.end.y);
    }
    EXPECT_TRUE(CardinalSplineBeziers({{1, 1}}, 0.5).empty());
    EXPECT_TRUE(CardinalSplineBeziers({}, 0.5).empty());
}

TEST(PlotLayout, AreaIsTheRectangleLessMarginsLabelRoomAndTitles) {
    PlotLayoutInput in;
    in.rect = {10, 410, 600, 400};  // spans y 10..410
    in.xLabelDepth = 15;
    in.yLabelDepth = 30;
    PlotLayout bare = ComputePlotLayout(in);
    EXPECT_FLOAT_EQ(bare.area.left, 10 + 5 + 30);
    EXPECT_FLOAT_EQ(bare.area.bottom, 410 - 5 - 15);
    EXPECT_FLOAT_EQ(bare.area.width, 600 - 30 - 10);
    EXPECT_FLOAT_EQ(bare.area.height, 400 - 15 - 10);
    EXPECT_FLOAT_EQ(bare.area.bottom - bare.area.height, 10 + 5);  // top margin

    in.xTitle = {true, 12};
    in.yTitle = {true, 14};
    in.title = {true, 20};
    in.subtitle1 = {true, 16};
    PlotLayout titled = ComputePlotLayout(in);
    EXPECT_FLOAT_EQ(titled.area.left, bare.area.left + 14);
    EXPECT_FLOAT_EQ(titled.area.width, bare.area.width - 14);
    EXPECT_FLOAT_EQ(titled.area.bottom, bare.area.bottom - 12);
    EXPECT_FLOAT_EQ(titled.area.height, bare.area.height - 12 - 20 - 16);
    // The title starts at the rectangle's top (the top margin less the
    // bottom one), the area one top margin below subtitle line 1.
    EXPECT_FLOAT_EQ(titled.titleTop, 10);
    EXPECT_FLOAT_EQ(titled.subtitle1Top, 30);
    EXPECT_FLOAT_EQ(titled.xTitleBottom, 405);
    EXPECT_FLOAT_EQ(titled.area.bottom - titled.area.height, 30 + 16 + 5);

    // A second line sits 0.2 of the first's height lower, and the area stays
    // clear of it.
    in.subtitle2 = {true, 16};
    PlotLayout two = ComputePlotLayout(in);
    EXPECT_FLOAT_EQ(two.subtitle2Top, 30 + 1.2f * 16);
    EXPECT_FLOAT_EQ(two.area.bottom - two.area.height, two.subtitle2Top + 16 + 5);
}

TEST(PlotLayout, MapsDataUpwardsIntoTheArea) {
    const PlotRect area{100, 300, 200, 100};
    const AxisRange x(0, 2), y(-1, 1);
    const Vec2 origin = MapToArea(area, x, y, 0, -1), corner = MapToArea(area, x, y, 2, 1),
               middle = MapToArea(area, x, y, 1, 0);
    EXPECT_EQ(origin.x, 100);
    EXPECT_EQ(origin.y, 300);
    EXPECT_EQ(corner.x, 300);
    EXPECT_EQ(corner.y, 200);
    EXPECT_EQ(middle.x, 200);
    EXPECT_EQ(middle.y, 250);
}

TEST(SplitSubtitle, CutsAtTheCommaNearestTheMiddle) {
    const struct {
        const char* text;
        int limit;
        const char* line1;
        const char* line2;
    } cases[] = {
        {"short, text", 40, "short, text", ""},
        {"aaaa, bbbbbbbbbbbbbbb, cc", 10, "aaaa,", "bbbbbbbbbbbbbbb, cc"},
        {"aaaaaaaaaa, bbbb, cc", 10, "aaaaaaaaaa,", "bbbb, cc"},
        // Equally near: the later comma.
        {"a,bcd,e", 4, "a,bcd,", "e"},
        {"a,bcd,e", 8, "a,bcd,e", ""},
        {"no comma in this long text", 5, "no comma in this long text", ""},
        {"t tests - Means: Difference between two independent means (two groups), "
         "Tail(s) = Two, Allocation ratio N2/N1 = 1, alpha err prob = 0.05",
         60, "t tests - Means: Difference between two independent means (two groups),",
         "Tail(s) = Two, Allocation ratio N2/N1 = 1, alpha err prob = 0.05"},
    };
    for (const auto& c : cases) {
        const auto [a, b] = SplitSubtitle(c.text, c.limit);
        EXPECT_EQ(a, c.line1) << c.text;
        EXPECT_EQ(b, c.line2) << c.text;
    }
}

}  // namespace
}  // namespace plot
