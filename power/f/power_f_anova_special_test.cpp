// The ANOVA of main effects and interactions and the ANCOVA through the
// calculation path of the main window.

#include "power/f/power_f_anova_special.h"

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
// Among them, for f = 0.25, numerator df 4 and 10 groups at alpha 0.05 and
// power 0.95: N = 303; with no covariate the ANCOVA gives the same.
TEST(AnovaSpecial, AgreesWithRInEveryAnalysisType) {
    calc_test::ExpectReferenceCasesOf<PowerFAnovaSpecial>(kDesignCases, kAnovaSpecialTestId, 8);
    calc_test::ExpectReferenceCasesOf<PowerFAncova>(kDesignCases, kAncovaTestId, 10);
}

// Criterion and Compromise at alpha far below 1e-12 (verification/small_tails,
// R, with seeded random cases): f 0.101, power 0.609, N 8168, numerator df 4
// and 4 groups need alpha 1.118887e-16 at critical F 20.32486.
TEST(AnovaSpecial, SmallAlphaAndBetaAgreeWithR) {
    calc_test::ExpectReferenceCasesOf<PowerFAnovaSpecial>(kDesignSmallTails, kAnovaSpecialTestId,
                                                          8);
    calc_test::ExpectReferenceCasesOf<PowerFAncova>(kDesignSmallTails, kAncovaTestId, 8);
}

const char* const kEffect = "Effect size f";
const char* const kCovariates = "Number of covariates";

TEST(AnovaSpecial, InputAndOutputRows) {
    const std::vector<std::string> head = {kLambda, kCriticalF, kDenominatorDf};
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
        PowerFAnovaSpecial anova;
        calc_test::ExpectListLabels(
            anova, c.type, calc_test::Joined(c.inputs, {kNumeratorDf, kGroups}), c.outputs);
        PowerFAncova ancova;
        calc_test::ExpectListLabels(
            ancova, c.type, calc_test::Joined(c.inputs, {kNumeratorDf, kGroups, kCovariates}),
            c.outputs);
    }
    PowerFAnovaSpecial anova;
    PowerFAncova ancova;
    const char* const conventions =
        "Effect size conventions\nf = .10 - small\nf = .25 - medium\nf = .40 - large";
    calc_test::ExpectEffectInput(anova, kAPriori, kEffect, kAnovaSpecialTestId, conventions);
    calc_test::ExpectEffectInput(ancova, kPostHoc, kEffect, kAncovaTestId, conventions);
}

TEST(AnovaSpecial, RefusedInputsNameTheirRow) {
    struct Case {
        bool ancova;
        AnalysisType type;
        calc_test::Texts values;
        const char* row;
        const char* message;
    };
    const char* const kDfMessage = "Degrees of Freedom must be greater or equal one.";
    const char* const kAboveGroups = "Sample size must be greater than\nthe number of groups (4).";
    const Case cases[] = {
        // The numerator df first, then the groups, before the type's inputs.
        {false, kPostHoc, {{"df1", "0"}, {"k", "1"}, {"f", "-1"}}, kNumeratorDf, kDfMessage},
        {true, kAPriori, {{"df1", "0.5"}, {"k", "1"}}, kNumeratorDf, kDfMessage},
        {false, kPostHoc, {{"k", "1"}, {"f", "-1"}}, kGroups, "There must be at least 2 groups."},
        {false,
         kAPriori,
         {{"f", "0"}},
         kEffect,
         "Effect size f is outside the admissible range (1e-06, 50)."},
        {true,
         kCriterion,
         {{"f", "50.5"}},
         kEffect,
         "Effect size f is outside the admissible range (0, 50)."},
        {false, kPostHoc, {{"k", "4"}, {"N", "4"}}, kTotal, kAboveGroups},
        {true, kSensitivity, {{"k", "4"}, {"N", "3"}}, kTotal, kAboveGroups},
        // The ratio before N in a Compromise.
        {false,
         kCompromise,
         {{"k", "4"}, {"N", "4"}, {"q", "1000"}},
         kRatio,
         "$\\beta$/$\\alpha$ ratio is outside the admissible range (0.01, 100)"},
        {true, kCompromise, {{"k", "4"}, {"N", "4"}}, kTotal, kAboveGroups},
        // The covariates must leave one error df: 15 of them at most here.
        {true,
         kPostHoc,
         {{"k", "4"}, {"N", "20"}, {"cov", "16"}},
         kCovariates,
         "The number of covariate must lie between 0 and 15."},
        {true,
         kCompromise,
         {{"k", "4"}, {"N", "20"}, {"cov", "-1"}},
         kCovariates,
         "The number of covariate must lie between 0 and 15."},
        {true,
         kAPriori,
         {{"cov", "-1"}},
         kCovariates,
         "The number of covariates must not be negative."},
    };
    for (const Case& c : cases) {
        std::unique_ptr<PowerFAnovaSpecial> test;
        if (c.ancova) {
            test = std::make_unique<PowerFAncova>();
        } else {
            test = std::make_unique<PowerFAnovaSpecial>();
        }
        const std::string context =
            calc_test::ExpectRefusal(*test, {c.type, c.values, c.row, c.message});
        EXPECT_EQ(test->groupCount, 5.0) << context;
        EXPECT_EQ(test->effectSize, 0.25) << context;
        EXPECT_EQ(test->extraCount, c.ancova ? 1.0 : 0.0) << context;
    }
}

// The A priori search starts at the smallest total that leaves the error
// term one df after the cells and the covariates, so that no number of
// covariates ends the search with a df below one.
TEST(AnovaSpecial, ANCOVAAPrioriAdmitsAnyNumberOfCovariates) {
    for (const char* f : {"0.25", "1", "4"}) {
        for (const char* covariates : {"0", "1", "40"}) {
            PowerFAncova test;
            const calc_test::Texts texts = {{"f", f}, {"k", "6"}, {"cov", covariates}};
            const auto result = Calculate(test, kAPriori, texts);
            const std::string context = calc_test::Describe(kAPriori, texts);
            ASSERT_EQ(result->status, kCalculateDone) << context << "\n" << result->message;
            EXPECT_GE(OutputValue(result->outputs, kDenominatorDf), 1.0) << context;
            EXPECT_GE(OutputValue(result->outputs, kActualPower), 0.95) << context;
        }
    }
}

}  // namespace
