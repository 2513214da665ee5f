// The one-way fixed-effects ANOVA through the calculation path of the main
// window.

#include "power/f/power_f_anova_global.h"

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

const char* const kEffect = "Effect size f";

// Reference values: verification/f_chi_tests/reference.R (noncentral F in R,
// checked against pwr.anova.test). Among them, for f = 0.25 at alpha 0.05
// and power 0.95: N = 305 with actual power 0.9521313 for five groups and
// N = 252 for three; Post hoc with N = 50 and three groups gives df 2 and 47,
// power 0.3150281 and the note that 50 is no multiple of 3.
// Criterion with alpha far below 1e-12 (8.884427e-25 at f 0.4, N 1000, four
// groups, power 0.95), where 1 - alpha rounds to 1 or keeps few of alpha's
// digits: the critical value comes from the upper tail itself. Compromise
// at the same design with q 1: alpha 1.281290e-09, beta summed on its own
// side (verification/small_tails, R, with seeded random cases).
TEST(AnovaOneWay, CriterionAndCompromiseFindAlphaFarBelowTheDoubles) {
    calc_test::ExpectReferenceCasesOf<PowerFAnovaGlobal>(kSmallTails, 101, 17);
}

TEST(AnovaOneWay, AgreesWithRInEveryAnalysisType) {
    calc_test::ExpectReferenceCasesOf<PowerFAnovaGlobal>(kCases, 101, 9);
}

TEST(AnovaOneWay, InputAndOutputRows) {
    const std::vector<std::string> head = {kLambda, kCriticalF, kNumeratorDf, kDenominatorDf};
    calc_test::ExpectTypeRows<PowerFAnovaGlobal>(
        head, {
                  {kAPriori, {kEffect, kAlpha, kPower, kGroups}, {kTotal, kActualPower}},
                  {kSensitivity, {kAlpha, kPower, kTotal, kGroups}, {kEffect}},
                  {kPostHoc, {kEffect, kAlpha, kTotal, kGroups}, {kPower}},
                  {kCriterion, {kEffect, kPower, kTotal, kGroups}, {kAlpha}},
                  {kCompromise, {kEffect, kRatio, kTotal, kGroups}, {kAlpha, kBeta, kPower}},
              });

    // The effect-size row opens the effect-size panel of this test.
    PowerFAnovaGlobal test;
    calc_test::ExpectEffectInput(
        test, kPostHoc, kEffect, 101,
        "Effect size conventions\nf = .10 - small\nf = .25 - medium\nf = .40 - large");
}

TEST(AnovaOneWay, StandardValuesGiveFiveGroupsOfTwenty) {
    PowerFAnovaGlobal test;
    auto result = Calculate(test, kPostHoc, {});
    ASSERT_EQ(result->status, kCalculateDone) << result->message;
    EXPECT_EQ(OutputValue(result->outputs, kNumeratorDf), 4.0);
    EXPECT_EQ(OutputValue(result->outputs, kDenominatorDf), 95.0);
    EXPECT_EQ(OutputValue(result->outputs, kLambda), 6.25);
}

TEST(AnovaOneWay, RefusedInputsNameTheirRow) {
    const char* const kGroupsMessage = "There must be at least 2 groups.";
    const char* const kRangeFrom0 = "Effect size f is outside the admissible range (0, 50).";
    const char* const kRangeFromTiny = "Effect size f is outside the admissible range (1e-06, 50).";
    const char* const kAboveGroups = "Sample size must be greater than\nthe number of groups (3).";
    const calc_test::Refusal cases[] = {
        // The number of groups is checked before anything else is read.
        {kPostHoc, {{"k", "1"}, {"f", "-1"}, {"N", "0"}}, kGroups, kGroupsMessage},
        {kAPriori, {{"k", "0"}}, kGroups, kGroupsMessage},
        {kAPriori, {{"f", "0"}}, kEffect, kRangeFromTiny},
        {kAPriori, {{"f", "50.5"}, {"alpha", "0"}}, kEffect, kRangeFromTiny},
        {kPostHoc, {{"f", "-0.1"}}, kEffect, kRangeFrom0},
        {kCriterion, {{"f", "51"}}, kEffect, kRangeFrom0},
        {kPostHoc, {{"k", "3"}, {"N", "3"}}, kTotal, kAboveGroups},
        {kSensitivity, {{"k", "3"}, {"N", "2"}}, kTotal, kAboveGroups},
        {kCriterion, {{"k", "3"}, {"N", "3"}}, kTotal, kAboveGroups},
        // N before the ratio in a Compromise.
        {kCompromise, {{"k", "3"}, {"N", "3"}, {"q", "1000"}}, kTotal, kAboveGroups},
        {kCompromise,
         {{"q", "1000"}},
         kRatio,
         "$\\beta$/$\\alpha$ ratio is outside the admissible range (0.01, 100)"},
        {kAPriori,
         {{"alpha", "0.5"}, {"power", "0.4"}},
         kPower,
         "Power must be greater than or equal to alpha."},
        {kSensitivity,
         {{"power", "0"}},
         kPower,
         "Power is outside the admissible range (1e-07, 1)."},
    };
    for (const calc_test::Refusal& c : cases) {
        PowerFAnovaGlobal test;
        const std::string context = calc_test::ExpectRefusal(test, c);
        EXPECT_EQ(test.groupCount, 5.0) << context;
        EXPECT_EQ(test.effectSize, 0.25) << context;
        EXPECT_EQ(test.sampleSize, 100.0) << context;
    }
}

// A given total that does not split into equal groups is analysed as it
// is, with a note; every type with a given total gives it.
TEST(AnovaOneWay, TotalThatIsNoMultipleOfTheGroupsGivesANote) {
    const char* const kNote =
        "The total sample size (50) is not a multiple of\nthe number of groups (3). The analysis "
        "was \n"
        "based on the average group size.";
    for (AnalysisType type : {kSensitivity, kPostHoc, kCriterion, kCompromise}) {
        PowerFAnovaGlobal test;
        auto result = Calculate(test, type, {{"k", "3"}, {"N", "50"}});
        EXPECT_EQ(result->status, kCalculateDoneWithNote) << type;
        EXPECT_EQ(result->message, kNote) << type;
        EXPECT_EQ(OutputValue(result->outputs, kDenominatorDf), 47.0) << type;

        result = Calculate(test, type, {{"k", "3"}, {"N", "51"}});
        EXPECT_EQ(result->status, kCalculateDone) << type;
        EXPECT_EQ(result->message, "") << type;
    }
}

// The A priori total is the smallest multiple of k whose power reaches the
// target, and never below two per group.
TEST(AnovaOneWay, APrioriTotalIsTheSmallestSufficientMultipleOfTheGroups) {
    for (int k : {2, 3, 4, 7}) {
        for (const char* f : {"0.1", "0.25", "0.6", "1.5"}) {
            PowerFAnovaGlobal test;
            const std::string groups = std::to_string(k);
            auto result = Calculate(test, kAPriori,
                                    {{"f", f}, {"k", groups}, {"alpha", "0.05"}, {"power", "0.9"}});
            ASSERT_EQ(result->status, kCalculateDone) << result->message;
            const double n = OutputValue(result->outputs, kTotal);
            const std::string context = "k " + groups + " f " + f + " N " + std::to_string(n);
            EXPECT_EQ(std::fmod(n, k), 0.0) << context;
            EXPECT_GE(n, 2.0 * k) << context;
            EXPECT_GE(OutputValue(result->outputs, kActualPower), 0.9) << context;
            if (n > 2.0 * k) {
                PowerFAnovaGlobal check;
                result = Calculate(check, kPostHoc,
                                   {{"f", f},
                                    {"k", groups},
                                    {"alpha", "0.05"},
                                    {"N", std::to_string(int(n) - k)}});
                EXPECT_LT(OutputValue(result->outputs, kPower), 0.9) << context;
            }
        }
    }
}

// A clone draws the same distribution graph as its source: the df of the
// design travel with it.
TEST(AnovaOneWay, CloneDrawsTheSameGraph) {
    PowerFAnovaGlobal test;
    auto result = Calculate(test, kPostHoc, {{"k", "3"}, {"N", "50"}, {"f", "0.4"}});
    std::unique_ptr<PowerAnalysis> clone(test.Clone());
    ASSERT_NE(dynamic_cast<PowerFAnovaGlobal*>(clone.get()), nullptr);
    EXPECT_EQ(clone->groupCount, 3.0);
    calc_test::ExpectSameDistributionPlot(test, *clone, 25);
}

}  // namespace
