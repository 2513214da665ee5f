// The solvers and the distribution graph over the project's own noncentral t
// distribution: a one-sample t test as a family would write it.

#include "distributions/t.h"

#include <gtest/gtest.h>

#include <cmath>

#include "analysis/plot_data.h"
#include "analysis/power_analysis.h"

namespace {

class OneSampleT : public PowerAnalysis {
  public:
    OneSampleT() { distribution = new TDistribution(1.0, 0.0); }
    PowerAnalysis* Clone() override {
        auto* copy = new OneSampleT;
        CopyStateTo(*copy);
        return copy;
    }
    double ComputePower(double effect, double alphaValue, double n) override {
        distribution->SetParam(1, n - 1.0);
        return PowerAnalysis::ComputePower(effect, alphaValue, n);
    }
    double NoncentralityFromEffect(double effect) override {
        return effect * std::sqrt(sampleSize);
    }
    void BracketSampleSize() override { BracketSampleSizeFrom(2.0, 100.0); }
    bool UsesChiSquarePlot() override { return false; }
};

// Reference values: verification/analysis/t_reference.R (R's pt and qt).
TEST(TStatistic, FiveAnalysisTypesAgreeWithR) {
    OneSampleT test;
    EXPECT_NEAR(test.SolveSampleSize(0.5, 0.05, 0.95, false), 44.679977307965395, 1e-7);
    EXPECT_EQ(test.SolveSampleSize(0.5, 0.05, 0.95, true), 45.0);
    EXPECT_NEAR(test.actualPower, 0.95124004525075756, 1e-9);

    EXPECT_NEAR(test.ComputePower(0.5, 0.05, 30), 0.848254190929147, 1e-9);
    EXPECT_NEAR(test.criticalValue, 1.6991270265334975, 1e-9);
    EXPECT_NEAR(test.SolveEffectSize(0.05, 0.95, 30), 0.61525441343877274, 1e-8);
    EXPECT_NEAR(test.SolveAlpha(0.5, 0.8, 30), 0.034532125011774634, 1e-9);
    EXPECT_NEAR(test.SolveCompromise(0.5, 1.0, 30), 0.088906348672551733, 1e-9);
}

TEST(TStatistic, DistributionGraphOneAndTwoTailed) {
    for (bool oneTailed : {true, false}) {
        OneSampleT test;
        test.power = test.ComputePower(0.5, oneTailed ? 0.05 : 0.025, 30);
        test.alpha = 0.05;
        test.oneTailed = oneTailed;
        PlotData plot;
        test.MakeDistributionPlot(&plot);
        ASSERT_EQ(plot.centralCurve.size(), 201u);
        ASSERT_EQ(plot.noncentralCurve.size(), 201u);
        const double xMin = plot.centralCurve.front().x, xMax = plot.centralCurve.back().x;
        EXPECT_LT(xMin, plot.criticalValue);
        EXPECT_GT(xMax, plot.criticalValue);
        EXPECT_LT(xMin, plot.criticalValue2);
        TDistribution h0(29.0, 0.0), h1(29.0, 0.5 * std::sqrt(30.0));
        for (int i = 0; i <= 200; i += 50) {
            const double x = plot.centralCurve[i].x;
            EXPECT_NEAR(plot.centralCurve[i].y, h0.Pdf(x), 1e-14);
            EXPECT_NEAR(plot.noncentralCurve[i].y, h1.Pdf(x), 1e-12);
        }
        ASSERT_GE(plot.alphaArea.size(), 2u);
        EXPECT_EQ(plot.alphaArea.back().x, xMax);
        EXPECT_EQ(plot.alphaArea2.empty(), oneTailed);
        if (!oneTailed) {
            EXPECT_EQ(plot.criticalValue2, -plot.criticalValue);
            EXPECT_EQ(plot.alphaArea2.back().x, xMin);
            EXPECT_EQ(plot.betaArea.back().x, plot.criticalValue2);
        }
    }
}

}  // namespace
