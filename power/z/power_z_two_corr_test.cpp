// The z test of two independent correlations: its lists, its input checks
// in their order, the smallest groups it admits and the split of an A priori
// total. The numbers of every analysis type are checked against the
// reference table in z_reference_cases_test.cpp.

#include "power/z/power_z_two_corr.h"

#include <gtest/gtest.h>

#include <cmath>

#include "analysis/calculation_test_support.h"
#include "numerics/quorix_error.h"

namespace {

using calc_test::Calculate;
using calc_test::Texts;
using calc_test::With;

const Texts kAPrioriTexts = {
    {"tails", "Two"}, {"qr", "0.3"}, {"alpha", "0.05"}, {"power", "0.8"}, {"r", "1"}};
const Texts kSensitivityTexts = {
    {"tails", "Two"}, {"alpha", "0.05"}, {"power", "0.95"}, {"n1", "50"}, {"n2", "50"}};
const Texts kPostHocTexts = {
    {"tails", "Two"}, {"qr", "0.3"}, {"alpha", "0.05"}, {"n1", "50"}, {"n2", "50"}};
const Texts kCriterionTexts = {
    {"tails", "Two"}, {"qr", "0.3"}, {"power", "0.95"}, {"n1", "50"}, {"n2", "50"}};
const Texts kCompromiseTexts = {
    {"tails", "Two"}, {"qr", "0.3"}, {"q", "1"}, {"n1", "50"}, {"n2", "50"}};

TEST(TwoCorrelations, ListsOfEachAnalysisType) {
    struct Layout {
        AnalysisType type;
        std::vector<std::string> inputs, outputs;
    };
    const Layout layouts[] = {
        {kAPriori, {"tails", "qr", "alpha", "power", "r"}, {"crit", "n1", "n2", "N", "actual"}},
        {kSensitivity, {"tails", "alpha", "power", "n1", "n2"}, {"crit", "qr"}},
        {kPostHoc, {"tails", "qr", "alpha", "n1", "n2"}, {"crit", "power"}},
        {kCriterion, {"tails", "qr", "power", "n1", "n2"}, {"crit", "alpha"}},
        {kCompromise, {"tails", "qr", "q", "n1", "n2"}, {"crit", "alpha", "beta", "power"}},
    };
    PowerZTwoCorr test;
    for (const Layout& layout : layouts) {
        calc_test::ExpectListKeys(test, layout.type, layout.inputs, layout.outputs);
    }
    calc_test::ExpectEffectInput(
        test, kPostHoc, "Effect size q", kTwoCorrelationsTestId,
        "Effect size conventions\nq = .10 - small\nq = .30 - medium\nq = .50 - large");
    EXPECT_EQ(calc_test::AnalysisTypeCodes(test).size(), 5u);
    EXPECT_FALSE(test.HasOptions());
    EXPECT_EQ(test.GetMethodText(), "");
}

TEST(TwoCorrelations, RejectedInputsNameTheirRowAndReason) {
    struct Rejection {
        AnalysisType type;
        Texts texts;
        std::string row;
        std::string message;
    };
    const std::string rangeMessage = "Effect size q is outside the admissible range (-10, 10).";
    // A group of three has no finite standard error: every analysis type
    // asks for four.
    const std::string groupMessage = "Sample size must be greater than or equal to 4.";
    const Rejection rejections[] = {
        // A priori: the ratio first, then q, alpha and power.
        {kAPriori, With(kAPrioriTexts, {{"r", "0.0099"}, {"qr", "11"}}), "r",
         "The allocation ratio falls outside\nthe admissible range (0.01, 100)."},
        {kAPriori, With(kAPrioriTexts, {{"qr", "10.01"}, {"alpha", "0"}}), "qr", rangeMessage},
        {kAPriori, With(kAPrioriTexts, {{"alpha", "0"}}), "alpha",
         "Alpha is outside the admissible range (1e-07, 1)."},
        {kAPriori, With(kAPrioriTexts, {{"power", "0.04"}}), "power",
         "Power must be greater than or equal to alpha."},
        {kSensitivity, With(kSensitivityTexts, {{"power", "1"}, {"n1", "3"}}), "power",
         "Power is outside the admissible range (1e-07, 1)."},
        {kSensitivity, With(kSensitivityTexts, {{"n1", "3"}, {"n2", "3"}}), "n1", groupMessage},
        {kPostHoc, With(kPostHocTexts, {{"qr", "-10.5"}, {"n1", "3"}}), "qr", rangeMessage},
        {kPostHoc, With(kPostHocTexts, {{"n2", "3"}}), "n2", groupMessage},
        {kPostHoc, With(kPostHocTexts, {{"n1", "2147483647"}, {"n2", "2147483647"}}), "n1",
         "Total sample size is outside the admissible range (8, 2147483646)"},
        {kCriterion, With(kCriterionTexts, {{"power", "0"}}), "power",
         "Power is outside the admissible range (1e-07, 1)."},
        {kCriterion, With(kCriterionTexts, {{"n1", "-4"}}), "n1", groupMessage},
        // Compromise: the groups before the ratio, with the same minimum.
        {kCompromise, With(kCompromiseTexts, {{"n1", "1"}, {"n2", "2"}, {"q", "0"}}), "n1",
         groupMessage},
        {kCompromise, With(kCompromiseTexts, {{"q", "101"}}), "q",
         "$\\beta$/$\\alpha$ ratio is outside the admissible range (0.01, 100)"},
    };
    for (const Rejection& r : rejections) {
        PowerZTwoCorr test;
        const auto run = Calculate(test, r.type, r.texts);
        calc_test::ExpectRefused(*run, calc_test::Label(test, r.row), r.message,
                                 calc_test::Describe(r.type, r.texts));
    }
}

// Two groups of four, the smallest admitted, give a finite power; a
// negative q with two tails has the power of |q| and shows the lower
// critical value.
TEST(TwoCorrelations, SmallestGroupsAndTheSignOfQ) {
    PowerZTwoCorr small;
    const auto run =
        Calculate(small, kCompromise, With(kCompromiseTexts, {{"n1", "4"}, {"n2", "4"}}));
    ASSERT_EQ(run->status, kCalculateDone) << run->message;
    EXPECT_TRUE(std::isfinite(run->Value("power")));

    PowerZTwoCorr positive, negative;
    const auto up = Calculate(positive, kPostHoc, kPostHocTexts);
    const auto down = Calculate(negative, kPostHoc, With(kPostHocTexts, {{"qr", "-0.3"}}));
    EXPECT_NEAR(down->Value("power"), up->Value("power"), 1e-15);
    EXPECT_EQ(down->Value("crit"), -up->Value("crit"));
}

// A priori: whatever the ratio, the search never evaluates a group below
// four, and the groups shown sum to the total and reach the power.
TEST(TwoCorrelations, APrioriGroupsKeepFourEach) {
    for (const char* r : {"0.01", "0.3", "1", "7", "100"}) {
        for (const char* q : {"0.2", "3", "10"}) {
            SCOPED_TRACE(std::string("r=") + r + " q=" + q);
            PowerZTwoCorr test;
            const auto run = Calculate(test, kAPriori, With(kAPrioriTexts, {{"r", r}, {"qr", q}}));
            ASSERT_EQ(run->status, kCalculateDone) << run->message;
            const double n1 = run->Value("n1"), n2 = run->Value("n2");
            EXPECT_GE(n1, 4.0);
            EXPECT_GE(n2, 4.0);
            EXPECT_EQ(run->Value("N"), n1 + n2);
            EXPECT_GE(run->Value("actual"), 0.8);
            EXPECT_TRUE(std::isfinite(test.nullSD));
        }
    }
}

// With q = 0 the power is alpha at every N: A priori has no sample size to
// find and refuses the effect on its row, instead of showing the end of its
// search range or the generic failure.
TEST(TwoCorrelations, APrioriWithoutAnEffectIsRefusedOnItsRow) {
    PowerZTwoCorr test;
    const auto run = Calculate(test, kAPriori, With(kAPrioriTexts, {{"qr", "0"}}));
    EXPECT_EQ(run->status, run->Row("qr"));
    EXPECT_EQ(run->message,
              "In an a priori analysis, the absolute value of the\neffect size must be greater "
              "than 0.00001.");
}

// The checks the X-Y plot makes per point.
TEST(TwoCorrelations, PointChecks) {
    PowerZTwoCorr test;
    EXPECT_TRUE(test.exactFlag);
    EXPECT_TRUE(test.CheckGroupSizes(kPostHoc, 4, 4));
    EXPECT_FALSE(test.CheckGroupSizes(kPostHoc, 3.9, 50));
    EXPECT_EQ(test.GetMessage(), "Sample size is outside the admissible range (4, 2147483646)");
    EXPECT_FALSE(test.CheckGroupSizes(kPostHoc, 2, 5));
    EXPECT_EQ(test.GetMessage(),
              "Total sample size is outside the admissible range (8, 2147483646)");
    EXPECT_TRUE(test.CheckSampleSize(kPostHoc, 8));
    EXPECT_FALSE(test.CheckSampleSize(kPostHoc, 7.9));
    EXPECT_FALSE(test.CheckSampleSize(kPostHoc, NAN));
}

}  // namespace
