// The generic F test through the calculation path of the main window.

#include "power/f/power_f_generic.h"

#include <gtest/gtest.h>

#include <memory>

#include "analysis/calculation_test_support.h"
#include "numerics/quorix_error.h"
#include "power/f/f_chi_test_tables.h"

namespace {

using calc_test::Calculate;
using calc_test::Names;
using namespace calc_test::label;
using namespace f_chi_test;

// Reference values: verification/f_chi_tests/reference.R (R's pf and qf
// with ncp). Among them, for df 10 and 20 and alpha 0.05: lambda 30 gives
// power 0.887659 at critical F 2.347878, lambda 0 gives power alpha, and
// power 0.95 needs lambda 37.05669.
// Sensitivity beyond the first search range of lambda (1e-6 to 100): df
// 400 and 1000 need lambda 125.3112; Compromise with alpha far below 1e-12
// (lambda 300, df 5 and 200, q 1: alpha 4.769099e-14) or none down to
// 1e-99 (verification/small_tails, R, with seeded random cases).
TEST(GenericFTest, LargeNoncentralitiesAndSmallTailsAgreeWithR) {
    calc_test::ExpectReferenceCasesOf<PowerFGeneric>(kSmallTails, 100, 14);
}

TEST(GenericFTest, AgreesWithRInEveryAnalysisType) {
    calc_test::ExpectReferenceCasesOf<PowerFGeneric>(kCases, 100, 8);
}

// At the largest df each type shows the limit for infinite df
// (verification/bounds/df_limit_reference.py): for the denominator df the
// chi-square limit, power 0.9835317 at lambda 30, df1 10 and alpha 0.05.
TEST(GenericFTest, AtTheLargestDfTheResultsAreTheLimits) {
    calc_test::ExpectReferenceCasesOf<PowerFGeneric>("verification/bounds/df_limit_cases.tsv",
                                                     kGenericFTestId, 5);
}

TEST(GenericFTest, OffersNoAPriori) {
    PowerFGeneric test;
    EXPECT_EQ(calc_test::AnalysisTypeCodes(test),
              (std::vector<long>{kCompromise, kCriterion, kPostHoc, kSensitivity}));

    // Called with A priori all the same, it does nothing.
    PropertyList inputs;
    test.BuildInputList(kAPriori, &inputs);
    EXPECT_EQ(Names(inputs), (std::vector<std::string>{kNumeratorDf, kDenominatorDf}));
    EXPECT_EQ(test.Calculate(kAPriori, &inputs), kCalculateDone);
    EXPECT_EQ(test.effectSize, 30.0);
    EXPECT_EQ(test.criticalValue, 0.0);
}

TEST(GenericFTest, InputAndOutputRows) {
    calc_test::ExpectTypeRows<PowerFGeneric>(
        {kCriticalF},
        {
            {kPostHoc, {kLambda, kAlpha, kNumeratorDf, kDenominatorDf}, {kBeta, kPower}},
            {kCriterion, {kLambda, kPower, kNumeratorDf, kDenominatorDf}, {kAlpha}},
            {kCompromise, {kLambda, kRatio, kNumeratorDf, kDenominatorDf}, {kAlpha, kBeta, kPower}},
            {kSensitivity, {kAlpha, kPower, kNumeratorDf, kDenominatorDf}, {kLambda}},
        });
}

// The prototype's own inputs, untouched, give the standard example.
TEST(GenericFTest, StandardValuesGiveTheStandardExample) {
    PowerFGeneric test;
    auto result = Calculate(test, kPostHoc, {});
    ASSERT_EQ(result->status, kCalculateDone);
    calc_test::ExpectOutput(result->outputs, kPower, 0.887659009931708, "post hoc");
    calc_test::ExpectOutput(result->outputs, kCriticalF, 2.34787756699831, "post hoc");
}

TEST(GenericFTest, RefusedInputsNameTheirRowAndChangeNothing) {
    struct Case {
        AnalysisType type;
        calc_test::Texts values;
        const char* row;  // nullptr: accepted
        const char* message;
    };
    const char* const kLambdaMessage = "Noncentrality parameter $\\lambda$ must be non-negative.";
    const char* const kDfMessage = "Degrees of Freedom must be greater or equal one.";
    const char* const kLambdaRangeMessage =
        "Noncentrality parameter $\\lambda$ is outside the admissible range (0, 1e+10).";
    const char* const kOutOfRange = "Input error (number out of range)";
    const char* const kRatioMessage =
        "$\\beta$/$\\alpha$ ratio is outside the admissible range (0.01, 100)";
    const Case cases[] = {
        {kPostHoc, {{"lambda", "-1"}}, kLambda, kLambdaMessage},
        {kCriterion, {{"lambda", "-0.5"}}, kLambda, kLambdaMessage},
        {kCompromise, {{"lambda", "-2"}, {"q", "0.001"}}, kLambda, kLambdaMessage},
        {kPostHoc, {{"df1", "0.5"}, {"df2", "0.5"}}, kNumeratorDf, kDfMessage},
        {kSensitivity, {{"df2", "0.999"}}, kDenominatorDf, kDfMessage},
        {kCompromise, {{"df1", "0.5"}, {"q", "0.001"}}, kNumeratorDf, kDfMessage},
        {kCompromise, {{"q", "0.0099"}}, kRatio, kRatioMessage},
        {kCompromise, {{"q", "100.01"}}, kRatio, kRatioMessage},
        {kSensitivity,
         {{"alpha", "0.05"}, {"power", "0.04"}},
         kPower,
         "Power must be greater than or equal to alpha."},
        {kSensitivity,
         {{"alpha", "0"}, {"power", "0.04"}},
         kAlpha,
         "Alpha is outside the admissible range (1e-07, 1)."},
        {kPostHoc, {{"alpha", "1"}}, kAlpha, "Alpha is outside the admissible range (1e-07, 1)."},
        {kCriterion, {{"power", "1"}}, kPower, "Power is outside the admissible range (1e-07, 1)."},
        // Beyond what the noncentral sums take, and beyond the doubles.
        {kPostHoc, {{"lambda", "1.0000001e10"}}, kLambda, kLambdaRangeMessage},
        {kCriterion, {{"lambda", "2e30"}}, kLambda, kLambdaRangeMessage},
        {kPostHoc, {{"lambda", "nan"}}, kLambda, kOutOfRange},
        {kCompromise, {{"lambda", "=1e308*10"}}, kLambda, kOutOfRange},
        // Df where the answers stopped changing long ago: 1e308 once showed
        // power 1 instead of the limit of 0.9835317.
        {kPostHoc,
         {{"df2", "1e308"}},
         kDenominatorDf,
         "Denominator df is outside the admissible range (1, 1e+15)."},
        {kSensitivity,
         {{"df1", "1.0000001e15"}},
         kNumeratorDf,
         "Numerator df is outside the admissible range (1, 1e+15)."},
        {kCriterion, {{"df1", "=1/0"}}, kNumeratorDf, kOutOfRange},
        // The edges of the admissible ranges.
        {kCompromise, {{"q", "0.01"}}, nullptr, ""},
        {kCompromise, {{"q", "100"}}, nullptr, ""},
        {kPostHoc, {{"lambda", "0"}, {"df1", "1"}, {"df2", "1"}}, nullptr, ""},
        {kPostHoc, {{"lambda", "1e10"}, {"df1", "1e15"}, {"df2", "1e15"}}, nullptr, ""},
    };
    for (const Case& c : cases) {
        PowerFGeneric test;
        test.criticalValue = -7.0;
        const auto result = Calculate(test, c.type, c.values);
        const std::string context = calc_test::Describe(c.type, c.values);
        if (c.row == nullptr) {
            EXPECT_EQ(result->status, kCalculateDone) << context << ": " << result->message;
            continue;
        }
        calc_test::ExpectRefused(*result, c.row, c.message, context);
        EXPECT_EQ(test.effectSize, 30.0) << context;
        EXPECT_EQ(test.numeratorDf, 10.0) << context;
        EXPECT_EQ(test.denominatorDf, 20.0) << context;
        EXPECT_EQ(test.alpha, 0.05) << context;
        EXPECT_EQ(test.power, 0.95) << context;
        EXPECT_EQ(test.criticalValue, -7.0) << context;
    }
}

// Power 0.99 at alpha 0.001 with df 10 and 20 needs lambda 102.6, beyond the
// first search range of the noncentrality (up to 100), which was refused:
// the range grows until it holds the answer.
TEST(GenericFTest, NoncentralityBeyondTheFirstRangeIsFound) {
    PowerFGeneric test;
    const auto result = Calculate(test, kSensitivity, {{"alpha", "0.001"}, {"power", "0.99"}});
    EXPECT_EQ(result->status, kCalculateDone);
    EXPECT_NEAR(test.effectSize, 102.6, 0.05);
}
// A clone computes and draws like its source, down to the distribution it
// owns.
TEST(GenericFTest, CloneCarriesStateAndDistribution) {
    PowerFGeneric test;
    auto result = Calculate(test, kPostHoc,
                            {{"lambda", "12"}, {"alpha", "0.01"}, {"df1", "3"}, {"df2", "47"}});
    ASSERT_EQ(result->status, kCalculateDone);
    std::unique_ptr<PowerAnalysis> clone(test.Clone());
    ASSERT_NE(dynamic_cast<PowerFGeneric*>(clone.get()), nullptr);
    EXPECT_EQ(clone->numeratorDf, 3.0);
    EXPECT_EQ(clone->denominatorDf, 47.0);
    EXPECT_EQ(clone->power, test.power);
    EXPECT_NE(clone->distribution, test.distribution);

    calc_test::ExpectSameDistributionPlot(test, *clone, 20);

    // The typed inputs travel with the clone.
    PropertyList inputs;
    clone->BuildInputList(kPostHoc, &inputs);
    EXPECT_EQ(inputs.Find(kDenominatorDf)->text, "47");
}

}  // namespace
