// The generic chi-square test through the calculation path of the main
// window.

#include "power/chi/power_chi_generic.h"

#include <gtest/gtest.h>

#include <memory>

#include "analysis/calculation_test_support.h"
#include "distributions/chi.h"
#include "numerics/quorix_error.h"
#include "power/f/f_chi_test_tables.h"

namespace {

using calc_test::Calculate;
using calc_test::Names;
using namespace calc_test::label;
using namespace f_chi_test;

// Reference values: verification/f_chi_tests/reference.R (noncentral
// chi-square in R). Among them: lambda 20 and df 5 at alpha 0.05 give power
// 0.9523388.
// Sensitivity beyond the first search range of lambda (1e-6 to 100): df
// 1000 at alpha 0.05 and power 0.95 needs lambda 157.7575; Compromise with
// alpha far below 1e-16 (lambda 400, df 10, q 0.5: alpha 6.871336e-21) or
// none down to 1e-99 (lambda 2000, df 3) (verification/small_tails, R, with
// seeded random cases).
TEST(GenericChiSquareTest, LargeNoncentralitiesAndSmallTailsAgreeWithR) {
    calc_test::ExpectReferenceCasesOf<PowerChiGeneric>(kSmallTails, 400, 15);
}

TEST(GenericChiSquareTest, AgreesWithRInEveryAnalysisType) {
    calc_test::ExpectReferenceCasesOf<PowerChiGeneric>(kCases, 400, 5);
}

TEST(GenericChiSquareTest, InputAndOutputRowsWithoutAPriori) {
    PowerChiGeneric test;
    EXPECT_EQ(calc_test::AnalysisTypeCodes(test),
              (std::vector<long>{kCompromise, kCriterion, kPostHoc, kSensitivity}));

    calc_test::ExpectTypeRows<PowerChiGeneric>(
        {kCriticalChiSquare}, {
                                  {kSensitivity, {kAlpha, kPower, kDf}, {kLambda}},
                                  {kPostHoc, {kLambda, kAlpha, kDf}, {kBeta, kPower}},
                                  {kCriterion, {kLambda, kPower, kDf}, {kAlpha}},
                                  {kCompromise, {kLambda, kRatio, kDf}, {kAlpha, kBeta, kPower}},
                              });
}

TEST(GenericChiSquareTest, StandardValuesGiveTheStandardExample) {
    PowerChiGeneric test;
    auto result = Calculate(test, kPostHoc, {});
    ASSERT_EQ(result->status, kCalculateDone);
    calc_test::ExpectOutput(result->outputs, kPower, 0.952338801039886, "post hoc");
    calc_test::ExpectOutput(result->outputs, kCriticalChiSquare, 11.0704976935164, "post hoc");
}

TEST(GenericChiSquareTest, RefusedInputsNameTheirRowAndChangeNothing) {
    struct Case {
        AnalysisType type;
        calc_test::Texts values;
        const char* row;  // nullptr: accepted
        const char* message;
    };
    const char* const kLambdaMessage = "Noncentrality parameter $\\lambda$ must be non-negative.";
    const char* const kRatioMessage =
        "$\\beta$/$\\alpha$ ratio is outside the admissible range (0.01, 100)";
    const Case cases[] = {
        // The df come first, whatever else is wrong.
        {kPostHoc,
         {{"df", "0"}, {"lambda", "-1"}},
         kDf,
         "Degrees of Freedom must be greater 1e-06."},
        {kSensitivity, {{"df", "9e-7"}}, kDf, "Degrees of Freedom must be greater 1e-06."},
        {kPostHoc, {{"lambda", "-1"}, {"alpha", "2"}}, kLambda, kLambdaMessage},
        {kCriterion, {{"lambda", "-1"}}, kLambda, kLambdaMessage},
        {kCompromise, {{"lambda", "-1"}, {"q", "1000"}}, kLambda, kLambdaMessage},
        {kCompromise, {{"q", "0.0099"}}, kRatio, kRatioMessage},
        {kPostHoc, {{"alpha", "0"}}, kAlpha, "Alpha is outside the admissible range (1e-07, 1)."},
        {kCriterion, {{"power", "1"}}, kPower, "Power is outside the admissible range (1e-07, 1)."},
        {kSensitivity,
         {{"alpha", "0.2"}, {"power", "0.1"}},
         kPower,
         "Power must be greater than or equal to alpha."},
        // Beyond what the distributions take, and beyond the doubles.
        {kPostHoc, {{"df", "1e30"}}, kDf, "Df is outside the admissible range (1e-06, 1e+15)."},
        {kCriterion,
         {{"lambda", "2e10"}},
         kLambda,
         "Noncentrality parameter $\\lambda$ is outside the admissible range (0, 1e+10)."},
        {kCompromise, {{"lambda", "=1/0"}}, kLambda, "Input error (number out of range)"},
        {kSensitivity, {{"df", "-inf"}}, kDf, "Input error (number out of range)"},
        // The edges of the admissible ranges.
        {kPostHoc, {{"df", "1e15"}, {"lambda", "1e10"}}, nullptr, ""},
        // At df 1e-6 the critical value is a double only for alpha up to about
        // 3.5e-4; beyond that the calculation ends as a numerical failure.
        {kPostHoc, {{"df", "0.000001"}, {"lambda", "0"}, {"alpha", "0.0001"}}, nullptr, ""},
        {kCompromise, {{"q", "0.01"}}, nullptr, ""},
        {kCompromise, {{"q", "100"}}, nullptr, ""},
    };
    for (const Case& c : cases) {
        PowerChiGeneric test;
        test.criticalValue = -7.0;
        const auto result = Calculate(test, c.type, c.values);
        const std::string context = calc_test::Describe(c.type, c.values);
        if (c.row == nullptr) {
            EXPECT_EQ(result->status, kCalculateDone) << context << ": " << result->message;
            continue;
        }
        calc_test::ExpectRefused(*result, c.row, c.message, context);
        EXPECT_EQ(test.df, 5.0) << context;
        EXPECT_EQ(test.distribution->GetParam(1), 5.0) << context;
        EXPECT_EQ(test.effectSize, 20.0) << context;
        EXPECT_EQ(test.criticalValue, -7.0) << context;
    }
}

// Power 0.9999999 at alpha 1e-7 needs a noncentrality beyond the first
// search range (up to 100), which was refused: the range grows until it
// holds the answer.
TEST(GenericChiSquareTest, NoncentralityBeyondTheFirstRangeIsFound) {
    PowerChiGeneric test;
    const auto result = Calculate(test, kSensitivity, {{"alpha", "1e-7"}, {"power", "0.9999999"}});
    EXPECT_EQ(result->status, kCalculateDone);
    EXPECT_GT(test.effectSize, 100.0);
}

TEST(GenericChiSquareTest, CloneCarriesStateAndDistribution) {
    PowerChiGeneric test;
    auto result = Calculate(test, kPostHoc, {{"lambda", "7"}, {"df", "3"}});
    ASSERT_EQ(result->status, kCalculateDone);
    std::unique_ptr<PowerAnalysis> clone(test.Clone());
    ASSERT_NE(dynamic_cast<PowerChiGeneric*>(clone.get()), nullptr);
    EXPECT_EQ(clone->df, 3.0);
    EXPECT_EQ(clone->GetStatisticName(), "$\\chi^2$");
    calc_test::ExpectSameDistributionPlot(test, *clone, 25);
}

}  // namespace
