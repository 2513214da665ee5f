#include "app/xyplot/xy_plot_settings.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include "numerics/quorix_error.h"
#include "power/t/power_t_generic.h"
#include "power/t/power_t_means.h"

namespace {

// The two-means t test as the main window leaves it after a two-tailed
// calculation: alpha 0.05, power 0.95, d 0.5, N 100.
std::unique_ptr<PowerTMeans> TwoMeans() {
    auto test = std::make_unique<PowerTMeans>();
    test->oneTailed = false;
    return test;
}

// The roles the frame chooses for Post hoc: power against N, one curve per
// alpha, effect size constant.
void PowerAgainstN(PlotSettings& s, PowerAnalysis* test) {
    s.InitFromAnalysis(test, PlotSettings::kPower, PlotSettings::kTotalSampleSize,
                       PlotSettings::kAlpha, PlotSettings::kEffect);
}

TEST(XYPlotSettings, InitialisesRolesNamesAndFieldsFromTheTest) {
    auto test = TwoMeans();
    test->effectSize = 0.7;
    PlotSettings s;
    s.InitFromAnalysis(test.get(), 3, 1, 2, 0);  // A priori
    EXPECT_EQ(s.prototype, test.get());
    ASSERT_NE(s.test, nullptr);
    EXPECT_NE(s.test.get(), static_cast<PowerAnalysis*>(test.get()));
    EXPECT_EQ(s.analysisType, kAPriori);
    ASSERT_EQ(s.ParameterCount(), 4);
    EXPECT_EQ(s.names[0], "$\\alpha$ err prob");
    EXPECT_EQ(s.names[1], "Power (1-$\\beta$ err prob)");
    EXPECT_EQ(s.names[2], "Effect size d");
    EXPECT_EQ(s.names[3], "Total sample size");
    for (int p = 0; p < 4; ++p) EXPECT_EQ(s.parameters[p]->name, s.names[p]);
    // x = power: its default range; layer = effect: from, layer step and the
    // test's value; constant = alpha: the test's value.
    EXPECT_EQ(s.xFrom, 0.6);
    EXPECT_EQ(s.xTo, 0.95);
    EXPECT_EQ(s.xStep, 0.01);
    EXPECT_EQ(s.layerFrom, 0.1);
    EXPECT_EQ(s.layerStep, 0.05);
    EXPECT_EQ(s.layerSingleValue, 0.7);
    EXPECT_EQ(s.constantValue, 0.05);
    EXPECT_EQ(s.curveCount, 1);
    EXPECT_TRUE(s.interpolateOnly);

    // The generic test has three parameters, the third its noncentrality.
    PowerTGeneric generic;
    s.InitFromAnalysis(&generic, 1, 2, 0, 3);
    ASSERT_EQ(s.ParameterCount(), 3);
    EXPECT_EQ(s.names[2], "Noncentrality parameter $\\delta$");
    EXPECT_EQ(s.names[3], "");
    EXPECT_EQ(s.analysisType, kPostHoc);
}

TEST(XYPlotSettings, TheAnalysisPutsWhatItSolvesForOnTheYAxis) {
    const struct {
        int code;
        bool generic;
        std::array<int, 4> roles;  // y, x, layer, constant
    } cases[] = {
        {kAPriori, false, {3, 1, 2, 0}},    {kSensitivity, false, {2, 3, 1, 0}},
        {kSensitivity, true, {2, 1, 0, 3}}, {kPostHoc, false, {1, 3, 0, 2}},
        {kPostHoc, true, {1, 2, 0, 3}},     {kCompromise, false, {1, 3, 0, 2}},
        {kCompromise, true, {1, 2, 0, 3}},  {kCriterion, false, {0, 3, 1, 2}},
        {kCriterion, true, {0, 2, 1, 3}},
    };
    for (const auto& c : cases) {
        std::array<int, 4> roles{};
        ASSERT_TRUE(XYPlotRolesFor(c.code, c.generic, &roles)) << c.code;
        EXPECT_EQ(roles, c.roles) << c.code << " " << c.generic;
    }
    std::array<int, 4> untouched = {7, 7, 7, 7};
    EXPECT_FALSE(XYPlotRolesFor(5, false, &untouched));
    EXPECT_EQ(untouched[0], 7);
}

TEST(XYPlotSettings, ARoleTakingAHeldParameterSwapsAndBothReload) {
    auto test = TwoMeans();
    PlotSettings s;
    PowerAgainstN(s, test.get());
    s.SetXRange(20, 60, 2);            // edits not committed: a role change reloads the rows
    s.SetXRole(PlotSettings::kAlpha);  // alpha was the layer
    EXPECT_EQ(s.xRole, PlotSettings::kAlpha);
    EXPECT_EQ(s.layerRole, PlotSettings::kTotalSampleSize);
    EXPECT_EQ(s.xFrom, 0.05);
    EXPECT_EQ(s.xTo, 0.4);
    EXPECT_EQ(s.xStep, 0.01);
    EXPECT_EQ(s.layerFrom, 10);
    EXPECT_EQ(s.layerStep, 10);
    EXPECT_EQ(s.layerSingleValue, 100);

    // The y role swaps too and names the analysis.
    s.SetYRole(PlotSettings::kEffect);  // effect was the constant
    EXPECT_EQ(s.analysisType, kSensitivity);
    EXPECT_EQ(s.constantRole, PlotSettings::kPower);
    EXPECT_EQ(s.constantValue, 0.95);

    // Committed edits are what a later role change brings back.
    s.SetXRange(0.01, 0.2, 0.02);
    s.CommitRanges();
    s.SetXRole(PlotSettings::kTotalSampleSize);
    s.SetXRole(PlotSettings::kAlpha);
    EXPECT_EQ(s.xFrom, 0.01);
    EXPECT_EQ(s.xTo, 0.2);
    EXPECT_EQ(s.xStep, 0.02);
}

TEST(XYPlotSettings, ValidateNamesTheFieldToCorrect) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    struct Case {
        const char* what;
        int x, layer, constant;  // roles; y is the one left over
        double xFrom, xStep, xTo;
        int curves;
        double layerFrom, layerStep, layerValue, constantValue;
        int field;
        const char* message;  // nullptr: not pinned
    };
    const Case cases[] = {
        {"defaults", 3, 0, 2, 10, 5, 100, 1, 0.05, 0.05, 0.05, 0.5, -1, ""},
        {"from equals to", 3, 0, 2, 50, 5, 50, 1, 0.05, 0.05, 0.05, 0.5, 2,
         "The end value of the independent variable range\nmust be greater than the start value"},
        {"from is not a number", 3, 0, 2, nan, 5, 50, 1, 0.05, 0.05, 0.05, 0.5, 2, nullptr},
        {"step zero", 3, 0, 2, 10, 0, 100, 1, 0.05, 0.05, 0.05, 0.5, 1,
         "The step size of the independent variable\nmust be a positive value"},
        {"N step one", 3, 0, 2, 10, 1, 100, 1, 0.05, 0.05, 0.05, 0.5, -1, ""},
        {"N step 2.5", 3, 0, 2, 10, 2.5, 100, 1, 0.05, 0.05, 0.05, 0.5, 1,
         "The step size of the independent variable total sample size\nmust be an integer value "
         "greater 1."},
        {"too many points", 3, 0, 2, 10, 1, 1e9, 1, 0.05, 0.05, 0.05, 0.5, 1, nullptr},
        {"alpha range start", 0, 3, 2, 0, 0.01, 0.4, 1, 10, 10, 50, 0.5, 0, nullptr},
        {"alpha range end", 0, 3, 2, 0.05, 0.01, 1.5, 1, 10, 10, 50, 0.5, 2, nullptr},
        {"N of one group", 3, 0, 2, 1, 1, 20, 1, 0.05, 0.05, 0.05, 0.5, 0, nullptr},
        {"power below a single alpha", 1, 0, 2, 0.6, 0.01, 0.95, 1, 0.05, 0.05, 0.7, 0.5, 0,
         "The start value of the independent variable power\n(=0.6) must be greater than or "
         "equal to\nthe value of the constant variable $\\alpha$ (=0.7)!"},
        {"power below the last alpha", 1, 0, 2, 0.6, 0.01, 0.95, 3, 0.3, 0.2, 0.05, 0.5, 0,
         "The start value of the independent variable power\n(=0.6) must be greater than or "
         "equal to\nthe largest value of the layer variable $\\alpha$ (=0.7)!"},
        {"layer step zero", 3, 0, 2, 10, 5, 100, 2, 0.05, 0, 0.05, 0.5, 4,
         "The step size of the layer variable \nmust be a positive value."},
        {"layer ends out of range", 3, 0, 2, 10, 5, 100, 3, 0.5, 0.3, 0.05, 0.5, 4, nullptr},
        {"layer power below x alpha", 0, 1, 3, 0.05, 0.01, 0.4, 2, 0.3, 0.1, 0.9, 50, 3,
         "The start value of the layer variable power\n(=0.3) must be greater than or equal "
         "to\nthe largest value of the independent variable $\\alpha$ (=0.4)!"},
        {"single power below x alpha", 0, 1, 3, 0.05, 0.01, 0.4, 1, 0.3, 0.1, 0.3, 50, 3,
         "The power must be greater than or equal to\nthe largest value of the independent "
         "variable $\\alpha$ (0.4)!"},
        {"constant out of range", 3, 0, 2, 10, 5, 100, 1, 0.05, 0.05, 0.05, 25, 5, nullptr},
        {"constant power below x alpha", 0, 3, 1, 0.05, 0.01, 0.4, 1, 10, 10, 50, 0.3, 5,
         "The power must be greater than or equal to\nthe largest value of the independent "
         "variable $\\alpha$ (0.4)!"},
        // One curve: the alpha compared with the constant power is the one
        // the curve uses.
        {"constant power below single alpha", 2, 0, 1, 0.1, 0.1, 1, 1, 0.05, 0.05, 0.7, 0.6, 5,
         "The power must be greater than or equal to $\\alpha$!"},
    };
    auto test = TwoMeans();
    for (const Case& c : cases) {
        PlotSettings s;
        int y = 0 + 1 + 2 + 3 - c.x - c.layer - c.constant;
        s.InitFromAnalysis(test.get(), y, c.x, c.layer, c.constant);
        s.SetXRange(c.xFrom, c.xTo, c.xStep);
        s.curveCount = c.curves;
        s.SetLayerRange(c.layerFrom, c.layerStep);
        s.SetLayerValue(c.layerValue);
        s.SetConstantValue(c.constantValue);
        EXPECT_EQ(s.Validate(), c.field) << c.what;
        if (c.message) {
            EXPECT_EQ(s.message, c.message) << c.what;
        } else {
            EXPECT_FALSE(s.message.empty()) << c.what;
        }
    }
}

TEST(XYPlotSettings, AGenericTestSkipsEveryConstantCheck) {
    PowerTGeneric generic;
    PlotSettings s;
    s.InitFromAnalysis(&generic, 1, 2, 0, 3);
    s.SetXRange(0.5, 5, 0.5);
    s.SetLayerValue(0.05);
    s.SetConstantValue(-7);  // a total sample size nobody may plot
    EXPECT_EQ(s.Validate(), -1) << s.message;
}

TEST(XYPlotSeries, AlphaFrom005To04InStepsOf001Gives36Points) {
    auto test = TwoMeans();
    PlotSettings s;
    s.InitFromAnalysis(test.get(), 1, 0, 3, 2);  // power against alpha
    ASSERT_EQ(s.Validate(), -1) << s.message;
    ASSERT_TRUE(s.BuildSeries());
    ASSERT_EQ(s.tableCurves.size(), 1u);
    ASSERT_EQ(s.tableCurves[0].size(), 36u);
    EXPECT_NEAR(s.tableCurves[0].back().x, 0.4, 1e-12);
    // Interpolating points: the line is the table.
    ASSERT_EQ(s.drawCurves.size(), 1u);
    EXPECT_EQ(s.drawCurves[0].size(), 36u);
}

TEST(XYPlotSeries, TheEndOfTheRangeCountsWithinItsTolerance) {
    const struct {
        double from, to, step;
        int points;
    } cases[] = {
        {0.05, 0.4, 0.01, 36}, {10, 100, 5, 19},
        {10, 98, 5, 18},       {-0.5, -0.1, 0.1, 5},  // a negative end keeps its last point
        {-0.3, 0, 0.1, 4},
    };
    PlotSettings s;
    for (const auto& c : cases) {
        s.SetXRange(c.from, c.to, c.step);
        EXPECT_EQ(s.TablePointCount(), c.points) << c.from << " " << c.to;
    }
}

struct Reference {
    std::string kind;
    double effect, x, value;
};

std::vector<Reference> ReadReference() {
    std::ifstream in(std::string(QUORIX_SOURCE_DIR) + "/verification/xyplot/t_power_curves.csv");
    std::vector<Reference> rows;
    std::string line;
    std::getline(in, line);
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        Reference r;
        std::string cell;
        std::getline(fields, r.kind, ',');
        std::getline(fields, cell, ',');
        r.effect = std::stod(cell);
        std::getline(fields, cell, ',');
        r.x = std::stod(cell);
        std::getline(fields, cell, ',');
        r.value = std::stod(cell);
        rows.push_back(r);
    }
    return rows;
}

TEST(XYPlotSeries, PowerAgainstNForThreeEffectSizesMatchesTheReference) {
    auto test = TwoMeans();
    PlotSettings s;
    // Power against N, one curve per effect size, alpha constant.
    s.InitFromAnalysis(test.get(), 1, 3, 2, 0);
    s.curveCount = 3;
    s.SetLayerRange(0.2, 0.3);
    s.SetConstantValue(0.05);
    ASSERT_EQ(s.Validate(), -1) << s.message;
    ASSERT_TRUE(s.BuildSeries());
    ASSERT_EQ(s.tableCurves.size(), 3u);

    int compared = 0;
    for (const Reference& r : ReadReference()) {
        if (r.kind != "post_hoc") continue;
        const int k = static_cast<int>(std::lround((r.effect - 0.2) / 0.3));
        ASSERT_LT(k, 3);
        const int i = static_cast<int>(std::lround((r.x - 10) / 5));
        ASSERT_LT(i, static_cast<int>(s.tableCurves[k].size()));
        const PlotPoint& p = s.tableCurves[k][i];
        ASSERT_TRUE(p.valid);
        EXPECT_EQ(p.x, r.x);
        EXPECT_NEAR(p.y, r.value, 5e-7 * r.value) << "d " << r.effect << " N " << r.x;
        ++compared;
    }
    EXPECT_EQ(compared, 57);
    EXPECT_EQ(s.curveLabels[0], " = 0.2");
    EXPECT_EQ(s.curveLabels[2], " = 0.8");
    EXPECT_EQ(s.title, "t tests - Means: Difference between two independent means (two groups)");
    // Several curves: the layer is not in the subtitle; the constant and the
    // allocation ratio are.
    EXPECT_EQ(s.subtitle, "Tail(s) = Two, $\\alpha$ err prob = 0.05, Allocation ratio N2/N1 = 1");
    EXPECT_NEAR(s.yMin, s.tableCurves[0][0].y, 1e-15);
    EXPECT_NEAR(s.yMax, s.tableCurves[2].back().y, 1e-15);
    EXPECT_EQ(s.xMin, 10);
    EXPECT_EQ(s.xMax, 100);
}

TEST(XYPlotSeries, APrioriSampleSizeAgainstEffectMatchesTheReference) {
    auto test = TwoMeans();
    PlotSettings s;
    s.InitFromAnalysis(test.get(), 3, 2, 0, 1);  // N against d, alpha layer, power constant
    s.SetXRange(0.3, 1.0, 0.1);
    s.SetLayerValue(0.05);
    s.SetConstantValue(0.8);
    ASSERT_EQ(s.Validate(), -1) << s.message;
    ASSERT_TRUE(s.BuildSeries());
    const XYCurve& curve = s.tableCurves.at(0);
    int compared = 0;
    for (const Reference& r : ReadReference()) {
        if (r.kind != "a_priori") continue;
        const int i = static_cast<int>(std::lround((r.effect - 0.3) / 0.1));
        ASSERT_LT(i, static_cast<int>(curve.size()));
        EXPECT_NEAR(curve[i].y, r.value, 5e-7 * r.value) << "d " << r.effect;
        ++compared;
    }
    EXPECT_EQ(compared, 8);
    // One curve: the subtitle ends with the layer's name and value, and the
    // curve label still holds it.
    EXPECT_EQ(s.subtitle,
              "Tail(s) = Two, Allocation ratio N2/N1 = 1, Power (1-$\\beta$ err prob) = 0.8, "
              "$\\alpha$ err prob = 0.05");
    EXPECT_EQ(s.curveLabels[0], " = 0.05");
}

TEST(XYPlotSeries, AnUnreachablePowerLeavesAGapAndTheCurveGoesOn) {
    auto test = TwoMeans();
    test->maxSampleSize = 400;  // d 0.1 needs some 2600, d 0.4 some 330
    PlotSettings s;
    s.InitFromAnalysis(test.get(), 3, 2, 0, 1);
    s.SetXRange(0.1, 1.0, 0.3);
    s.SetLayerValue(0.05);
    s.SetConstantValue(0.95);
    ASSERT_TRUE(s.BuildSeries());
    const XYCurve& curve = s.tableCurves.at(0);
    ASSERT_EQ(curve.size(), 4u);
    EXPECT_FALSE(curve[0].valid);
    EXPECT_EQ(curve[0].y, 0);
    for (int i = 1; i < 4; ++i) EXPECT_TRUE(curve[i].valid) << i;
    // The range of y comes from the valid points only.
    EXPECT_GT(s.yMin, 10);
}

TEST(XYPlotSeries, InterpolatingAddsTheEndWhenTheStepsStopShortOfIt) {
    auto test = TwoMeans();
    PlotSettings s;
    PowerAgainstN(s, test.get());
    s.SetXRange(10, 98, 5);
    ASSERT_TRUE(s.BuildSeries());
    const XYCurve& table = s.tableCurves.at(0);
    const XYCurve& line = s.drawCurves.at(0);
    ASSERT_EQ(table.size(), 18u);  // 10 .. 95
    ASSERT_EQ(line.size(), 19u);
    for (size_t i = 0; i < table.size(); ++i) EXPECT_EQ(line[i].y, table[i].y);
    EXPECT_EQ(line.back().x, 98);
    EXPECT_GT(line.back().y, table.back().y);
}

// The two-means test with a discrete statistic: N steps in whole numbers.
class DiscreteTwoMeans : public PowerTMeans {
  public:
    bool IsContinuous() override { return false; }
    PowerAnalysis* Clone() override { return CloneAs<DiscreteTwoMeans>(); }
};

TEST(XYPlotSeries, IntermediatePointsOfADiscreteTestStepByWholeNumbers) {
    DiscreteTwoMeans test;
    PlotSettings s;
    PowerAgainstN(s, &test);
    s.interpolateOnly = false;
    ASSERT_TRUE(s.BuildSeries());
    const XYCurve& line = s.drawCurves.at(0);
    // ceil(90 / 200) = 1: every N from 10 to 100 once; the table's points
    // fall on the grid and are not repeated.
    ASSERT_EQ(line.size(), 91u);
    for (size_t i = 0; i < line.size(); ++i) EXPECT_EQ(line[i].x, 10.0 + i) << i;

    // A continuous test takes 100 fine steps and merges the table points
    // that fall between them.
    auto continuous = TwoMeans();
    PowerAgainstN(s, continuous.get());
    s.interpolateOnly = false;
    s.SetXRange(10, 101, 7);  // fine step 0.91; table points at 17, 24, ... fall between
    ASSERT_TRUE(s.BuildSeries());
    const XYCurve& fine = s.drawCurves.at(0);
    const XYCurve& table = s.tableCurves.at(0);
    // All table points but the ends, which the grid meets.
    EXPECT_EQ(fine.size(), 101u + table.size() - 2);
    for (size_t i = 1; i < fine.size(); ++i) EXPECT_GT(fine[i].x, fine[i - 1].x) << i;
}

TEST(XYPlotSeries, CancelKeepsTheCompletedCurvesOnly) {
    auto test = TwoMeans();
    PlotSettings s;
    PowerAgainstN(s, test.get());
    s.curveCount = 3;
    s.SetLayerRange(0.01, 0.02);
    const int perCurve = s.TablePointCount();
    ASSERT_EQ(perCurve, 19);
    std::vector<double> fractions;
    s.progress = [&](double f) {
        fractions.push_back(f);
        return static_cast<int>(fractions.size()) == perCurve + 5;  // within curve 2
    };
    EXPECT_FALSE(s.BuildSeries());
    ASSERT_EQ(s.tableCurves.size(), 1u);
    EXPECT_EQ(s.tableCurves[0].size(), 19u);
    for (size_t i = 1; i < fractions.size(); ++i) EXPECT_GT(fractions[i], fractions[i - 1]);
    EXPECT_LT(fractions.back(), 1.0);

    // Uncancelled, the last report is 1.
    s.progress = [&](double f) {
        fractions.push_back(f);
        return false;
    };
    EXPECT_TRUE(s.BuildSeries());
    EXPECT_EQ(fractions.back(), 1.0);
}

// A test whose solver fails: the failure leaves BuildSeries for the worker
// to report.
class FailingTwoMeans : public PowerTMeans {
  public:
    double ComputePower2(double, double, double, double) override {
        throw QuorixError("TDist-Cdf: no convergence", 0, 0);
    }
    PowerAnalysis* Clone() override { return CloneAs<FailingTwoMeans>(); }
};

TEST(XYPlotSeries, NumericalFailuresPropagate) {
    FailingTwoMeans test;
    PlotSettings s;
    PowerAgainstN(s, &test);
    EXPECT_THROW(s.BuildSeries(), QuorixError);
}

}  // namespace
