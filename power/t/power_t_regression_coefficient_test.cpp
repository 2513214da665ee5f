// The t test of one regression coefficient: its lists, its input checks in
// their order, and its sample sizes with many predictors. The numbers of
// every analysis type are checked against the reference table in
// t_regression_reference_test.cpp.

#include "power/t/power_t_regression_coefficient.h"

#include <gtest/gtest.h>

#include "analysis/calculation_test_support.h"

namespace {

using calc_test::Calculate;
using calc_test::Texts;
using calc_test::With;

const Texts kAPrioriTexts = {
    {"tails", "Two"}, {"f2", "0.15"}, {"alpha", "0.05"}, {"power", "0.95"}, {"preds", "2"}};
const Texts kSensitivityTexts = {
    {"tails", "Two"}, {"alpha", "0.05"}, {"power", "0.95"}, {"n", "100"}, {"preds", "2"}};
const Texts kPostHocTexts = {
    {"tails", "Two"}, {"f2", "0.15"}, {"alpha", "0.05"}, {"n", "100"}, {"preds", "2"}};
const Texts kCriterionTexts = {
    {"tails", "Two"}, {"f2", "0.15"}, {"power", "0.8"}, {"n", "100"}, {"preds", "2"}};
const Texts kCompromiseTexts = {
    {"tails", "Two"}, {"f2", "0.15"}, {"q", "1"}, {"n", "100"}, {"preds", "2"}};

TEST(RegressionCoefficient, ListsOfEachAnalysisType) {
    struct Layout {
        AnalysisType type;
        std::vector<std::string> inputs, outputs;
    };
    const Layout layouts[] = {
        {kAPriori,
         {"tails", "f2", "alpha", "power", "preds"},
         {"ncp", "crit", "df", "n", "actual"}},
        {kSensitivity, {"tails", "alpha", "power", "n", "preds"}, {"ncp", "crit", "df", "f2"}},
        {kPostHoc, {"tails", "f2", "alpha", "n", "preds"}, {"ncp", "crit", "df", "power"}},
        {kCriterion, {"tails", "f2", "power", "n", "preds"}, {"ncp", "crit", "df", "alpha"}},
        {kCompromise,
         {"tails", "f2", "q", "n", "preds"},
         {"ncp", "crit", "df", "alpha", "beta", "power"}},
    };
    PowerTMRC1Pred test;
    for (const Layout& layout : layouts)
        calc_test::ExpectListKeys(test, layout.type, layout.inputs, layout.outputs);
    calc_test::ExpectEffectInput(test, kPostHoc, "Effect size f$^2$", 210);
    EXPECT_FALSE(test.exactFlag);
}

TEST(RegressionCoefficient, RejectedInputsNameTheirRowAndReason) {
    struct Rejection {
        AnalysisType type;
        Texts texts;
        std::string row;
        std::string message;
    };
    const std::string apriori =
        "In an a priori analysis, the absolute value of the\neffect size be greater than 0.00001.";
    const std::string range = "Effect size f$^2$ is outside the admissible range (0, 20).";
    const std::string total = "Total sample size is outside the admissible range (4, 2147483646)";
    const Rejection rejections[] = {
        // The predictors come first, whatever else is wrong.
        {kPostHoc, With(kPostHocTexts, {{"preds", "0"}, {"f2", "-1"}, {"n", "1"}}), "preds",
         "There must be at least 1 predictor."},
        {kAPriori, With(kAPrioriTexts, {{"f2", "9e-6"}, {"alpha", "0"}}), "f2", apriori},
        {kAPriori, With(kAPrioriTexts, {{"f2", "20.5"}}), "f2", range},
        // A negative f2 has no real noncentrality, in any type.
        {kAPriori, With(kAPrioriTexts, {{"f2", "-0.15"}}), "f2", range},
        {kPostHoc, With(kPostHocTexts, {{"f2", "-0.15"}}), "f2", range},
        {kCriterion, With(kCriterionTexts, {{"f2", "-1e-9"}}), "f2", range},
        {kAPriori, With(kAPrioriTexts, {{"power", "0.01"}}), "power",
         "Power must be greater than or equal to alpha."},
        {kSensitivity, With(kSensitivityTexts, {{"n", "3"}}), "n", total},
        {kPostHoc, With(kPostHocTexts, {{"n", "3"}}), "n", total},
        {kPostHoc, With(kPostHocTexts, {{"n", "50"}, {"preds", "49"}}), "n",
         "Total sample size is outside the admissible range (51, 2147483646)"},
        {kCriterion, With(kCriterionTexts, {{"power", "0"}}), "power",
         "Power is outside the admissible range (1e-07, 1)."},
        {kCompromise, With(kCompromiseTexts, {{"n", "3"}, {"q", "0"}}), "n", total},
        {kCompromise, With(kCompromiseTexts, {{"q", "0"}}), "q",
         "$\\beta$/$\\alpha$ ratio is outside the admissible range (0.01, 100)"},
    };
    for (const Rejection& r : rejections) {
        PowerTMRC1Pred test;
        calc_test::ExpectRefused(*Calculate(test, r.type, r.texts), calc_test::Label(test, r.row),
                                 r.message, calc_test::Describe(r.type, r.texts));
    }
    // The smallest N of p = 2 leaves one degree of freedom; f2 = 0 is a
    // power of alpha.
    PowerTMRC1Pred test;
    const auto run = Calculate(test, kPostHoc, With(kPostHocTexts, {{"n", "4"}, {"f2", "0"}}));
    ASSERT_EQ(run->status, kCalculateDone) << run->message;
    EXPECT_EQ(run->Value("df"), 1.0);
    EXPECT_NEAR(run->Value("power"), 0.05, 1e-12);
}

// However many predictors, A priori searches only sample sizes that leave
// degrees of freedom, and answers one that reaches the power.
TEST(RegressionCoefficient, APrioriWithManyPredictors) {
    for (const char* p : {"98", "150", "1000"}) {
        PowerTMRC1Pred test;
        const auto run = Calculate(test, kAPriori, With(kAPrioriTexts, {{"preds", p}}));
        ASSERT_EQ(run->status, kCalculateDone) << p << run->message;
        EXPECT_GE(run->Value("df"), 1.0) << p;
        EXPECT_EQ(run->Value("n"), run->Value("df") + std::stod(p) + 1.0) << p;
        EXPECT_GE(run->Value("actual"), 0.95) << p;
        // One subject fewer would not do.
        PowerTMRC1Pred check;
        check.oneTailed = false;
        check.predictorCount = std::stod(p);
        EXPECT_LT(check.ComputePower(0.15, 0.05, run->Value("n") - 1.0), 0.95) << p;
    }
}

TEST(RegressionCoefficient, PointChecks) {
    PowerTMRC1Pred test;  // two predictors
    EXPECT_TRUE(test.CheckSampleSize(kPostHoc, 4));
    EXPECT_FALSE(test.CheckSampleSize(kPostHoc, 3));
    EXPECT_EQ(test.GetMessage(),
              "Total sample size is outside the admissible range (4, 2147483646)");
    EXPECT_TRUE(test.CheckEffectSize(kPostHoc, 0.0));
    EXPECT_FALSE(test.CheckEffectSize(kAPriori, 0.0));
    EXPECT_FALSE(test.CheckEffectSize(kPostHoc, -0.01));
}

}  // namespace
