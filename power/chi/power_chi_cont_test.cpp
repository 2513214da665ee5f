// The goodness-of-fit test through the calculation path of the main window.

#include "power/chi/power_chi_cont.h"

#include <gtest/gtest.h>

#include <memory>

#include "analysis/calculation_test_support.h"
#include "power/f/f_chi_test_tables.h"

namespace {

using calc_test::Calculate;
using calc_test::Names;
using calc_test::OutputValue;
using namespace calc_test::label;
using namespace f_chi_test;

const char* const kEffect = "Effect size w";

// Reference values: verification/f_chi_tests/reference.R (noncentral
// chi-square in R, checked against pwr.chisq.test). Among them, w = 0.3 and
// df 5 at alpha 0.05: power 0.95 needs N = 220; N = 100 gives power
// 0.6235846 at critical chi-square 11.0705.
// Criterion with alpha 3.127848e-42 (w 0.5, N 1000, df 5, power 0.95): the
// critical value from the upper tail itself; Compromise at the same design
// with q 1: alpha 3.581455e-14 (verification/small_tails, R, with seeded
// random cases).
TEST(GoodnessOfFit, CriterionAndCompromiseFindAlphaFarBelowTheDoubles) {
    calc_test::ExpectReferenceCasesOf<PowerChiCont>(kSmallTails, 401, 14);
}

TEST(GoodnessOfFit, AgreesWithRInEveryAnalysisType) {
    calc_test::ExpectReferenceCasesOf<PowerChiCont>(kCases, 401, 8);
}

TEST(GoodnessOfFit, InputAndOutputRows) {
    const std::vector<std::string> head = {kLambda, kCriticalChiSquare, kDf};
    calc_test::ExpectTypeRows<PowerChiCont>(
        head, {
                  {kAPriori, {kEffect, kAlpha, kPower, kDf}, {kTotal, kActualPower}},
                  {kSensitivity, {kAlpha, kPower, kTotal, kDf}, {kEffect}},
                  {kPostHoc, {kEffect, kAlpha, kTotal, kDf}, {kPower}},
                  {kCriterion, {kEffect, kPower, kTotal, kDf}, {kAlpha}},
                  {kCompromise, {kEffect, kRatio, kTotal, kDf}, {kAlpha, kBeta, kPower}},
              });

    PowerChiCont test;
    calc_test::ExpectEffectInput(
        test, kAPriori, kEffect, 401,
        "Effect size conventions\nw = .10 - small\nw = .30 - medium\nw = .50 - large");
}

TEST(GoodnessOfFit, StandardValuesGiveLambdaNine) {
    PowerChiCont test;
    auto result = Calculate(test, kPostHoc, {});
    ASSERT_EQ(result->status, kCalculateDone) << result->message;
    EXPECT_EQ(OutputValue(result->outputs, kLambda), 9.0);
    EXPECT_EQ(OutputValue(result->outputs, kDf), 5.0);
    calc_test::ExpectOutput(result->outputs, kPower, 0.623584611682571, "post hoc");
}

TEST(GoodnessOfFit, RefusedInputsNameTheirRow) {
    struct Case {
        AnalysisType type;
        calc_test::Texts values;
        const char* row;  // nullptr: accepted
        const char* message;
    };
    const char* const kDfMessage = "Degrees of Freedom must be greater or equal one.";
    const char* const kSizeMessage =
        "Total sample size is outside the admissible range (1, 2147483646)";
    const Case cases[] = {
        {kPostHoc, {{"df", "0.5"}, {"w", "-1"}}, kDf, kDfMessage},
        {kAPriori, {{"df", "0.999"}}, kDf, kDfMessage},
        {kAPriori, {{"w", "0"}}, kEffect, "Effect size w must be greater 1e-06."},
        {kPostHoc, {{"w", "-0.1"}, {"N", "0"}}, kEffect, "Effect size w must be non-negative."},
        {kCriterion, {{"w", "-0.1"}}, kEffect, "Effect size w must be non-negative."},
        {kSensitivity, {{"N", "0"}}, kTotal, kSizeMessage},
        {kPostHoc, {{"N", "2147483647"}}, kTotal, kSizeMessage},
        {kCompromise, {{"N", "0"}, {"q", "1000"}}, kTotal, kSizeMessage},
        {kCompromise,
         {{"q", "1000"}},
         kRatio,
         "$\\beta$/$\\alpha$ ratio is outside the admissible range (0.01, 100)"},
        {kAPriori,
         {{"alpha", "0.5"}, {"power", "0.4"}},
         kPower,
         "Power must be greater than or equal to alpha."},
        // Accepted at the edges.
        // Lambda = w^2 N within what the noncentral sums take: at N 100 up
        // to w 10000 (also where the A priori search for N starts), at the
        // largest N up to w 2.15792.
        {kPostHoc,
         {{"w", "10001"}},
         kEffect,
         "Effect size w is outside the admissible range (0, 10000)."},
        {kCompromise,
         {{"w", "2.2"}, {"N", "2147483646"}},
         kEffect,
         "Effect size w is outside the admissible range (0, 2.15792)."},
        {kAPriori,
         {{"w", "1e30"}},
         kEffect,
         "Effect size w is outside the admissible range (1e-06, 10000)."},
        {kCriterion, {{"w", "=1/0"}}, kEffect, "Input error (number out of range)"},
        {kSensitivity, {{"df", "1e308"}}, kDf, "Df is outside the admissible range (1, 1e+15)."},
        {kAPriori, {{"df", "1"}}, nullptr, ""},
        {kPostHoc, {{"w", "10000"}}, nullptr, ""},
        {kAPriori, {{"w", "10000"}}, nullptr, ""},
        {kPostHoc, {{"w", "2.15"}, {"N", "2147483646"}, {"df", "1e15"}}, nullptr, ""},
        {kAPriori, {{"w", "0.000001"}, {"power", "0.5"}}, nullptr, ""},
        {kCriterion, {{"w", "0"}}, nullptr, ""},
        {kSensitivity, {{"N", "1"}}, nullptr, ""},
    };
    for (const Case& c : cases) {
        PowerChiCont test;
        const auto result = Calculate(test, c.type, c.values);
        const std::string context = calc_test::Describe(c.type, c.values);
        if (c.row == nullptr) {
            EXPECT_EQ(result->status, kCalculateDone) << context << ": " << result->message;
            continue;
        }
        calc_test::ExpectRefused(*result, c.row, c.message, context);
        EXPECT_EQ(test.effectSize, 0.3) << context;
        EXPECT_EQ(test.sampleSize, 100.0) << context;
        EXPECT_EQ(test.df, 5.0) << context;
    }
}

// The A priori total is the smallest whole N whose power reaches the
// target; N = 1 already suffices for a large w.
TEST(GoodnessOfFit, APrioriTotalIsTheSmallestSufficientN) {
    for (const char* w : {"0.05", "0.3", "1", "8"}) {
        for (const char* df : {"1", "4", "12"}) {
            PowerChiCont test;
            auto result = Calculate(test, kAPriori,
                                    {{"w", w}, {"df", df}, {"alpha", "0.05"}, {"power", "0.8"}});
            ASSERT_EQ(result->status, kCalculateDone) << result->message;
            const double n = OutputValue(result->outputs, kTotal);
            const std::string context =
                std::string("w ") + w + " df " + df + " N " + std::to_string(n);
            EXPECT_EQ(n, std::floor(n)) << context;
            EXPECT_GE(n, 1.0) << context;
            EXPECT_GE(OutputValue(result->outputs, kActualPower), 0.8) << context;
            if (n > 1.0) {
                PowerChiCont check;
                result = Calculate(
                    check, kPostHoc,
                    {{"w", w}, {"df", df}, {"alpha", "0.05"}, {"N", std::to_string(int(n) - 1)}});
                EXPECT_LT(OutputValue(result->outputs, kPower), 0.8) << context;
            }
        }
    }
}

}  // namespace
