// The two-proportion z test: its lists for either effect input, its input
// checks in their order, its options and the cases the plain formulas get
// wrong. The numbers of every analysis type and option are checked against
// the reference table in z_reference_cases_test.cpp.

#include "power/z/power_z_two_prop.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "analysis/calculation_test_support.h"
#include "numerics/quorix_error.h"

namespace {

using calc_test::Calculate;
using calc_test::Texts;
using calc_test::With;

const Texts kAPrioriTexts = {{"tails", "Two"},  {"p2", "0.6"},     {"p1", "0.5"},
                             {"alpha", "0.05"}, {"power", "0.95"}, {"r", "1"}};
const Texts kSensitivityTexts = {{"tails", "Two"},  {"p1", "0.5"}, {"alpha", "0.05"},
                                 {"power", "0.95"}, {"n1", "50"},  {"n2", "50"}};
const Texts kPostHocTexts = {{"tails", "Two"},  {"p2", "0.6"}, {"p1", "0.5"},
                             {"alpha", "0.05"}, {"n1", "50"},  {"n2", "50"}};
const Texts kCriterionTexts = {{"tails", "Two"},  {"p2", "0.6"}, {"p1", "0.5"},
                               {"power", "0.95"}, {"n1", "50"},  {"n2", "50"}};
const Texts kCompromiseTexts = {{"tails", "Two"}, {"p2", "0.6"}, {"p1", "0.5"},
                                {"q", "1"},       {"n1", "50"},  {"n2", "50"}};

// The same texts with h in place of p2.
Texts WithH(Texts texts, const std::string& h) {
    texts.erase("p2");
    texts["h"] = h;
    return texts;
}

TEST(TwoProportions, ListsOfEachAnalysisTypeAndEffectInput) {
    struct Layout {
        AnalysisType type;
        std::vector<std::string> inputs, outputs;
    };
    const Layout layouts[] = {
        {kAPriori,
         {"tails", "p2", "p1", "alpha", "power", "r"},
         {"crit", "n1", "n2", "N", "actual"}},
        {kSensitivity, {"tails", "p1", "alpha", "power", "n1", "n2"}, {"crit", "p2"}},
        {kPostHoc, {"tails", "p2", "p1", "alpha", "n1", "n2"}, {"crit", "power"}},
        {kCriterion, {"tails", "p2", "p1", "power", "n1", "n2"}, {"crit", "alpha"}},
        {kCompromise, {"tails", "p2", "p1", "q", "n1", "n2"}, {"crit", "alpha", "beta", "power"}},
    };
    PowerZTwoProp p2Input;
    PowerZTwoProp hInput;
    hInput.inputProportions = false;
    for (const Layout& layout : layouts) {
        calc_test::ExpectListKeys(p2Input, layout.type, layout.inputs, layout.outputs);
        // With h as the input, h takes the place of p2, and p2 is shown last.
        std::vector<std::string> inputs = layout.inputs, outputs = layout.outputs;
        for (auto* keys : {&inputs, &outputs})
            std::replace(keys->begin(), keys->end(), std::string("p2"), std::string("h"));
        outputs.push_back("p2");
        calc_test::ExpectListKeys(hInput, layout.type, inputs, outputs);
    }
    calc_test::ExpectEffectInput(p2Input, kPostHoc, "Proportion p2", kTwoProportionsTestId, "");
    calc_test::ExpectEffectInput(
        hInput, kPostHoc, "Effect size h", kTwoProportionsTestId,
        "Effect size conventions\nh = .20 - small\nh = .50 - medium\nh = .80 - large");
    EXPECT_EQ(calc_test::AnalysisTypeCodes(p2Input).size(), 5u);
    EXPECT_TRUE(p2Input.HasOptions());
}

TEST(TwoProportions, RejectedInputsNameTheirRowAndReason) {
    struct Rejection {
        bool hInput;
        AnalysisType type;
        Texts texts;
        std::string row;
        std::string message;
    };
    const std::string p1Message = "Proportion p1 is outside the admissible range (1e-06, 1-1e-06).";
    const std::string p2Message = "Proportion p2 must lie in the interval [0,1].";
    const std::string aprioriMessage =
        "Effect size d is outside the admissible range (1e-06, 100).";
    const std::string rangeMessage = "Effect size d is outside the admissible range (-100, 100).";
    const std::string groupMessage = "Sample size must be greater than or equal to 1.";
    const std::string totalMessage =
        "Total sample size is outside the admissible range (3, 2147483646)";
    const Rejection rejections[] = {
        // p1 comes first, whatever else is wrong.
        {false, kAPriori, With(kAPrioriTexts, {{"p1", "0"}, {"r", "0"}}), "p1", p1Message},
        {false, kPostHoc, With(kPostHocTexts, {{"p1", "1"}}), "p1", p1Message},
        {true, kSensitivity, With(kSensitivityTexts, {{"p1", "0.9999995"}}), "p1", p1Message},
        // A priori: the ratio, then the effect, alpha and power.
        {false, kAPriori, With(kAPrioriTexts, {{"r", "101"}, {"p2", "0"}}), "r",
         "The allocation ratio falls outside\nthe admissible range (0.01, 100)."},
        {false, kAPriori, With(kAPrioriTexts, {{"p2", "0"}, {"alpha", "0"}}), "p2", aprioriMessage},
        {true, kAPriori, WithH(kAPrioriTexts, "0"), "h", aprioriMessage},
        {false, kAPriori, With(kAPrioriTexts, {{"p2", "1.2"}, {"alpha", "0"}}), "p2", p2Message},
        {false, kAPriori, With(kAPrioriTexts, {{"alpha", "1"}}), "alpha",
         "Alpha is outside the admissible range (1e-07, 1)."},
        {false, kAPriori, With(kAPrioriTexts, {{"power", "0.01"}}), "power",
         "Power must be greater than or equal to alpha."},
        // A p2 outside [0, 1], or an h that would describe one, is refused
        // on the effect's row.
        {false, kPostHoc, With(kPostHocTexts, {{"p2", "-0.1"}}), "p2", p2Message},
        {false, kCriterion, With(kCriterionTexts, {{"p2", "1.0001"}}), "p2", p2Message},
        {false, kPostHoc, With(kPostHocTexts, {{"p2", "100.5"}}), "p2", rangeMessage},
        {true, kPostHoc, WithH(kPostHocTexts, "1.6"), "h",
         "Effect size h must lie in the interval [-1.5708, 1.5708] for this p1."},
        {true, kCompromise, With(WithH(kCompromiseTexts, "-0.93"), {{"p1", "0.2"}}), "h",
         "Effect size h must lie in the interval [-0.927295, 2.2143] for this p1."},
        // The groups: N1, N2, then their total; Compromise checks them
        // before the ratio.
        {false, kSensitivity, With(kSensitivityTexts, {{"power", "0.01"}, {"n1", "0"}}), "power",
         "Power must be greater than or equal to alpha."},
        {false, kSensitivity, With(kSensitivityTexts, {{"n1", "0"}, {"n2", "0"}}), "n1",
         groupMessage},
        {false, kPostHoc, With(kPostHocTexts, {{"n2", "-1"}}), "n2", groupMessage},
        {false, kCriterion, With(kCriterionTexts, {{"n1", "1"}, {"n2", "1"}}), "n1", totalMessage},
        {false, kCompromise, With(kCompromiseTexts, {{"q", "0"}, {"n2", "0"}}), "n2", groupMessage},
        {false, kCompromise, With(kCompromiseTexts, {{"q", "0.005"}}), "q",
         "$\\beta$/$\\alpha$ ratio is outside the admissible range (0.01, 100)"},
    };
    for (const Rejection& r : rejections) {
        PowerZTwoProp test;
        test.inputProportions = !r.hInput;
        const auto run = Calculate(test, r.type, r.texts);
        calc_test::ExpectRefused(*run, calc_test::Label(test, r.row), r.message,
                                 calc_test::Describe(r.type, r.texts));
    }
}

// The edges of the admissible inputs are computed: p1 at 1e-6, p2 at 0 and
// 1, h = 0 outside A priori and h up to the one of p2 = 1.
TEST(TwoProportions, TheEdgesOfTheInputsAreAdmitted) {
    const std::pair<bool, Texts> accepted[] = {
        {false, With(kPostHocTexts, {{"p1", "1e-6"}})},
        {false, With(kPostHocTexts, {{"p2", "0"}})},
        {false, With(kPostHocTexts, {{"p2", "1"}, {"tails", "One"}})},
        {true, WithH(kPostHocTexts, "0")},
        {true, WithH(kPostHocTexts, "1.5707963")},
    };
    for (const auto& [hInput, texts] : accepted) {
        PowerZTwoProp test;
        test.inputProportions = !hInput;
        const auto run = Calculate(test, kPostHoc, texts);
        SCOPED_TRACE(calc_test::Describe(kPostHoc, texts));
        ASSERT_EQ(run->status, kCalculateDone) << run->message;
        EXPECT_TRUE(std::isfinite(run->Value("power")));
        EXPECT_GE(run->Value("power"), 0.05 - 1e-12);
    }
}

TEST(TwoProportions, MethodTextNamesTheOptionsInUse) {
    struct Case {
        bool arcsin, correction;
        std::string text;
    };
    const Case cases[] = {{false, false, ""},
                          {true, false, "arcsin transform"},
                          {false, true, "continuity correction"},
                          {true, true, "arcsin transform, continuity correction"}};
    for (const Case& c : cases) {
        PowerZTwoProp test;
        test.arcsinTransform = c.arcsin;
        test.continuityCorrection = c.correction;
        EXPECT_EQ(test.GetMethodText(), c.text);
        std::unique_ptr<PowerAnalysis> clone(test.Clone());
        EXPECT_EQ(clone->GetMethodText(), c.text);
    }
}

// The plot option draws the statistic on the scale of the difference: the
// critical value becomes the z quantile times the standard error under H0,
// and the power stays as it was.
TEST(TwoProportions, PlotOptionChangesOnlyTheScale) {
    for (const Texts& texts : {kPostHocTexts, With(kPostHocTexts, {{"p2", "0.3"}, {"n2", "80"}}),
                               With(kPostHocTexts, {{"p2", "0.4"}, {"tails", "One"}})}) {
        SCOPED_TRACE(calc_test::Describe(kPostHoc, texts));
        PowerZTwoProp zScale, dScale;
        dScale.plotNormal = true;
        const auto z = Calculate(zScale, kPostHoc, texts);
        const auto d = Calculate(dScale, kPostHoc, texts);
        ASSERT_EQ(z->status, kCalculateDone);
        ASSERT_EQ(d->status, kCalculateDone);
        EXPECT_NEAR(d->Value("power"), z->Value("power"), 1e-15);
        EXPECT_NEAR(dScale.criticalValue, zScale.criticalValue * dScale.nullSE, 1e-15);
        // The graph's densities follow the scale: N(0, nullSE) under H0.
        PlotData plot;
        dScale.MakeDistributionPlot(&plot);
        const PlotPoint& top = plot.centralCurve[100];
        EXPECT_NEAR(top.y * dScale.nullSE * std::sqrt(2.0 * M_PI),
                    std::exp(-0.5 * std::pow(top.x / dScale.nullSE, 2)), 1e-9);
    }
}

// Switching the input converts the effect so that it describes the same
// proportions, and the next list shows the converted value even where a
// text was typed into that input before.
TEST(TwoProportions, SwitchingTheInputConvertsTheEffect) {
    PowerZTwoProp test;
    test.inputProportions = false;
    ASSERT_EQ(Calculate(test, kPostHoc, WithH(kPostHocTexts, "0.5"))->status, kCalculateDone);
    test.SetInputProportions(true);
    const auto p2Run = Calculate(test, kPostHoc, With(kPostHocTexts, {{"p2", "0.6"}}));
    ASSERT_EQ(p2Run->status, kCalculateDone);
    const double p2Power = p2Run->Value("power");

    test.SetInputProportions(false);
    EXPECT_NEAR(test.effectSize, 2.0 * (std::asin(std::sqrt(0.6)) - std::asin(std::sqrt(0.5))),
                1e-15);
    PropertyList inputs;
    test.BuildInputList(kPostHoc, &inputs);
    EXPECT_EQ(inputs.Find("Effect size h")->text, "0.2013579");
    // Calculated again from the shown text, it is the same test.
    const auto hRun = Calculate(test, kPostHoc, WithH(kPostHocTexts, "0.201357920790331"));
    EXPECT_NEAR(hRun->Value("power"), p2Power, 1e-12);
    EXPECT_NEAR(hRun->Value("p2"), 0.6, 1e-12);

    test.SetInputProportions(true);
    EXPECT_NEAR(test.effectSize, 0.6, 1e-15);
    test.SetInputProportions(true);  // no change, no conversion
    EXPECT_NEAR(test.effectSize, 0.6, 1e-15);
}

// With no difference the power is alpha, and the critical values shown are
// those of this alpha and these tails, not what an earlier run left.
TEST(TwoProportions, NoDifferenceComputesItsCriticalValues) {
    for (const bool oneTail : {false, true}) {
        PowerZTwoProp test;
        ASSERT_EQ(Calculate(test, kPostHoc, With(kPostHocTexts, {{"alpha", "0.3"}}))->status,
                  kCalculateDone);
        const Texts texts = With(
            kPostHocTexts, {{"p2", "0.5"}, {"alpha", "0.01"}, {"tails", oneTail ? "One" : "Two"}});
        const auto run = Calculate(test, kPostHoc, texts);
        ASSERT_EQ(run->status, kCalculateDone);
        EXPECT_EQ(run->Value("power"), 0.01);
        // One tail: the lower tail, as for a difference below zero.
        EXPECT_NEAR(run->Value("crit"), oneTail ? -2.3263479 : 2.5758293, 1e-7);
    }
}

// With p2 = p1 the power is alpha at every N: A priori has no sample size
// to find and refuses p2 on its row, instead of showing the end of its
// search range or the generic failure.
TEST(TwoProportions, APrioriWithoutADifferenceIsRefusedOnItsRow) {
    for (const bool arcsin : {false, true}) {
        PowerZTwoProp test;
        test.arcsinTransform = arcsin;
        const auto run = Calculate(test, kAPriori, With(kAPrioriTexts, {{"p2", "0.5"}}));
        EXPECT_EQ(run->status, run->Row("p2"));
        EXPECT_EQ(run->message,
                  "In an a priori analysis, the proportions p1 and p2\nmust differ by more than "
                  "0.00001.");
    }
}

// The test keeps its checks from one calculation to the next: switched to
// the other effect input on the same object, or cloned, it checks the input
// it now shows. An h equal to p1 is a difference like any other.
TEST(TwoProportions, ChecksFollowTheEffectInputAfterASwitchAndInAClone) {
    const Texts sameP2 = With(kAPrioriTexts, {{"p2", "0.5"}});
    const std::string refusal =
        "In an a priori analysis, the proportions p1 and p2\nmust differ by more than 0.00001.";
    PowerZTwoProp test;
    EXPECT_EQ(Calculate(test, kAPriori, sameP2)->message, refusal);
    test.SetInputProportions(false);
    const auto withH = Calculate(test, kAPriori, WithH(kAPrioriTexts, "0.5"));
    EXPECT_EQ(withH->status, kCalculateDone) << withH->message;
    std::unique_ptr<PowerAnalysis> clone(test.Clone());
    EXPECT_EQ(Calculate(*clone, kAPriori, WithH(kAPrioriTexts, "0.5"))->status, kCalculateDone);
    test.SetInputProportions(true);
    EXPECT_EQ(Calculate(test, kAPriori, sameP2)->message, refusal);
    EXPECT_EQ(Calculate(*clone, kAPriori, WithH(kAPrioriTexts, "0"))->message,
              "Effect size d is outside the admissible range (1e-06, 100).");
}

// With the continuity correction the power never grows as the groups
// shrink, down to groups too small for any uncorrected size, and stays a
// number there.
TEST(TwoProportions, CorrectedPowerFallsWithTheGroups) {
    PowerZTwoProp test;
    test.continuityCorrection = true;
    test.oneTailed = false;
    test.proportion1 = 0.5;
    double previous = 1.0;
    for (double n = 400.0; n >= 1.0; n -= 1.0) {
        const double power = test.ComputePower2(0.6, 0.05, n, 2.0 * n);
        ASSERT_TRUE(std::isfinite(power)) << n;
        EXPECT_LE(power, previous + 1e-15) << n;
        previous = power;
    }
    // The corrected test never has more power than the uncorrected one.
    PowerZTwoProp plain;
    plain.oneTailed = false;
    plain.proportion1 = 0.5;
    for (double n : {5.0, 20.0, 200.0}) {
        EXPECT_LT(test.ComputePower2(0.6, 0.05, n, n), plain.ComputePower2(0.6, 0.05, n, n)) << n;
    }
}

// With the arcsin transform and the h input, d is h and both standard
// errors are sqrt(1/N1 + 1/N2).
TEST(TwoProportions, ArcsinTransformTakesHAsTheDifference) {
    PowerZTwoProp test;
    test.inputProportions = false;
    test.arcsinTransform = true;
    test.proportion1 = 0.3;
    test.ComputePower2(0.45, 0.05, 40.0, 90.0);
    EXPECT_NEAR(test.difference, 0.45, 1e-15);
    EXPECT_DOUBLE_EQ(test.nullSE, std::sqrt(1.0 / 40 + 1.0 / 90));
    EXPECT_DOUBLE_EQ(test.alternativeSE, test.nullSE);
}

// Sensitivity searches p2 in (p1, 1) and h up to the h of p2 = 1; a power
// that no p2 above p1 reaches is a failed search, not an answer below p1.
TEST(TwoProportions, SensitivityStaysAboveP1) {
    for (const bool hInput : {false, true}) {
        SCOPED_TRACE(hInput);
        const Texts small = With(kSensitivityTexts, {{"p1", "0.7"}, {"n1", "20"}, {"n2", "20"}});
        PowerZTwoProp test;
        test.inputProportions = !hInput;
        // At p2 = 1 two groups of twenty reach a power of 0.7787 (two tails);
        // a search for h that ran past the h of p2 = 1 found p2 = 0.28.
        const auto run = Calculate(test, kSensitivity, With(small, {{"power", "0.778"}}));
        ASSERT_EQ(run->status, kCalculateDone) << run->message;
        const double p2 = test.proportion2;
        EXPECT_GT(p2, 0.7);
        EXPECT_LE(p2, 1.0);
        EXPECT_NEAR(test.ComputePower2(test.effectSize, 0.05, 20, 20), 0.778, 1e-9);
        PowerZTwoProp unreachable;
        unreachable.inputProportions = !hInput;
        EXPECT_THROW(Calculate(unreachable, kSensitivity, With(small, {{"power", "0.78"}})),
                     QuorixError);
    }
}

// The checks the X-Y plot makes per point.
TEST(TwoProportions, PointChecks) {
    PowerZTwoProp test;
    EXPECT_TRUE(test.exactFlag);
    EXPECT_TRUE(test.CheckSampleSize(kPostHoc, 2.9));
    EXPECT_FALSE(test.CheckSampleSize(kPostHoc, 1.9));
    EXPECT_EQ(test.GetMessage(),
              "Total sample size is outside the admissible range (2, 2147483646)");
    EXPECT_TRUE(test.CheckGroupSizes(kPostHoc, 1, 1));
    EXPECT_FALSE(test.CheckGroupSizes(kPostHoc, 0.5, 5));
    EXPECT_EQ(test.GetMessage(), "Sample size must be greater than or equal to 1.");
    EXPECT_FALSE(test.CheckGroupSizes(kPostHoc, NAN, 5));
}

}  // namespace
