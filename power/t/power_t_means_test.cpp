// The two-sample t test: its lists, its input checks in their order, the
// split of an A priori total into whole groups, and the checks the X-Y plot
// makes. The numbers of every analysis type are checked against the
// reference table in t_reference_cases_test.cpp.

#include "power/t/power_t_means.h"

#include <gtest/gtest.h>

#include "analysis/calculation_test_support.h"
#include "analysis/plot_data.h"
#include "distributions/t.h"

namespace {

using calc_test::Calculate;
using calc_test::Texts;
using calc_test::With;

const Texts kAPrioriTexts = {
    {"tails", "Two"}, {"d", "0.5"}, {"alpha", "0.05"}, {"power", "0.95"}, {"r", "1"}};
const Texts kSensitivityTexts = {
    {"tails", "Two"}, {"alpha", "0.05"}, {"power", "0.95"}, {"n1", "50"}, {"n2", "50"}};
const Texts kPostHocTexts = {
    {"tails", "Two"}, {"d", "0.5"}, {"alpha", "0.05"}, {"n1", "50"}, {"n2", "50"}};
const Texts kCriterionTexts = {
    {"tails", "Two"}, {"d", "0.5"}, {"power", "0.95"}, {"n1", "50"}, {"n2", "50"}};
const Texts kCompromiseTexts = {
    {"tails", "Two"}, {"d", "0.5"}, {"q", "1"}, {"n1", "50"}, {"n2", "50"}};

TEST(TwoMeans, ListsOfEachAnalysisType) {
    struct Layout {
        AnalysisType type;
        std::vector<std::string> inputs, outputs;
    };
    const Layout layouts[] = {
        {kAPriori,
         {"tails", "d", "alpha", "power", "r"},
         {"ncp", "crit", "df", "n1", "n2", "n", "actual"}},
        {kSensitivity, {"tails", "alpha", "power", "n1", "n2"}, {"ncp", "crit", "df", "d"}},
        {kPostHoc, {"tails", "d", "alpha", "n1", "n2"}, {"ncp", "crit", "df", "power"}},
        {kCriterion, {"tails", "d", "power", "n1", "n2"}, {"ncp", "crit", "df", "alpha"}},
        {kCompromise,
         {"tails", "d", "q", "n1", "n2"},
         {"ncp", "crit", "df", "alpha", "beta", "power"}},
    };
    PowerTMeans test;
    for (const Layout& layout : layouts) {
        calc_test::ExpectListKeys(test, layout.type, layout.inputs, layout.outputs);
    }
    // The effect input is the one the effect-size panel of this test fills.
    calc_test::ExpectEffectInput(
        test, kPostHoc, "Effect size d", 201,
        "Effect size conventions\nd = .20 - small\nd = .50 - medium\nd = .80 - large");
    PropertyList types;
    test.GetAnalysisTypes(&types);
    EXPECT_EQ(types.size(), 5u);
}

TEST(TwoMeans, RejectedInputsNameTheirRowAndReason) {
    struct Rejection {
        AnalysisType type;
        Texts texts;
        std::string row;
        std::string message;
    };
    const std::string ratioMessage =
        "The allocation ratio falls outside\nthe admissible range (0.01, 100).";
    const std::string aprioriMessage =
        "In an a priori analysis, the absolute value of the\neffect size must be greater than "
        "0.00001.";
    const std::string rangeMessage = "Effect size d is outside the admissible range (-20, 20).";
    const std::string totalMessage =
        "Total sample size is outside the admissible range (3, 2147483646)";
    const std::string groupMessage = "Sample size must be greater than or equal to 1.";
    const Rejection rejections[] = {
        // A priori: the ratio first, then effect, alpha and power.
        {kAPriori, With(kAPrioriTexts, {{"r", "0.0099"}, {"d", "0"}}), "r", ratioMessage},
        {kAPriori, With(kAPrioriTexts, {{"r", "100.5"}}), "r", ratioMessage},
        {kAPriori, With(kAPrioriTexts, {{"d", "9e-6"}, {"alpha", "0"}}), "d", aprioriMessage},
        {kAPriori, With(kAPrioriTexts, {{"d", "-9e-6"}}), "d", aprioriMessage},
        {kAPriori, With(kAPrioriTexts, {{"d", "20.5"}}), "d", rangeMessage},
        {kAPriori, With(kAPrioriTexts, {{"alpha", "1"}}), "alpha",
         "Alpha is outside the admissible range (1e-07, 1)."},
        {kAPriori, With(kAPrioriTexts, {{"power", "1"}}), "power",
         "Power is outside the admissible range (1e-07, 1)."},
        {kAPriori, With(kAPrioriTexts, {{"power", "0.04"}}), "power",
         "Power must be greater than or equal to alpha."},
        {kSensitivity, With(kSensitivityTexts, {{"power", "0.04"}, {"n1", "0"}}), "power",
         "Power must be greater than or equal to alpha."},
        // The group checks: N1, N2, then their total.
        {kSensitivity, With(kSensitivityTexts, {{"n1", "0"}, {"n2", "0"}}), "n1", groupMessage},
        {kPostHoc, With(kPostHocTexts, {{"n2", "-4"}}), "n2", groupMessage},
        {kPostHoc, With(kPostHocTexts, {{"n1", "1"}, {"n2", "1"}}), "n1", totalMessage},
        // Two 32-bit sizes whose sum does not fit one.
        {kPostHoc, With(kPostHocTexts, {{"n1", "2147483647"}, {"n2", "2147483647"}}), "n1",
         totalMessage},
        {kPostHoc, With(kPostHocTexts, {{"d", "-20.01"}, {"alpha", "0"}}), "d", rangeMessage},
        {kCriterion, With(kCriterionTexts, {{"d", "21"}}), "d", rangeMessage},
        {kCriterion, With(kCriterionTexts, {{"power", "0"}, {"n1", "0"}}), "power",
         "Power is outside the admissible range (1e-07, 1)."},
        // Compromise checks the groups before the ratio.
        {kCompromise, With(kCompromiseTexts, {{"q", "0"}, {"n1", "1"}, {"n2", "1"}}), "n1",
         totalMessage},
        {kCompromise, With(kCompromiseTexts, {{"q", "101"}}), "q",
         "$\\beta$/$\\alpha$ ratio is outside the admissible range (0.01, 100)"},
    };
    for (const Rejection& r : rejections) {
        PowerTMeans test;
        const auto run = Calculate(test, r.type, r.texts);
        SCOPED_TRACE(r.message);
        EXPECT_GE(run->status, 0);
        EXPECT_EQ(run->status, run->Row(r.row));
        EXPECT_EQ(run->message, r.message);
    }
}

// The extreme ratios are admitted, and however the total splits, each group
// keeps at least one subject and the total shown is the sum of the groups.
TEST(TwoMeans, APrioriSplitsTheTotalIntoWholeGroups) {
    struct Split {
        Texts texts;
        double ratio;
    };
    const Split splits[] = {
        {With(kAPrioriTexts, {{"r", "0.01"}}), 0.01},
        {With(kAPrioriTexts, {{"r", "100"}}), 100.0},
        {With(kAPrioriTexts, {{"r", "100"}, {"d", "5"}, {"power", "0.8"}}), 100.0},
        {With(kAPrioriTexts, {{"r", "0.01"}, {"d", "5"}, {"power", "0.8"}}), 0.01},
        {With(kAPrioriTexts, {{"r", "1"}, {"d", "19"}}), 1.0},
    };
    for (const Split& s : splits) {
        PowerTMeans test;
        const auto run = Calculate(test, kAPriori, s.texts);
        SCOPED_TRACE(run->Text("n1") + " + " + run->Text("n2"));
        ASSERT_EQ(run->status, kCalculateDone) << run->message;
        const double n1 = run->Value("n1"), n2 = run->Value("n2");
        EXPECT_GE(n1, 1.0);
        EXPECT_GE(n2, 1.0);
        EXPECT_EQ(run->Value("n"), n1 + n2);
        EXPECT_EQ(run->Value("df"), n1 + n2 - 2.0);
        EXPECT_EQ(test.allocationRatio, s.ratio);
        // The actual power belongs to the groups shown.
        PowerTMeans check;
        check.oneTailed = false;
        const double power = check.ComputePower2(test.effectSize, 0.05, n1, n2);
        EXPECT_NEAR(run->Value("actual"), power, 1e-7);
        if (s.ratio == 1.0) {
            EXPECT_EQ(n1, n2);
        }
    }
}

// Rounding the first group to the nearest whole number can lose the
// target: 6,289,442 split by ratio 10 gives 571,767 + 5,717,675 with power
// 0.94999989 (R's pt with ncp). The next total, 571,768 + 5,717,675, has
// 0.95000019 and is the answer.
TEST(TwoMeans, APrioriGroupsNeverFallShortOfThePowerAskedFor) {
    PowerTMeans test;
    const auto run = Calculate(test, kAPriori, With(kAPrioriTexts, {{"d", "0.005"}, {"r", "10"}}));
    ASSERT_EQ(run->status, kCalculateDone) << run->message;
    EXPECT_EQ(run->Value("n1"), 571768.0);
    EXPECT_EQ(run->Value("n2"), 5717675.0);
    EXPECT_EQ(run->Value("n"), 6289443.0);
    EXPECT_NEAR(run->Value("actual"), 0.9500002, 5e-8);
}

// The checks the X-Y plot makes per point.
TEST(TwoMeans, PointChecks) {
    PowerTMeans test;
    EXPECT_TRUE(test.CheckGroupSizes(kPostHoc, 1, 1));
    EXPECT_FALSE(test.CheckGroupSizes(kPostHoc, 0, 5));
    EXPECT_EQ(test.GetMessage(), "Sample size must be greater than or equal to 1.");
    EXPECT_FALSE(test.CheckGroupSizes(kPostHoc, 2147483646.0, 2147483646.0));
    EXPECT_EQ(test.GetMessage(),
              "Total sample size is outside the admissible range (2, 2147483646)");
    EXPECT_TRUE(test.CheckSampleSize(kPostHoc, 2));
    EXPECT_FALSE(test.CheckSampleSize(kPostHoc, 1));
    EXPECT_FALSE(test.CheckSampleSize(kPostHoc, NAN));

    EXPECT_TRUE(test.CheckEffectSize(kPostHoc, 0.0));
    EXPECT_TRUE(test.CheckEffectSize(kAPriori, -1e-5));
    EXPECT_FALSE(test.CheckEffectSize(kAPriori, 0.0));
    EXPECT_FALSE(test.CheckEffectSize(kSensitivity, NAN));
    EXPECT_EQ(test.GetMessage(), "Effect size d is outside the admissible range (-20, 20).");
    EXPECT_TRUE(test.exactFlag);
}

// Unequal groups: delta and df follow N1 and N2, and the allocation ratio
// of the next A priori list is the one of the groups given.
TEST(TwoMeans, PostHocKeepsTheAllocationRatio) {
    PowerTMeans test;
    const auto run = Calculate(test, kPostHoc, With(kPostHocTexts, {{"n1", "20"}, {"n2", "60"}}));
    ASSERT_EQ(run->status, kCalculateDone);
    EXPECT_EQ(run->Text("ncp"), "1.9364917");  // 0.5 sqrt(20 * 60 / 80)
    EXPECT_EQ(run->Text("df"), "78");
    PropertyList inputs;
    test.BuildInputList(kAPriori, &inputs);
    EXPECT_EQ(inputs.Find("Allocation ratio N2/N1")->text, "3");
}

// The distribution graph drawn after a calculation shows the df, the
// noncentrality and the critical value of the outputs, on the side of the
// effect.
TEST(TwoMeans, DistributionGraphFollowsTheOutputs) {
    const std::pair<AnalysisType, Texts> cases[] = {
        {kPostHoc, With(kPostHocTexts, {{"d", "-0.5"}, {"tails", "One"}})},
        {kCriterion, With(kCriterionTexts, {{"d", "-0.4"}, {"tails", "One"}, {"n2", "80"}})},
        {kAPriori, With(kAPrioriTexts, {{"r", "2"}})},
        {kCompromise, kCompromiseTexts},
    };
    for (const auto& [type, texts] : cases) {
        SCOPED_TRACE(type);
        PowerTMeans test;
        const auto run = Calculate(test, type, texts);
        ASSERT_EQ(run->status, kCalculateDone);
        PlotData plot;
        test.MakeDistributionPlot(&plot);
        EXPECT_EQ(plot.side, test.effectSize < 0 ? -1 : 1);
        EXPECT_NEAR(plot.criticalValue, run->Value("crit"), 1e-7);
        if (!test.oneTailed) {
            EXPECT_NEAR(plot.criticalValue2, -run->Value("crit"), 1e-7);
        }
        ASSERT_EQ(plot.noncentralCurve.size(), 201u);
        TDistribution h0(run->Value("df"), 0.0, true),
            h1(run->Value("df"), run->Value("ncp"), true);
        for (int i = 0; i <= 200; i += 40) {
            const double x = plot.centralCurve[i].x;
            EXPECT_NEAR(plot.centralCurve[i].y, h0.Pdf(x), 1e-12);
            EXPECT_NEAR(plot.noncentralCurve[i].y, h1.Pdf(x), 1e-7);
        }
    }
}

}  // namespace
