// The test of one variance against a constant through the calculation path
// of the main window.

#include "power/chi/power_chi_one_var.h"

#include <gtest/gtest.h>

#include <memory>

#include "analysis/calculation_test_support.h"
#include "power/f/f_chi_test_tables.h"

namespace {

using calc_test::Calculate;
using calc_test::OutputValue;
using namespace calc_test::label;
using namespace f_chi_test;

// Reference values: verification/f_designs/reference.R (central chi-square
// in R). Among them, for the ratio 1.5 at alpha 0.05 and power 0.95: N = 134
// one tailed, 159 two tailed.
TEST(OneVariance, AgreesWithRInEveryAnalysisType) {
    calc_test::ExpectReferenceCasesOf<PowerChiOneVar>(kDesignCases, kVarianceTestId, 16);
}

// Criterion and Compromise at alpha and beta far below 1e-12: with a ratio
// below 1 beta is the upper tail beyond the critical value, which 1 - power
// loses (verification/small_tails, R, with seeded random cases).
TEST(OneVariance, SmallAlphaAndBetaAgreeWithR) {
    calc_test::ExpectReferenceCasesOf<PowerChiOneVar>(kDesignSmallTails, kVarianceTestId, 10);
}

const char* const kEffect = "Ratio var1/var0";
const char* const kTails = "Tail(s)";

TEST(OneVariance, InputAndOutputRows) {
    const std::vector<std::string> head = {"Lower critical $\\chi^2$", "Upper critical $\\chi^2$",
                                           kDf};
    calc_test::ExpectTypeRows<PowerChiOneVar>(
        head, {
                  {kAPriori, {kTails, kEffect, kAlpha, kPower}, {kTotal, kActualPower}},
                  {kSensitivity, {kTails, kAlpha, kPower, kTotal}, {kEffect}},
                  {kPostHoc, {kTails, kEffect, kAlpha, kTotal}, {kPower}},
                  {kCriterion, {kTails, kEffect, kPower, kTotal}, {kAlpha}},
                  {kCompromise, {kTails, kEffect, kRatio, kTotal}, {kAlpha, kBeta, kPower}},
              });
    PowerChiOneVar test;
    calc_test::ExpectEffectInput(test, kAPriori, kEffect, kVarianceTestId);
}

TEST(OneVariance, RefusedInputsNameTheirRow) {
    const char* const kSizeMessage =
        "Total sample size is outside the admissible range (2, 2147483646)";
    const calc_test::Refusal cases[] = {
        {kAPriori, {{"v", "1e-7"}}, kEffect, "Effect size var1/var0 must be greater 1e-06."},
        {kAPriori,
         {{"v", "1.0005"}, {"alpha", "0"}},
         kEffect,
         "Effect size var1/var0 is inside the prohibited range (0.999, 1.001)."},
        {kPostHoc, {{"v", "-1"}, {"N", "1"}}, kEffect, "Effect size v must be non-negative."},
        {kPostHoc, {{"N", "1"}}, kTotal, kSizeMessage},
        {kSensitivity, {{"N", "0"}}, kTotal, kSizeMessage},
        // N before the ratio in a Compromise.
        {kCompromise, {{"N", "1"}, {"q", "1000"}}, kTotal, kSizeMessage},
        {kCompromise,
         {{"q", "0.0099"}},
         kRatio,
         "$\\beta$/$\\alpha$ ratio is outside the admissible range (0.01, 100)"},
    };
    for (const calc_test::Refusal& c : cases) {
        PowerChiOneVar test;
        const std::string context = calc_test::ExpectRefusal(test, c);
        EXPECT_EQ(test.effectSize, 1.5) << context;
        EXPECT_EQ(test.sampleSize, 100.0) << context;
    }
    // Near 0 the power is 1 at nearly every alpha: where Criterion and
    // Compromise find no alpha, the ratio is refused as in A priori.
    for (AnalysisType type : {kCriterion, kCompromise}) {
        for (const char* v : {"0", "1e-300"}) {
            PowerChiOneVar test;
            const auto result = Calculate(test, type, {{"v", v}});
            calc_test::ExpectRefused(*result, kEffect,
                                     "Effect size var1/var0 must be greater 1e-06.",
                                     std::to_string(type) + " v " + v);
        }
    }
}

// The df are N - 1, or N where the mean is known; a clone keeps the choice.
TEST(OneVariance, DfOfTheSampleSize) {
    PowerChiOneVar test;
    auto result = Calculate(test, kPostHoc, {{"N", "2"}});
    ASSERT_EQ(result->status, kCalculateDone) << result->message;
    EXPECT_EQ(OutputValue(result->outputs, kDf), 1.0);

    test.useSampleSizeAsDf = true;
    std::unique_ptr<PowerAnalysis> clone(test.Clone());
    result = Calculate(*clone, kPostHoc, {{"N", "2"}});
    ASSERT_EQ(result->status, kCalculateDone) << result->message;
    EXPECT_EQ(OutputValue(result->outputs, kDf), 2.0);
}

}  // namespace
