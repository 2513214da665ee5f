// The test of two variances through the calculation path of the main
// window.

#include "power/f/power_f_two_var.h"

#include <gtest/gtest.h>

#include <memory>

#include "analysis/calculation_test_support.h"
#include "analysis/plot_data.h"
#include "distributions/f.h"
#include "power/f/f_chi_test_tables.h"

namespace {

using calc_test::Calculate;
using calc_test::OutputValue;
using namespace calc_test::label;
using namespace f_chi_test;

// Reference values: verification/f_designs/reference.R (central F in R).
// Among them, for the ratio 1.5 at alpha 0.05 and power 0.95: 266 + 266 one
// tailed, 319 + 319 two tailed; Post hoc with 10 + 21: power 0.1837597.
// A priori at the allocation ratios 100 and 0.01 finds 135 + 13481 and
// 13481 + 135: the search never tries a group too small to have a df.
TEST(TwoVariances, AgreesWithRInEveryAnalysisType) {
    calc_test::ExpectReferenceCasesOf<PowerFTwoVar>(kDesignCases, kVarianceRatioTestId, 20);
}

// Criterion and Compromise at alpha and beta far below 1e-12, with ratios
// on both sides of 1 and both tails (verification/small_tails, R, with
// seeded random cases).
TEST(TwoVariances, SmallAlphaAndBetaAgreeWithR) {
    calc_test::ExpectReferenceCasesOf<PowerFTwoVar>(kDesignSmallTails, kVarianceRatioTestId, 10);
}

// A priori at the lower end of the search: with the ratio 100 the rounded
// split of 152 already gives 2 + 150, which reaches the target, below the
// 202 that the ratio alone would demand (verification/smallest_n, R, by a
// scan over every total).
TEST(TwoVariances, APrioriFindsTheSmallestAdmissibleTotal) {
    calc_test::ExpectReferenceCasesOf<PowerFTwoVar>("verification/smallest_n/cases.tsv",
                                                    kVarianceRatioTestId, 2);
}

const char* const kEffect = "Ratio var1/var0";
const char* const kTails = "Tail(s)";
const char* const kDirection = "Effect direction";
const char* const kGroup1 = "Sample size group 1";
const char* const kGroup2 = "Sample size group 2";
const char* const kAllocation = "Allocation ratio N2/N1";

TEST(TwoVariances, InputAndOutputRows) {
    const std::vector<std::string> head = {"Lower critical F", "Upper critical F", kNumeratorDf,
                                           kDenominatorDf};
    calc_test::ExpectTypeRows<PowerFTwoVar>(
        head,
        {
            {kAPriori,
             {kTails, kEffect, kAlpha, kPower, kAllocation},
             {kGroup1, kGroup2, kActualPower}},
            {kSensitivity, {kTails, kDirection, kAlpha, kPower, kGroup1, kGroup2}, {kEffect}},
            {kPostHoc, {kTails, kEffect, kAlpha, kGroup1, kGroup2}, {kPower}},
            {kCriterion, {kTails, kEffect, kPower, kGroup1, kGroup2}, {kAlpha}},
            {kCompromise, {kTails, kEffect, kRatio, kGroup1, kGroup2}, {kAlpha, kBeta, kPower}},
        });
    PowerFTwoVar test;
    calc_test::ExpectEffectInput(test, kPostHoc, kEffect, kVarianceRatioTestId);
}

TEST(TwoVariances, RefusedInputsNameTheirRow) {
    const char* const kAtLeastTwo = "Sample size must be greater than or equal to 2.";
    const calc_test::Refusal cases[] = {
        {kAPriori,
         {{"r", "101"}, {"v", "1"}},
         kAllocation,
         "The allocation ratio falls outside\nthe admissible range (0.01, 100)."},
        {kAPriori, {{"v", "1e-7"}}, kEffect, "Effect size v must be greater 1e-06."},
        {kAPriori,
         {{"v", "1.0005"}},
         kEffect,
         "Effect size var1/var0 is inside the prohibited range (0.999, 1.001)."},
        {kAPriori,
         {{"v", "0.9995"}, {"alpha", "0"}},
         kEffect,
         "Effect size var1/var0 is inside the prohibited range (0.999, 1.001)."},
        {kPostHoc, {{"v", "-0.5"}, {"n1", "1"}}, kEffect, "Effect size v must be non-negative."},
        {kPostHoc, {{"n1", "1"}}, kGroup1, kAtLeastTwo},
        {kCriterion, {{"n2", "1"}}, kGroup2, kAtLeastTwo},
        {kSensitivity,
         {{"n1", "1"}, {"n2", "1"}, {"power", "0.01"}},
         kPower,
         "Power must be greater than or equal to alpha."},
        // The group sizes before the ratio in a Compromise.
        {kCompromise, {{"n2", "1"}, {"q", "1000"}}, kGroup2, kAtLeastTwo},
        {kCompromise,
         {{"q", "1000"}},
         kRatio,
         "$\\beta$/$\\alpha$ ratio is outside the admissible range (0.01, 100)"},
    };
    for (const calc_test::Refusal& c : cases) {
        PowerFTwoVar test;
        const std::string context = calc_test::ExpectRefusal(test, c);
        EXPECT_EQ(test.effectSize, 1.5) << context;
        EXPECT_EQ(test.groupSize1, 50.0) << context;
    }
    // Near 0 the power is 1 at nearly every alpha: where Criterion and
    // Compromise find no alpha, the ratio is refused as in A priori.
    for (AnalysisType type : {kCriterion, kCompromise}) {
        for (const char* v : {"0", "1e-300"}) {
            PowerFTwoVar test;
            const auto result = Calculate(test, type, {{"v", v}});
            calc_test::ExpectRefused(*result, kEffect, "Effect size v must be greater 1e-06.",
                                     std::to_string(type) + " v " + v);
        }
    }
}

// A ratio of exactly 1 is taken a hair above 1: the one-tailed test looks
// at the upper tail, and its power is alpha.
TEST(TwoVariances, PostHocAtARatioOfOne) {
    PowerFTwoVar test;
    const auto result = Calculate(test, kPostHoc, {{"v", "1"}, {"tails", "One"}});
    ASSERT_EQ(result->status, kCalculateDone) << result->message;
    calc_test::ExpectOutput(result->outputs, kPower, 0.05, "r = 1");
    EXPECT_GT(test.effectSize, 1.0);
    EXPECT_EQ(OutputValue(result->outputs, "Lower critical F"),
              OutputValue(result->outputs, "Upper critical F"));
}

// With power equal to alpha the search aims a hair above alpha, on the side
// of 1 the direction names.
TEST(TwoVariances, SensitivityWithPowerEqualToAlpha) {
    for (const char* direction : {"var1$\\le$var0", "var1$\\ge$var0"}) {
        PowerFTwoVar test;
        const auto result = Calculate(test, kSensitivity, {{"power", "0.05"}, {"dir", direction}});
        ASSERT_EQ(result->status, kCalculateDone) << direction << "\n" << result->message;
        const double r = test.effectSize;
        EXPECT_NEAR(r, 1.0, 1e-3) << direction;
        EXPECT_EQ(r > 1.0, std::string(direction).find("ge") != std::string::npos)
            << direction << " " << r;
    }
}

// The graph takes the side of r, draws H0 at scale 1 and H1 at scale 1/r
// (the H0 density stretched by r) and marks both critical values of a
// two-tailed test.
TEST(TwoVariances, GraphShowsTheRatioAsAScale) {
    for (const char* r : {"0.5", "2"}) {
        PowerFTwoVar test;
        const auto result =
            Calculate(test, kPostHoc, {{"v", r}, {"tails", "Two"}, {"n1", "12"}, {"n2", "20"}});
        ASSERT_EQ(result->status, kCalculateDone) << result->message;
        PlotData plot;
        test.MakeDistributionPlot(&plot);
        const double ratio = std::stod(r);
        EXPECT_EQ(plot.side, ratio < 1.0 ? -1 : 1) << r;
        calc_test::ExpectOutput(result->outputs, "Lower critical F",
                                std::min(plot.criticalValue, plot.criticalValue2), r);
        calc_test::ExpectOutput(result->outputs, "Upper critical F",
                                std::max(plot.criticalValue, plot.criticalValue2), r);
        FDistribution h0(11.0, 19.0);
        ASSERT_FALSE(plot.noncentralCurve.empty());
        for (size_t i = 0; i < plot.noncentralCurve.size(); i += 20) {
            const PlotPoint& p = plot.noncentralCurve[i];
            EXPECT_NEAR(p.y, h0.Pdf(p.x / ratio) / ratio, 1e-9 * (1.0 + p.y)) << r << " x " << p.x;
        }
    }
}

TEST(TwoVariances, CloneDrawsTheSameGraph) {
    PowerFTwoVar test;
    Calculate(test, kPostHoc, {{"v", "0.6"}, {"tails", "Two"}, {"n1", "15"}, {"n2", "30"}});
    std::unique_ptr<PowerAnalysis> clone(test.Clone());
    ASSERT_NE(dynamic_cast<PowerFTwoVar*>(clone.get()), nullptr);
    EXPECT_FALSE(clone->oneTailed);
    calc_test::ExpectSameDistributionPlot(test, *clone, 25);
}

}  // namespace
