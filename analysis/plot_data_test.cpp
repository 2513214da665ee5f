#include "analysis/plot_data.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <functional>
#include <limits>
#include <string>

#include "analysis/analysis_fakes.h"
#include "distributions/chi.h"
#include "distributions/work_time_test_support.h"
#include "numerics/cancel.h"
#include "numerics/quorix_error.h"

namespace {

using fakes::CountTest;
using fakes::SpikeTest;
using fakes::UnitNormal;
using fakes::ZTest;

// A z test with its result members set as a calculation leaves them.
void Prepare(PowerAnalysis& test, double effect, bool oneTailed, double critical) {
    test.effectSize = effect;
    test.sampleSize = 44;
    test.alpha = 0.05;
    test.power = 0.95;
    test.oneTailed = oneTailed;
    test.criticalValue = critical;
}

// Index of `p` among the curve's samples (exact match), or -1.
int SampleIndex(const std::vector<PlotPoint>& curve, const PlotPoint& p) {
    for (size_t i = 0; i < curve.size(); ++i) {
        if (curve[i].x == p.x && curve[i].y == p.y) return static_cast<int>(i);
    }
    return -1;
}

// Points 1.. of an area are consecutive samples of `curve`, running in
// `direction` (+1 up, -1 down) and ending at index `last`.
void ExpectFollowsCurve(const std::vector<PlotPoint>& area, const std::vector<PlotPoint>& curve,
                        int direction, int last, const std::string& what) {
    ASSERT_GE(area.size(), 2u) << what;
    int previous = SampleIndex(curve, area[1]);
    ASSERT_GE(previous, 0) << what;
    for (size_t i = 2; i < area.size(); ++i) {
        const int index = SampleIndex(curve, area[i]);
        ASSERT_EQ(index, previous + direction) << what << " point " << i;
        previous = index;
    }
    EXPECT_EQ(previous, last) << what;
    for (const PlotPoint& p : area) {
        EXPECT_TRUE(p.valid);
        EXPECT_EQ(p.extra1, 0.0);
        EXPECT_EQ(p.extra2, 0.0);
    }
}

// Both curves: 201 points on one grid, the H0 and H1 densities.
void ExpectCurves(const PlotData& plot, double shift) {
    ASSERT_EQ(plot.centralCurve.size(), 201u);
    ASSERT_EQ(plot.noncentralCurve.size(), 201u);
    const double xMin = plot.centralCurve.front().x;
    const double step = (plot.centralCurve.back().x - xMin) / 200;
    UnitNormal h0, h1;
    h1.SetNoncentrality(shift);
    for (int i = 0; i <= 200; ++i) {
        const PlotPoint& c = plot.centralCurve[i];
        EXPECT_NEAR(c.x, xMin + i * step, 1e-12 * (1 + std::fabs(c.x)));
        EXPECT_EQ(plot.noncentralCurve[i].x, c.x);
        EXPECT_NEAR(c.y, h0.Pdf(c.x), 1e-15);
        EXPECT_NEAR(plot.noncentralCurve[i].y, h1.Pdf(c.x), 1e-15);
    }
}

double XMin(const PlotData& plot) {
    return plot.centralCurve.front().x;
}
double XMax(const PlotData& plot) {
    return plot.centralCurve.back().x;
}

TEST(DistributionPlot, UpperTailOneTailed) {
    ZTest test;
    Prepare(test, 0.5, true, 1.6448536269514722);
    PlotData plot;
    plot.alphaLabel2 = {7.0, 7.0, 0.0, 0.0, true};
    test.MakeDistributionPlot(&plot);
    const double delta = 0.5 * std::sqrt(44.0);

    EXPECT_EQ(plot.side, 1);
    EXPECT_TRUE(plot.continuous);
    EXPECT_EQ(plot.statisticName, "z");
    ExpectCurves(plot, delta);
    EXPECT_EQ(plot.criticalValue, test.criticalValue);
    EXPECT_EQ(plot.criticalValue2, test.criticalValue);
    ASSERT_EQ(plot.markers.size(), 1u);  // no chi-square zero marker
    EXPECT_EQ(plot.markers[0].x, test.criticalValue);
    EXPECT_EQ(plot.markers[0].y, 0.0);
    EXPECT_LT(XMin(plot), plot.criticalValue);
    EXPECT_GT(XMax(plot), plot.criticalValue);

    // alpha: from the critical value up to the right end, on the H0 samples;
    // beta: from the critical value down to the left end, on the H1 samples.
    ASSERT_FALSE(plot.alphaArea.empty());
    EXPECT_EQ(plot.alphaArea[0].x, plot.criticalValue);
    UnitNormal h0;
    EXPECT_DOUBLE_EQ(plot.alphaArea[0].y, h0.Pdf(plot.criticalValue));
    ExpectFollowsCurve(plot.alphaArea, plot.centralCurve, +1, 200, "alpha");
    EXPECT_GT(plot.alphaArea[1].x, plot.criticalValue);
    ExpectFollowsCurve(plot.betaArea, plot.noncentralCurve, -1, 0, "beta");
    EXPECT_LE(plot.betaArea[1].x, plot.criticalValue);
    EXPECT_TRUE(plot.alphaArea2.empty());

    // Normal quantiles bound the range: central 0.001 quantile on the left,
    // noncentral 0.999 quantile on the right (no walk stops inside them).
    EXPECT_NEAR(XMin(plot), -3.090232306167813, 1e-9);
    EXPECT_NEAR(XMax(plot), delta + 3.090232306167813, 1e-9);
    // Label anchors: half the density at their x, on their side of c1.
    EXPECT_NEAR(plot.alphaLabel.x, 1.959963984540054, 1e-9);  // 0.975 quantile
    EXPECT_DOUBLE_EQ(plot.alphaLabel.y, 0.5 * h0.Pdf(plot.alphaLabel.x));
    EXPECT_EQ(plot.alphaLabel2.x, 7.0);  // untouched in a one-tailed test
    EXPECT_NEAR(plot.betaLabel.x, delta - 1.959963984540054, 1e-9);  // 0.025 quantile of H1
    EXPECT_EQ(plot.yLimit, 3.0);                                     // min(10 peak, cap)
}

TEST(DistributionPlot, UpperTailTwoTailed) {
    ZTest test;
    Prepare(test, 0.5, false, 1.959963984540054);
    PlotData plot;
    test.MakeDistributionPlot(&plot);
    const double c1 = 1.959963984540054, c2 = -c1;
    EXPECT_EQ(plot.criticalValue2, c2);
    ASSERT_EQ(plot.markers.size(), 2u);
    EXPECT_EQ(plot.markers[1].x, c2);
    EXPECT_LT(XMin(plot), c2);
    ExpectFollowsCurve(plot.alphaArea, plot.centralCurve, +1, 200, "alpha");
    ExpectFollowsCurve(plot.alphaArea2, plot.centralCurve, -1, 0, "alpha2");
    EXPECT_EQ(plot.alphaArea2[0].x, c2);
    EXPECT_LT(plot.alphaArea2[1].x, c2);
    // beta runs from c1 down to c2 and closes at c2.
    const std::vector<PlotPoint> inner(plot.betaArea.begin(), plot.betaArea.end() - 1);
    ExpectFollowsCurve(inner, plot.noncentralCurve, -1,
                       SampleIndex(plot.noncentralCurve, inner.back()), "beta");
    EXPECT_GT(inner.back().x, c2);
    EXPECT_EQ(plot.betaArea.back().x, c2);
    EXPECT_NEAR(plot.alphaLabel2.x, -2.241402727604947, 1e-9);  // 0.0125 quantile of H0
}

TEST(DistributionPlot, TwoTailedRangeHoldsBothCriticalValues) {
    // With a tiny alpha the lower critical value lies beyond the 0.001
    // quantile; the range still holds it, so its area and marker are drawn.
    ZTest test;
    Prepare(test, 0.5, false, 5.326723886384);  // 1 - 1e-7/2 quantile
    PlotData plot;
    test.MakeDistributionPlot(&plot);
    EXPECT_LT(XMin(plot), -5.326723886384);
    EXPECT_GT(XMax(plot), 5.326723886384);
    EXPECT_FALSE(plot.alphaArea2.empty());
}

TEST(DistributionPlot, LowerTailLayout) {
    ZTest test;
    Prepare(test, -0.5, true, -1.6448536269514722);
    PlotData plot;
    test.MakeDistributionPlot(&plot);
    EXPECT_EQ(plot.side, -1);
    ExpectCurves(plot, -0.5 * std::sqrt(44.0));
    ExpectFollowsCurve(plot.alphaArea, plot.centralCurve, -1, 0, "alpha");
    EXPECT_EQ(plot.alphaArea[0].x, plot.criticalValue);
    EXPECT_LE(plot.alphaArea[1].x, plot.criticalValue);
    ExpectFollowsCurve(plot.betaArea, plot.noncentralCurve, +1, 200, "beta");
    EXPECT_GT(plot.betaArea[1].x, plot.criticalValue);
    EXPECT_NEAR(plot.betaLabel.x, -0.5 * std::sqrt(44.0) + 1.959963984540054, 1e-9);
    EXPECT_NEAR(plot.alphaLabel.x, -1.959963984540054, 1e-9);  // 0.025 quantile of H0
}

TEST(DistributionPlot, LeftWalkStopsWhereTheDensityFallsBelowItsFloor) {
    // Lower-tail layout, H1 next to H0: the central range starts at
    // m - 5 (m - q0.001) = -15.45, and the left walk in 50 steps of 0.309
    // cuts it at the last point whose density is at least 0.005 peak.
    ZTest test;
    Prepare(test, -1e-9, true, -1.6448536269514722);
    PlotData plot;
    test.MakeDistributionPlot(&plot);
    UnitNormal h0;
    const double start = -5 * 3.090232306167813;
    const double step = 2 * (0 - start) / 100;
    const double floor = 0.005 * h0.Pdf(0);
    const double xMin = XMin(plot);
    EXPECT_GT(xMin, start);
    EXPECT_GE(h0.Pdf(xMin), floor);
    EXPECT_LT(h0.Pdf(xMin - step), floor);
    EXPECT_NEAR(std::remainder(xMin, step), 0.0, 1e-12);  // a point of the walk
}

TEST(DistributionPlot, LeftWalkStopsBelowTheDensityCapOrFifteenPeaks) {
    // A density without bound at 0: the central range starts at the 1e-8
    // quantile, and the left walk stops at the last point whose density
    // stays under the cap, or under 15 times the height at the median when
    // that is lower.
    struct CappedSpike : SpikeTest {
        double cap = 3.0;
        double GetDensityCap() override { return cap; }
    };
    fakes::ShiftedChiSquare1 h0;
    const double m = h0.Quantile(0.5);
    const double step = 2 * (m - h0.Quantile(1e-8)) / 100;
    for (double cap : {3.0, 100.0}) {
        CappedSpike test;
        test.cap = cap;
        Prepare(test, 2.0, true, h0.Quantile(0.95));
        PlotData plot;
        test.MakeDistributionPlot(&plot);
        const double limit = std::min(cap, 15 * h0.Pdf(m));
        const double xMin = XMin(plot);
        EXPECT_LE(h0.Pdf(xMin), limit) << cap;
        EXPECT_GT(h0.Pdf(xMin - step), limit) << cap;
        EXPECT_NEAR(std::remainder(m - xMin, step), 0.0, 1e-12) << cap;
        ASSERT_EQ(plot.markers.size(), 2u);  // the chi-square marker at 0 comes first
        EXPECT_EQ(plot.markers[0].x, 0.0);
        EXPECT_LE(plot.yLimit, cap);
    }
}

TEST(DistributionPlot, DiscreteStatistic) {
    CountTest test(20);
    const double power = test.ComputePower(0.25, 0.05, 20);  // H1 success probability 0.75
    test.power = power;
    ASSERT_EQ(test.criticalValue, 14.0);
    PlotData plot;
    test.MakeDistributionPlot(&plot);
    EXPECT_FALSE(plot.continuous);
    ASSERT_EQ(plot.centralCurve.size(), 201u);
    const double xMin = XMin(plot), xMax = XMax(plot);
    EXPECT_EQ(xMin, 0.0);                     // -0.5 raised to 0
    EXPECT_EQ(xMax - std::floor(xMax), 0.5);  // a half-integer
    // The areas start half a unit below the critical count.
    EXPECT_EQ(plot.alphaArea[0].x, 13.5);
    EXPECT_EQ(plot.betaArea[0].x, 13.5);
    ExpectFollowsCurve(plot.alphaArea, plot.centralCurve, +1, 200, "alpha");
    ExpectFollowsCurve(plot.betaArea, plot.noncentralCurve, -1, 0, "beta");
    EXPECT_GE(plot.alphaLabel.x, 14.0);
    EXPECT_EQ(plot.betaLabel.x, std::floor(plot.betaLabel.x));
}

TEST(DistributionPlot, SamplingKeepsEveryIndexOnTheGrid) {
    // Critical values at and beyond the ends of the range, in a discrete
    // test whose areas start half a unit outside: every index stays in
    // 0..200 (an overrun would be caught by the address sanitizer).
    CountTest test(20);
    test.effectSize = 0.2;
    test.oneTailed = false;
    struct Case {
        double c1, c2;
    } cases[] = {{10.0, 0.0}, {0.0, 10.0}, {10.0, 10.0}, {0.0, 0.0}, {9.99, 0.01}};
    for (const Case& c : cases) {
        PlotData plot;
        plot.criticalValue = c.c1;
        plot.criticalValue2 = c.c2;
        test.SampleUpperTailCurves(&plot, 0.0, 10.0, 3.0);
        EXPECT_EQ(plot.centralCurve.size(), 201u);
        test.SampleLowerTailCurves(&plot, 0.0, 10.0, 3.0);
        EXPECT_EQ(plot.noncentralCurve.size(), 201u);
        EXPECT_LE(plot.betaArea.size(), 203u);
    }
}

TEST(DistributionPlot, CriticalValueOutsideTheRange) {
    ZTest test;
    Prepare(test, 0.5, true, 0.0);
    PlotData plot;
    plot.criticalValue = plot.criticalValue2 = 5.0;
    test.SampleUpperTailCurves(&plot, -1.0, 4.0, 3.0);
    EXPECT_TRUE(plot.alphaArea.empty());
    EXPECT_TRUE(plot.betaArea.empty());
    plot.criticalValue = plot.criticalValue2 = -2.0;
    test.SampleLowerTailCurves(&plot, -1.0, 4.0, 3.0);
    EXPECT_TRUE(plot.alphaArea.empty());
    ASSERT_FALSE(plot.betaArea.empty());
    EXPECT_EQ(plot.betaArea[0].x, -1.0);
    ExpectFollowsCurve(plot.betaArea, plot.noncentralCurve, +1, 200, "beta");
}

TEST(DistributionPlot, SamplingEvaluatesEachDensityOncePerGridPoint) {
    ZTest test;
    Prepare(test, 0.5, false, 1.959963984540054);
    PlotData plot;
    plot.criticalValue = 1.959963984540054;
    plot.criticalValue2 = -1.959963984540054;
    auto* normal = static_cast<UnitNormal*>(test.distribution);
    normal->pdfCalls = 0;
    test.SampleUpperTailCurves(&plot, -4.0, 6.0, 3.0);
    EXPECT_LE(normal->pdfCalls, 2 * 201 + 4);
}

TEST(DistributionPlot, LayoutChoiceAndTestsWithoutPlot) {
    ZTest test;
    Prepare(test, 0.0, true, 1.6448536269514722);
    PlotData plot;
    test.MakeDistributionPlot(&plot);
    EXPECT_EQ(plot.side, 1);  // effect 0 uses the upper tail
    struct NaNEffect : ZTest {
        double GetEffectSize() override { return std::numeric_limits<double>::quiet_NaN(); }
        double NoncentralityFromEffect(double) override { return -2.0; }
    } nanTest;
    Prepare(nanTest, -0.5, true, -1.6448536269514722);
    nanTest.MakeDistributionPlot(&plot);
    EXPECT_EQ(plot.side, -1);

    struct NoPlot : ZTest {
        bool HasDistributionPlot() override { return false; }
        bool IsContinuous() override { return false; }
    } none;
    PlotData kept;
    test.MakeDistributionPlot(&kept);
    const size_t alphaPoints = kept.alphaArea.size();
    none.MakeDistributionPlot(&kept);
    EXPECT_FALSE(kept.continuous);
    EXPECT_TRUE(kept.centralCurve.empty());
    EXPECT_EQ(kept.alphaArea.size(), alphaPoints);
    EXPECT_EQ(kept.noncentralCurve.size(), 201u);
}

// A z test whose plot is what `make` does.
class ScriptedPlot : public ZTest {
  public:
    void MakeDistributionPlot(PlotData* plot) override { make(plot); }
    std::function<void(PlotData*)> make;
};

// Polls like the sampling loops do, for up to `seconds`.
void PollFor(double seconds) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (std::chrono::steady_clock::now() < end) CancelCheck::Poll();
}

// The CPU time `run` takes on this thread: the work it does, whatever the
// load of the machine.
double SecondsOf(const std::function<void()>& run) {
    const auto start = ThreadCpuClock::now();
    run();
    return std::chrono::duration<double>(ThreadCpuClock::now() - start).count();
}

TEST(BoundedDistributionPlot, GivesUpAfterItsBudgetOrWhenCancelled) {
    ScriptedPlot test;
    test.make = [](PlotData* plot) {
        plot->centralCurve.push_back({0, 1});
        PollFor(20);
    };
    PlotData plot;
    double seconds = SecondsOf(
        [&] { EXPECT_THROW(MakeBoundedDistributionPlot(&test, &plot, 0.05), QuorixError); });
    EXPECT_LT(seconds, 2.0);
    EXPECT_TRUE(plot.centralCurve.empty());  // nothing half-made is left

    test.cancelled = true;
    seconds = SecondsOf(
        [&] { EXPECT_THROW(MakeBoundedDistributionPlot(&test, &plot, 10), CancelledError); });
    EXPECT_LT(seconds, 2.0);
}

TEST(BoundedDistributionPlot, CurvesThatAreNotNumbersCannotBeDrawn) {
    constexpr double kInf = std::numeric_limits<double>::infinity();
    constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
    const struct {
        const char* name;
        std::vector<PlotPoint> central;
        double critical;
        bool drawable;
    } cases[] = {
        {"finite", {{0, 1}, {1, 2}}, 0.5, true},
        {"infinite density at the support's end", {{0, kInf}, {1, 2}}, 0.5, true},
        {"density not a number", {{0, 1}, {1, kNaN}}, 0.5, false},
        {"x not finite", {{0, 1}, {kInf, 2}}, 0.5, false},
        {"critical value not a number", {{0, 1}, {1, 2}}, kNaN, false},
    };
    for (const auto& c : cases) {
        ScriptedPlot test;
        test.make = [&](PlotData* plot) {
            plot->centralCurve = c.central;
            plot->noncentralCurve = c.central;
            plot->criticalValue = plot->criticalValue2 = c.critical;
        };
        PlotData plot;
        if (c.drawable) {
            EXPECT_NO_THROW(MakeBoundedDistributionPlot(&test, &plot)) << c.name;
            EXPECT_EQ(plot.centralCurve.size(), 2u) << c.name;
        } else {
            EXPECT_THROW(MakeBoundedDistributionPlot(&test, &plot), QuorixError) << c.name;
        }
    }
}

TEST(BoundedDistributionPlot, ARealPlotIsTheTestsOwn) {
    ZTest test;
    Prepare(test, 0.5, false, 1.959963984540054);
    PlotData direct, bounded;
    test.MakeDistributionPlot(&direct);
    MakeBoundedDistributionPlot(&test, &bounded);
    ASSERT_EQ(bounded.centralCurve.size(), 201u);
    for (size_t i = 0; i < direct.centralCurve.size(); ++i)
        EXPECT_EQ(bounded.centralCurve[i].y, direct.centralCurve[i].y);
}

// A density at a huge noncentrality sums millions of terms; it stops at the
// thread's cancel check instead of running on.
TEST(BoundedDistributionPlot, HugeNoncentralDensitiesStopWhenAsked) {
    ChiDistribution chi(5, 1e10);
    CancelCheck stop([] { return true; });
    const double seconds = SecondsOf([&] { EXPECT_THROW(chi.Pdf(1e10), CancelledError); });
    EXPECT_LT(seconds, 1.0);
}

}  // namespace
