// Multiple regression, fixed model, through the calculation path of the
// main window.

#include "power/f/power_f_regression.h"

#include <gtest/gtest.h>

#include <memory>

#include "analysis/calculation_test_support.h"
#include "power/f/f_chi_test_tables.h"

namespace {

using calc_test::Calculate;
using calc_test::OutputValue;
using namespace calc_test::label;
using namespace f_chi_test;

// Reference values: verification/f_designs/reference.R (noncentral F in R,
// with lambda = f^2 N). Among them, for f^2 = 0.15 at alpha 0.05 and power
// 0.95: N = 138 for R^2 of 5 predictors, N = 107 for the increase by 2 of
// 5; Post hoc with N = 100 for the increase: lambda 15, df 2 and 94, power
// 0.9368801.
TEST(RegressionFixedModel, AgreesWithRInEveryAnalysisType) {
    calc_test::ExpectReferenceCasesOf<PowerFMRCGlobal>(kDesignCases, kRegressionR2TestId, 9);
    calc_test::ExpectReferenceCasesOf<PowerFMRCSpecial>(kDesignCases, kRegressionR2IncreaseTestId,
                                                        7);
}

// Criterion and Compromise at alpha far below 1e-12 (verification/small_tails,
// R, with seeded random cases): f^2 0.15, power 0.95, N 1000 and 2
// predictors need alpha 7.374938e-24 at critical F 56.21366.
TEST(RegressionFixedModel, SmallAlphaAndBetaAgreeWithR) {
    calc_test::ExpectReferenceCasesOf<PowerFMRCGlobal>(kDesignSmallTails, kRegressionR2TestId, 7);
    calc_test::ExpectReferenceCasesOf<PowerFMRCSpecial>(kDesignSmallTails,
                                                        kRegressionR2IncreaseTestId, 6);
}

const char* const kEffect = "Effect size f$^2$";
const char* const kPredictors = "Number of predictors";
const char* const kTotalPredictors = "Total number of predictors";
const char* const kTestedPredictors = "Number of tested predictors";

TEST(RegressionFixedModel, InputAndOutputRows) {
    const std::vector<std::string> head = {kLambda, kCriticalF, kNumeratorDf, kDenominatorDf};
    auto with = [&](const std::vector<std::string>& tail) { return calc_test::Joined(head, tail); };
    struct Case {
        AnalysisType type;
        std::vector<std::string> inputs, outputs;
    };
    const Case cases[] = {
        {kAPriori, {kEffect, kAlpha, kPower}, with({kTotal, kActualPower})},
        {kSensitivity, {kAlpha, kPower, kTotal}, with({kEffect})},
        {kPostHoc, {kEffect, kAlpha, kTotal}, with({kPower})},
        {kCriterion, {kEffect, kPower, kTotal}, with({kAlpha})},
        {kCompromise, {kEffect, kRatio, kTotal}, with({kAlpha, kBeta, kPower})},
    };
    for (const Case& c : cases) {
        PowerFMRCGlobal r2;
        calc_test::ExpectListLabels(r2, c.type, calc_test::Joined(c.inputs, {kPredictors}),
                                    c.outputs);
        PowerFMRCSpecial increase;
        calc_test::ExpectListLabels(
            increase, c.type, calc_test::Joined(c.inputs, {kTestedPredictors, kTotalPredictors}),
            c.outputs);
    }
    PowerFMRCGlobal r2;
    PowerFMRCSpecial increase;
    const char* const conventions =
        "Effect size conventions\nf$^2$ = .02 - small\nf$^2$ = .15 - medium\nf$^2$ = .35 - large";
    calc_test::ExpectEffectInput(r2, kAPriori, kEffect, kRegressionR2TestId, conventions);
    calc_test::ExpectEffectInput(increase, kPostHoc, kEffect, kRegressionR2IncreaseTestId,
                                 conventions);
}

// The standard design of the R^2 increase: 2 of 5 predictors, N = 100.
TEST(RegressionFixedModel, StandardIncreaseDesign) {
    PowerFMRCSpecial test;
    const auto result = Calculate(test, kPostHoc, {});
    ASSERT_EQ(result->status, kCalculateDone) << result->message;
    EXPECT_EQ(OutputValue(result->outputs, kNumeratorDf), 2.0);
    EXPECT_EQ(OutputValue(result->outputs, kDenominatorDf), 94.0);
    EXPECT_EQ(OutputValue(result->outputs, kLambda), 15.0);
}

TEST(RegressionFixedModel, RefusedInputsNameTheirRow) {
    struct Case {
        bool increase;
        AnalysisType type;
        calc_test::Texts values;
        const char* row;
        const char* message;
    };
    const char* const kAbovePredictors =
        "Sample size must be greater than\n the number of predictors (5) + 2.";
    const char* const kNotLarger =
        "Number of tested predictors must not be larger\nthan the total number of predictors.";
    const Case cases[] = {
        // The design comes first.
        {false,
         kPostHoc,
         {{"predictors", "0"}, {"f2", "-1"}},
         kPredictors,
         "There must be at least 1 predictor."},
        {true,
         kPostHoc,
         {{"ptested", "0"}, {"ptotal", "0"}},
         kTestedPredictors,
         "At least one predictor must be tested."},
        {true,
         kPostHoc,
         {{"ptotal", "0"}},
         kTotalPredictors,
         "There must be at least 1 predictor."},
        {true, kAPriori, {{"ptested", "6"}, {"ptotal", "5"}}, kTestedPredictors, kNotLarger},
        {false,
         kAPriori,
         {{"f2", "0"}},
         kEffect,
         "Effect size f$^2$ is outside the admissible range (1e-06, 50)."},
        {false,
         kPostHoc,
         {{"f2", "100"}},
         kEffect,
         "Effect size f$^2$ is outside the admissible range (0, 50)."},
        {true,
         kCriterion,
         {{"f2", "251"}},
         kEffect,
         "Effect size f$^2$ is outside the admissible range (0, 250)."},
        {false, kPostHoc, {{"predictors", "5"}, {"N", "6"}}, kTotal, kAbovePredictors},
        {true, kSensitivity, {{"ptotal", "5"}, {"N", "6"}}, kTotal, kAbovePredictors},
        // The ratio before N in a Compromise.
        {false,
         kCompromise,
         {{"predictors", "5"}, {"N", "3"}, {"q", "0.001"}},
         kRatio,
         "$\\beta$/$\\alpha$ ratio is outside the admissible range (0.01, 100)"},
    };
    for (const Case& c : cases) {
        std::unique_ptr<PowerFMRCGlobal> test;
        if (c.increase) {
            test = std::make_unique<PowerFMRCSpecial>();
        } else {
            test = std::make_unique<PowerFMRCGlobal>();
        }
        const double predictors = test->predictorCount;
        const std::string context =
            calc_test::ExpectRefusal(*test, {c.type, c.values, c.row, c.message});
        EXPECT_EQ(test->predictorCount, predictors) << context;
        EXPECT_EQ(test->effectSize, 0.15) << context;
    }
}

// All predictors tested, f^2 beyond the bound of the test against zero, and
// the smallest N the design admits (one denominator df).
TEST(RegressionFixedModel, DesignsAtTheirBounds) {
    PowerFMRCSpecial increase;
    auto result = Calculate(increase, kPostHoc,
                            {{"ptested", "5"}, {"ptotal", "5"}, {"f2", "100"}, {"N", "7"}});
    ASSERT_EQ(result->status, kCalculateDone) << result->message;
    EXPECT_EQ(OutputValue(result->outputs, kNumeratorDf), 5.0);
    EXPECT_EQ(OutputValue(result->outputs, kDenominatorDf), 1.0);
}

}  // namespace
