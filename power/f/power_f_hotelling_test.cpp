// Hotelling's T^2 tests through the calculation path of the main window.

#include "power/f/power_f_hotelling.h"

#include <gtest/gtest.h>

#include <memory>

#include "analysis/calculation_test_support.h"
#include "power/f/f_chi_test_tables.h"

namespace {

using calc_test::Calculate;
using calc_test::OutputValue;
using namespace calc_test::label;
using namespace f_chi_test;

// Reference values: verification/f_designs/reference.R (noncentral F in R).
// Among them, at alpha 0.05 and power 0.95 with 2 responses: one group
// N = 65 for Delta = 0.5 and 690 for 0.15; two groups 126 + 126 for 0.5,
// and Post hoc with 50 + 50: df 2 and 97, lambda 6.25, power 0.5885389.
TEST(Hotelling, AgreesWithRInEveryAnalysisType) {
    calc_test::ExpectReferenceCasesOf<PowerFHotellingT2One>(kDesignCases, kHotellingOneGroupTestId,
                                                            9);
    calc_test::ExpectReferenceCasesOf<PowerFHotellingT2Two>(kDesignCases, kHotellingTwoGroupsTestId,
                                                            9);
}

// Criterion and Compromise at alpha and beta far below 1e-12, beta of two
// unequal groups on its own side (verification/small_tails, R, with seeded
// random cases).
TEST(Hotelling, SmallAlphaAndBetaAgreeWithR) {
    calc_test::ExpectReferenceCasesOf<PowerFHotellingT2One>(kDesignSmallTails,
                                                            kHotellingOneGroupTestId, 6);
    calc_test::ExpectReferenceCasesOf<PowerFHotellingT2Two>(kDesignSmallTails,
                                                            kHotellingTwoGroupsTestId, 8);
}

const char* const kEffect = "Effect size $\\Delta$";
const char* const kResponses = "Response variables";
const char* const kGroup1 = "Sample size group 1";
const char* const kGroup2 = "Sample size group 2";
const char* const kAllocation = "Allocation ratio N2/N1";

TEST(Hotelling, InputAndOutputRows) {
    const std::vector<std::string> head = {kLambda, kCriticalF, kNumeratorDf, kDenominatorDf};
    auto with = [&](const std::vector<std::string>& tail) { return calc_test::Joined(head, tail); };
    struct Case {
        AnalysisType type;
        std::vector<std::string> oneInputs, twoInputs, outputs;
    };
    const Case cases[] = {
        {kAPriori,
         {kEffect, kAlpha, kPower},
         {kEffect, kAlpha, kPower, kAllocation},
         with({kTotal, kActualPower})},
        {kSensitivity,
         {kAlpha, kPower, kTotal},
         {kAlpha, kPower, kGroup1, kGroup2},
         with({kEffect})},
        {kPostHoc, {kEffect, kAlpha, kTotal}, {kEffect, kAlpha, kGroup1, kGroup2}, with({kPower})},
        {kCriterion,
         {kEffect, kPower, kTotal},
         {kEffect, kPower, kGroup1, kGroup2},
         with({kAlpha})},
        {kCompromise,
         {kEffect, kRatio, kTotal},
         {kEffect, kRatio, kGroup1, kGroup2},
         with({kAlpha, kBeta, kPower})},
    };
    for (const Case& c : cases) {
        PowerFHotellingT2One one;
        calc_test::ExpectListLabels(one, c.type, calc_test::Joined(c.oneInputs, {kResponses}),
                                    c.outputs);
        PowerFHotellingT2Two two;
        // A priori gives the two groups in place of the total.
        calc_test::ExpectListLabels(
            two, c.type, calc_test::Joined(c.twoInputs, {kResponses}),
            c.type == kAPriori ? with({kGroup1, kGroup2, kActualPower}) : c.outputs);
    }
    PowerFHotellingT2One one;
    PowerFHotellingT2Two two;
    calc_test::ExpectEffectInput(one, kAPriori, kEffect, kHotellingOneGroupTestId);
    calc_test::ExpectEffectInput(two, kPostHoc, kEffect, kHotellingTwoGroupsTestId);
}

TEST(Hotelling, RefusedInputsNameTheirRow) {
    struct Case {
        bool twoGroups;
        AnalysisType type;
        calc_test::Texts values;
        const char* row;
        const char* message;
    };
    const char* const kRangeFrom0 =
        "Effect size $\\Delta$ is outside the admissible range (0, 50).";
    const char* const kAtLeastOne = "Sample size must be greater than or equal to 1.";
    const Case cases[] = {
        // The responses come first.
        {false,
         kPostHoc,
         {{"resp", "0"}, {"D", "-1"}},
         kResponses,
         "There must be at least one response variable."},
        {true,
         kAPriori,
         {{"resp", "0"}, {"r", "0"}},
         kResponses,
         "There must be at least one response variable."},
        {false,
         kAPriori,
         {{"D", "0"}},
         kEffect,
         "Effect size $\\Delta$ is outside the admissible range (1e-06, 50)."},
        {true, kPostHoc, {{"D", "-0.5"}}, kEffect, kRangeFrom0},
        {false, kCriterion, {{"D", "51"}}, kEffect, kRangeFrom0},
        {false,
         kPostHoc,
         {{"resp", "3"}, {"N", "3"}},
         kTotal,
         "Sample size must be greater than\n the number of response variables (3) + 1."},
        // The allocation ratio before the effect in an A priori analysis.
        {true,
         kAPriori,
         {{"r", "0.001"}, {"D", "0"}},
         kAllocation,
         "The allocation ratio falls outside\nthe admissible range (0.01, 100)."},
        {true, kPostHoc, {{"n1", "0"}, {"n2", "0"}}, kGroup1, kAtLeastOne},
        {true, kSensitivity, {{"n2", "0"}}, kGroup2, kAtLeastOne},
        {true,
         kCompromise,
         {{"resp", "3"}, {"n1", "2"}, {"n2", "2"}},
         kGroup1,
         "Total sample size must be greater than\n the number of response variables (3) + 2."},
    };
    for (const Case& c : cases) {
        std::unique_ptr<PowerF> test;
        if (c.twoGroups) {
            test = std::make_unique<PowerFHotellingT2Two>();
        } else {
            test = std::make_unique<PowerFHotellingT2One>();
        }
        const std::string context =
            calc_test::ExpectRefusal(*test, {c.type, c.values, c.row, c.message});
        EXPECT_EQ(test->extraCount, 2.0) << context;
        EXPECT_EQ(test->effectSize, 0.15) << context;
    }
}

// The smallest admissible designs: one group of p + 1, and two groups of
// one subject each beside p.
TEST(Hotelling, SmallestDesigns) {
    PowerFHotellingT2One one;
    auto result = Calculate(one, kPostHoc, {{"resp", "4"}, {"N", "5"}, {"D", "1"}});
    ASSERT_EQ(result->status, kCalculateDone) << result->message;
    EXPECT_EQ(OutputValue(result->outputs, kDenominatorDf), 1.0);
    EXPECT_EQ(OutputValue(result->outputs, kLambda), 5.0);

    PowerFHotellingT2Two two;
    result = Calculate(two, kPostHoc, {{"resp", "1"}, {"n1", "1"}, {"n2", "2"}, {"D", "3"}});
    ASSERT_EQ(result->status, kCalculateDone) << result->message;
    EXPECT_EQ(OutputValue(result->outputs, kDenominatorDf), 1.0);
    EXPECT_EQ(OutputValue(result->outputs, kLambda), 6.0);
}

}  // namespace
