// The point-biserial correlation test: its lists, its input checks in their
// order and the boundaries they admit. The numbers of every analysis type are
// checked against the reference table in t_regression_reference_test.cpp.

#include "power/t/power_t_corr.h"

#include <gtest/gtest.h>

#include "analysis/calculation_test_support.h"

namespace {

using calc_test::Calculate;
using calc_test::Texts;
using calc_test::With;

const Texts kAPrioriTexts = {
    {"tails", "Two"}, {"absrho", "0.3"}, {"alpha", "0.05"}, {"power", "0.95"}};
const Texts kSensitivityTexts = {
    {"tails", "Two"}, {"alpha", "0.05"}, {"power", "0.95"}, {"n", "100"}};
const Texts kPostHocTexts = {{"tails", "Two"}, {"absrho", "0.3"}, {"alpha", "0.05"}, {"n", "100"}};
const Texts kCriterionTexts = {{"tails", "Two"}, {"absrho", "0.3"}, {"power", "0.8"}, {"n", "100"}};
const Texts kCompromiseTexts = {{"tails", "Two"}, {"absrho", "0.3"}, {"q", "1"}, {"n", "100"}};

TEST(PointBiserial, ListsOfEachAnalysisType) {
    struct Layout {
        AnalysisType type;
        std::vector<std::string> inputs, outputs;
    };
    const Layout layouts[] = {
        {kAPriori, {"tails", "absrho", "alpha", "power"}, {"ncp", "crit", "df", "n", "actual"}},
        {kSensitivity, {"tails", "alpha", "power", "n"}, {"ncp", "crit", "df", "absrho"}},
        {kPostHoc, {"tails", "absrho", "alpha", "n"}, {"ncp", "crit", "df", "power"}},
        {kCriterion, {"tails", "absrho", "power", "n"}, {"ncp", "crit", "df", "alpha"}},
        {kCompromise,
         {"tails", "absrho", "q", "n"},
         {"ncp", "crit", "df", "alpha", "beta", "power"}},
    };
    PowerTCorr test;
    for (const Layout& layout : layouts)
        calc_test::ExpectListKeys(test, layout.type, layout.inputs, layout.outputs);
    calc_test::ExpectEffectInput(test, kPostHoc, "Effect size |$\\rho$|", 202,
                                 "Effect size conventions\n$\\rho$ = .10 - small\n"
                                 "$\\rho$ = .30 - medium\n$\\rho$ = .50 - large");
    EXPECT_EQ(calc_test::AnalysisTypeCodes(test).size(), 5u);
    EXPECT_FALSE(test.exactFlag);
}

TEST(PointBiserial, RejectedInputsNameTheirRowAndReason) {
    struct Rejection {
        AnalysisType type;
        Texts texts;
        std::string row;
        std::string message;
    };
    const std::string aprioriRange =
        "Effect size r is outside the admissible range (1e-06, 0.999999).";
    const std::string range = "Effect size r is outside the admissible range (0, 0.999999).";
    const std::string total = "Total sample size is outside the admissible range (3, 2147483646)";
    const std::string belowAlpha = "Power must be greater than or equal to alpha.";
    const Rejection rejections[] = {
        // A priori needs a correlation to detect.
        {kAPriori, With(kAPrioriTexts, {{"absrho", "0"}, {"alpha", "0"}}), "absrho", aprioriRange},
        {kAPriori, With(kAPrioriTexts, {{"absrho", "0.9999995"}}), "absrho", aprioriRange},
        {kAPriori, With(kAPrioriTexts, {{"alpha", "0"}}), "alpha",
         "Alpha is outside the admissible range (1e-07, 1)."},
        {kAPriori, With(kAPrioriTexts, {{"power", "0.01"}}), "power", belowAlpha},
        {kSensitivity, With(kSensitivityTexts, {{"power", "1"}, {"n", "2"}}), "power",
         "Power is outside the admissible range (1e-07, 1)."},
        {kSensitivity, With(kSensitivityTexts, {{"n", "2"}}), "n", total},
        {kPostHoc, With(kPostHocTexts, {{"absrho", "-0.1"}, {"n", "2"}}), "absrho", range},
        {kPostHoc, With(kPostHocTexts, {{"absrho", "nan"}}), "absrho",
         "Input error (number out of range)"},
        {kPostHoc, With(kPostHocTexts, {{"n", "2"}}), "n", total},
        {kCriterion, With(kCriterionTexts, {{"absrho", "0.9999995"}}), "absrho", range},
        {kCriterion, With(kCriterionTexts, {{"n", "2"}}), "n", total},
        // Compromise checks N before the ratio.
        {kCompromise, With(kCompromiseTexts, {{"n", "2"}, {"q", "0"}}), "n", total},
        {kCompromise, With(kCompromiseTexts, {{"q", "100.5"}}), "q",
         "$\\beta$/$\\alpha$ ratio is outside the admissible range (0.01, 100)"},
    };
    for (const Rejection& r : rejections) {
        PowerTCorr test;
        calc_test::ExpectRefused(*Calculate(test, r.type, r.texts), calc_test::Label(test, r.row),
                                 r.message, calc_test::Describe(r.type, r.texts));
    }
}

// The ends of the admissible ranges are calculated.
TEST(PointBiserial, BoundariesAreAdmitted) {
    const std::pair<AnalysisType, Texts> cases[] = {
        {kAPriori, With(kAPrioriTexts, {{"absrho", "0.999999"}})},
        {kAPriori, With(kAPrioriTexts, {{"absrho", "1e-6"}, {"power", "0.06"}})},
        {kPostHoc, With(kPostHocTexts, {{"absrho", "0.999999"}, {"n", "3"}})},
        {kCriterion, With(kCriterionTexts, {{"absrho", "0"}, {"power", "0.5"}})},
        {kCompromise, With(kCompromiseTexts, {{"absrho", "0.6"}, {"q", "100"}})},
    };
    for (const auto& [type, texts] : cases) {
        PowerTCorr test;
        const auto run = Calculate(test, type, texts);
        EXPECT_EQ(run->status, kCalculateDone) << calc_test::Describe(type, texts) << run->message;
    }
    // The smallest total, whatever the correlation.
    PowerTCorr test;
    const auto run = Calculate(test, kAPriori, With(kAPrioriTexts, {{"absrho", "0.999999"}}));
    EXPECT_EQ(run->Value("n"), 3.0);
    EXPECT_EQ(run->Value("df"), 1.0);
}

// A target power of exactly alpha is met by no correlation at all; the
// search aims a hair above it and finds one near 0.
TEST(PointBiserial, SensitivityAtPowerAlphaFindsAlmostNoCorrelation) {
    PowerTCorr test;
    const auto run = Calculate(test, kSensitivity, With(kSensitivityTexts, {{"power", "0.05"}}));
    ASSERT_EQ(run->status, kCalculateDone) << run->message;
    EXPECT_GT(test.effectSize, 0.0);
    EXPECT_LT(test.effectSize, 1e-3);
}

TEST(PointBiserial, PointChecks) {
    PowerTCorr test;
    EXPECT_TRUE(test.CheckSampleSize(kPostHoc, 3));
    EXPECT_FALSE(test.CheckSampleSize(kPostHoc, 2.9));
    EXPECT_EQ(test.GetMessage(),
              "Total sample size is outside the admissible range (3, 2147483646)");
    EXPECT_TRUE(test.CheckEffectSize(kPostHoc, 0.0));
    EXPECT_FALSE(test.CheckEffectSize(kPostHoc, 1.0));
}

}  // namespace
