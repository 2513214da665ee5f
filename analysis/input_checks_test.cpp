#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>

#include "analysis/analysis_fakes.h"

namespace {

using Check = std::function<bool(PowerAnalysis&)>;

struct CheckCase {
    const char* what;
    Check check;
    bool admissible;
    const char* message;  // the text a failure leaves, byte for byte
};

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// Every message as the user reads it; numbers in the stream's default format.
const CheckCase kCases[] = {
    {"alpha at lower bound", [](PowerAnalysis& t) { return t.CheckAlphaRange(1e-7); }, true, ""},
    {"alpha at upper bound", [](PowerAnalysis& t) { return t.CheckAlphaRange(0.9999999); }, true,
     ""},
    {"alpha above", [](PowerAnalysis& t) { return t.CheckAlphaRange(0.99999995); }, false,
     "Alpha is outside the admissible range (1e-07, 1)."},
    {"alpha NaN", [](PowerAnalysis& t) { return t.CheckAlphaRange(kNaN); }, false,
     "Alpha is outside the admissible range (1e-07, 1)."},
    {"power below", [](PowerAnalysis& t) { return t.CheckPowerRange(0.0); }, false,
     "Power is outside the admissible range (1e-07, 1)."},
    {"allocation ratio 1/min", [](PowerAnalysis& t) { return t.CheckAllocationRatio(10, 0.1); },
     true, ""},
    {"allocation ratio above", [](PowerAnalysis& t) { return t.CheckAllocationRatio(10.5, 0.1); },
     false, "The allocation ratio falls outside\nthe admissible range (0.1, 10)."},
    {"ratio", [](PowerAnalysis& t) { return t.CheckRatio(200, 0.01, 100); }, false,
     "$\\beta$/$\\alpha$ ratio is outside the admissible range (0.01, 100)"},
    {"correlation at limit",
     [](PowerAnalysis& t) { return t.CheckCorrelation("Correlation $\\rho$ H1", 0.999999); }, false,
     "Correlation $\\rho$ H1 is outside the admissible range (-0.999999, 0.999999)."},
    {"named range at limit",
     [](PowerAnalysis& t) { return t.CheckNamedRange("r", 0.999999, 1e-6); }, true, ""},
    {"named range", [](PowerAnalysis& t) { return t.CheckNamedRange("r ", -0.9999995, 1e-6); },
     false, "r is outside the admissible range (-0.999999, 0.999999)."},
    {"named range inclusive",
     [](PowerAnalysis& t) { return t.CheckNamedRangeInclusive("p1", 1.0, 1e-6); }, false,
     "p1 is outside the admissible range (1e-06, 1-1e-06)."},
    {"proportion zero", [](PowerAnalysis& t) { return t.CheckProportion("p ", 0.0); }, true, ""},
    {"proportion at limit", [](PowerAnalysis& t) { return t.CheckProportion("p ", 0.999999); },
     false, "p is outside the admissible range (0, 0.999999)."},
    {"value range at upper bound",
     [](PowerAnalysis& t) { return t.CheckValueRange("Df", 1e15, 1e-6, 1e15); }, true, ""},
    {"value range above",
     [](PowerAnalysis& t) { return t.CheckValueRange("Denominator df", 1.0000001e15, 1, 1e15); },
     false, "Denominator df is outside the admissible range (1, 1e+15)."},
    {"value range NaN", [](PowerAnalysis& t) { return t.CheckValueRange("Df", kNaN, 1, 1e15); },
     false, "Df is outside the admissible range (1, 1e+15)."},
    {"df one", [](PowerAnalysis& t) { return t.CheckDfAtLeastOne(0.5); }, false,
     "Degrees of Freedom must be greater or equal one."},
    {"df minimum", [](PowerAnalysis& t) { return t.CheckDfMinimum(1.5, 2); }, false,
     "Degrees of Freedom must be greater 2."},
    {"effect above equal", [](PowerAnalysis& t) { return t.CheckEffectSizeAbove("f", 0.1, 0.1); },
     true, ""},
    {"effect above", [](PowerAnalysis& t) { return t.CheckEffectSizeAbove("f", 0.05, 0.1); }, false,
     "Effect size f must be greater 0.1."},
    {"effect non-negative",
     [](PowerAnalysis& t) { return t.CheckEffectSizeNonNegative("w", -0.1); }, false,
     "Effect size w must be non-negative."},
    {"effect outside, inside",
     [](PowerAnalysis& t) { return t.CheckEffectSizeOutside("g", 0.0, -0.001, 0.001); }, false,
     "Effect size g is inside the prohibited range (-0.001, 0.001)."},
    {"effect outside, at bound",
     [](PowerAnalysis& t) { return t.CheckEffectSizeOutside("g", 0.001, -0.001, 0.001); }, true,
     ""},
    {"effect outside NaN",
     [](PowerAnalysis& t) { return t.CheckEffectSizeOutside("g", kNaN, -0.001, 0.001); }, false,
     "Effect size g is inside the prohibited range (-0.001, 0.001)."},
    {"effect range", [](PowerAnalysis& t) { return t.CheckEffectSizeRange("h", 4, 0, 3.14159); },
     false, "Effect size h is outside the admissible range (0, 3.14159)."},
    {"two groups", [](PowerAnalysis& t) { return t.CheckAtLeastTwoGroups(1); }, false,
     "There must be at least 2 groups."},
    {"minimum groups", [](PowerAnalysis& t) { return t.CheckMinimumGroups(2, 3); }, false,
     "There must be at least 3 groups."},
    {"a priori effect zero",
     [](PowerAnalysis& t) { return t.CheckAprioriEffectNonZero("p2 != p1", 0.5, 0.5000005); },
     false, "In a priori calculations the effect size must not be zero.\nPlease choose p2 != p1"},
    {"noncentrality",
     [](PowerAnalysis& t) { return t.CheckNoncentralityNonNegative("$\\lambda$", -1); }, false,
     "Noncentrality parameter $\\lambda$ must be non-negative."},
    {"covariates", [](PowerAnalysis& t) { return t.CheckNumberOfCovariates(3, 2, 5); }, false,
     "The number of covariate must lie between 0 and 2."},
    {"covariates ok", [](PowerAnalysis& t) { return t.CheckNumberOfCovariates(2, 2, 5); }, true,
     ""},
    {"odds ratio", [](PowerAnalysis& t) { return t.CheckOddsRatio(0.05, 0.1); }, false,
     "Effect size (odds ratio) falls outside\nthe admissible range (0.1, 10)."},
    {"power above alpha", [](PowerAnalysis& t) { return t.CheckPowerAboveAlpha(0.05, 0.04); },
     false, "Power must be greater than or equal to alpha."},
    {"one predictor", [](PowerAnalysis& t) { return t.CheckAtLeastOnePredictor(0); }, false,
     "There must be at least 1 predictor."},
    {"nonsphericity", [](PowerAnalysis& t) { return t.CheckNonsphericity(0.2, 4); }, false,
     "Correction for nonsphericity is outside\nthe admissible range (0.333333, 1),\n"
     "where the lower bound corresponds to 1/(number of measurements-1)"},
    {"nonsphericity one measurement", [](PowerAnalysis& t) { return t.CheckNonsphericity(1.0, 1); },
     false,
     "Correction for nonsphericity is outside\nthe admissible range (inf, 1),\n"
     "where the lower bound corresponds to 1/(number of measurements-1)"},
    {"effect ratio", [](PowerAnalysis& t) { return t.CheckEffectRatio(0.0, 0.0); }, false,
     "Effect size (ratio) must be > 0"},
    {"effect gives proportion",
     [](PowerAnalysis& t) { return t.CheckEffectGivesProportion(0.2, 0.7, 1e-6); }, true, ""},
    {"effect gives proportion outside",
     [](PowerAnalysis& t) { return t.CheckEffectGivesProportion(0.4, 0.7, 1e-6); }, false,
     "Effect size specification (0.4) leads to a proportion p1 = 1.1\n"
     "that falls outside the admissible range (1e-06, 1-1e-06)."},
    {"two measurements", [](PowerAnalysis& t) { return t.CheckAtLeastTwoMeasurements(1); }, false,
     "There must be at least 2 measurements."},
    {"one response", [](PowerAnalysis& t) { return t.CheckAtLeastOneResponse(0); }, false,
     "There must be at least one response variable."},
    {"sample size minimum", [](PowerAnalysis& t) { return t.CheckSampleSizeMinimum(1, 2); }, false,
     "Sample size must be greater than or equal to 2."},
    {"sample size range", [](PowerAnalysis& t) { return t.CheckSampleSizeRange(1, 2, 1000); },
     false, "Sample size is outside the admissible range (2, 1000)"},
    {"total sample size", [](PowerAnalysis& t) { return t.CheckTotalSampleSize(1, 2, 2147483646); },
     false, "Total sample size is outside the admissible range (2, 2147483646)"},
    {"standard error", [](PowerAnalysis& t) { return t.CheckStandardError(0.0, 1e-6); }, false,
     "Standard error $\\sigma$ must be greater or equal 1e-06."},
    {"above groups", [](PowerAnalysis& t) { return t.CheckSampleSizeAboveGroups(3, 3); }, false,
     "Sample size must be greater than\nthe number of groups (3)."},
    {"above predictors", [](PowerAnalysis& t) { return t.CheckSampleSizeAbovePredictors(6, 5); },
     false, "Sample size must be greater than\n the number of predictors (5) + 2."},
    {"above predictors, huge p",
     [](PowerAnalysis& t) { return t.CheckSampleSizeAbovePredictors(5, 2147483647); }, false,
     "Sample size must be greater than\n the number of predictors (2147483647) + 2."},
    {"above measurements",
     [](PowerAnalysis& t) { return t.CheckSampleSizeAboveMeasurements(4, 4); }, false,
     "Sample size must be greater than\n the number of measurements (4)."},
    {"above responses", [](PowerAnalysis& t) { return t.CheckSampleSizeAboveResponses(2, 2); },
     false, "Sample size must be greater than\n the number of response variables (2) + 1."},
    {"total above responses",
     [](PowerAnalysis& t) { return t.CheckTotalSampleSizeAboveResponses(3, 2); }, false,
     "Total sample size must be greater than\n the number of response variables (2) + 2."},
    {"multiple of groups",
     [](PowerAnalysis& t) { return t.CheckSampleSizeMultipleOfGroups(31, 3); }, false,
     "The total sample size (31) is not a multiple of\nthe number of groups (3). The analysis "
     "was \nbased on the average group size."},
    {"multiple of groups ok",
     [](PowerAnalysis& t) { return t.CheckSampleSizeMultipleOfGroups(30, 3); }, true, ""},
    {"no group count", [](PowerAnalysis& t) { return t.CheckSampleSizeMultipleOfGroups(31, 0); },
     true, ""},
};

TEST(InputChecks, ResultAndMessageOfEveryCheck) {
    for (const CheckCase& c : kCases) {
        fakes::ZTest test;
        EXPECT_EQ(c.check(test), c.admissible) << c.what;
        EXPECT_EQ(test.GetMessage(), c.message) << c.what;
    }
}

TEST(InputChecks, MessagesAccumulateUntilCleared) {
    fakes::ZTest test;
    EXPECT_FALSE(test.CheckRatio(0, 0.01, 100));
    EXPECT_FALSE(test.CheckPowerAboveAlpha(0.5, 0.1));
    EXPECT_EQ(test.GetMessage(),
              "$\\beta$/$\\alpha$ ratio is outside the admissible range (0.01, 100)"
              "Power must be greater than or equal to alpha.");
    test.ClearMessage();
    EXPECT_EQ(test.GetMessage(), "");
    EXPECT_FALSE(test.CheckAtLeastTwoGroups(0));  // the stream is still usable
    EXPECT_EQ(test.GetMessage(), "There must be at least 2 groups.");
}

TEST(InputChecks, VirtualAlphaAndPowerChecksClearFirst) {
    fakes::ZTest test;
    test.CheckAtLeastTwoGroups(0);
    EXPECT_TRUE(test.CheckAlpha(0, 0.05));
    EXPECT_EQ(test.GetMessage(), "");
    test.CheckAtLeastTwoGroups(0);
    EXPECT_FALSE(test.CheckPower(0, 1.0));
    EXPECT_EQ(test.GetMessage(), "Power is outside the admissible range (1e-07, 1).");
    EXPECT_TRUE(test.CheckSampleSize(0, -5));
    EXPECT_TRUE(test.CheckGroupSizes(0, -1, -1));
    EXPECT_TRUE(test.CheckEffectSize(0, kNaN));
}

}  // namespace
