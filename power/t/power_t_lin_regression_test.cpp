// The t test of one regression slope: its lists, its input checks in their
// order, the side of the test that b1 - b0 chooses, and its agreement with
// the point-biserial test where the two coincide. The numbers of every
// analysis type are checked against the reference table in
// t_regression_reference_test.cpp.

#include "power/t/power_t_lin_regression.h"

#include <gtest/gtest.h>

#include "analysis/calculation_test_support.h"
#include "analysis/plot_data.h"
#include "power/t/power_t_corr.h"

namespace {

using calc_test::Calculate;
using calc_test::Texts;
using calc_test::With;

const Texts kDesign = {{"tails", "Two"}, {"b0", "0"}, {"sx", "1"}, {"sy", "1"}};
const Texts kAPrioriTexts = With(kDesign, {{"b1", "0.15"}, {"alpha", "0.05"}, {"power", "0.95"}});
const Texts kSensitivityTexts =
    With(kDesign, {{"dir", "Slope > H0"}, {"alpha", "0.05"}, {"power", "0.95"}, {"n", "100"}});
const Texts kPostHocTexts = With(kDesign, {{"b1", "0.15"}, {"alpha", "0.05"}, {"n", "100"}});
const Texts kCriterionTexts = With(kDesign, {{"b1", "0.15"}, {"power", "0.8"}, {"n", "100"}});
const Texts kCompromiseTexts = With(kDesign, {{"b1", "0.15"}, {"q", "1"}, {"n", "100"}});

TEST(OneSlope, ListsOfEachAnalysisType) {
    struct Layout {
        AnalysisType type;
        std::vector<std::string> inputs, outputs;
    };
    const std::vector<std::string> design = {"b0", "sx", "sy"};
    using calc_test::Joined;
    const Layout layouts[] = {
        {kAPriori,
         Joined({"tails", "b1", "alpha", "power"}, design),
         {"ncp", "crit", "df", "n", "actual"}},
        {kSensitivity,
         Joined({"tails", "dir", "alpha", "power", "n"}, design),
         {"ncp", "crit", "df", "b1"}},
        {kPostHoc, Joined({"tails", "b1", "alpha", "n"}, design), {"ncp", "crit", "df", "power"}},
        {kCriterion, Joined({"tails", "b1", "power", "n"}, design), {"ncp", "crit", "df", "alpha"}},
        {kCompromise,
         Joined({"tails", "b1", "q", "n"}, design),
         {"ncp", "crit", "df", "alpha", "beta", "power"}},
    };
    PowerTLinRegression test;
    for (const Layout& layout : layouts)
        calc_test::ExpectListKeys(test, layout.type, layout.inputs, layout.outputs);
    calc_test::ExpectEffectInput(test, kPostHoc, "Slope H1", 211, "");
    EXPECT_FALSE(test.exactFlag);

    // Without a choice made, the direction is the side of the slope shown.
    PropertyList inputs;
    test.BuildInputList(kSensitivity, &inputs);
    EXPECT_EQ(inputs.Find("Effect direction")->text, "Slope > H0");
    test.effectSize = -0.2;
    test.BuildInputList(kSensitivity, &inputs);
    EXPECT_EQ(inputs.Find("Effect direction")->text, "Slope < H0");
}

TEST(OneSlope, RejectedInputsNameTheirRowAndReason) {
    struct Rejection {
        AnalysisType type;
        Texts texts;
        std::string row;
        std::string message;
    };
    const std::string sdMessage = "Standard error $\\sigma$ must be greater or equal 1e-12.";
    const std::string nMessage = "Sample size must be greater than or equal to 3.";
    const Rejection rejections[] = {
        // The standard deviations, then b0, before anything of the type.
        {kPostHoc, With(kPostHocTexts, {{"sx", "0"}, {"b0", "5"}, {"alpha", "0"}}), "sx",
         sdMessage},
        {kPostHoc, With(kPostHocTexts, {{"sy", "-1"}, {"b0", "5"}}), "sy", sdMessage},
        {kAPriori, With(kAPrioriTexts, {{"b0", "0.9999995"}, {"alpha", "0"}}), "b0",
         "|slope| (= 1) must be smaller than |sy/sx| (= 1)."},
        {kSensitivity, With(kSensitivityTexts, {{"b0", "-0.7"}, {"sx", "2"}, {"power", "0"}}), "b0",
         "|slope| (= 0.7) must be smaller than |sy/sx| (= 0.5)."},
        // b1 is checked last.
        {kAPriori, With(kAPrioriTexts, {{"b1", "2"}, {"power", "0.01"}}), "power",
         "Power must be greater than or equal to alpha."},
        {kAPriori, With(kAPrioriTexts, {{"b1", "-0.9999995"}}), "b1",
         "|slope| (= 1) must be smaller than |sy/sx| (= 1)."},
        {kPostHoc, With(kPostHocTexts, {{"b1", "1.5"}, {"n", "2"}}), "n", nMessage},
        {kPostHoc, With(kPostHocTexts, {{"b1", "nan"}}), "b1", "Input error (number out of range)"},
        {kSensitivity, With(kSensitivityTexts, {{"n", "2"}}), "n", nMessage},
        {kCriterion, With(kCriterionTexts, {{"power", "1"}, {"n", "2"}}), "power",
         "Power is outside the admissible range (1e-07, 1)."},
        {kCriterion, With(kCriterionTexts, {{"b1", "3"}}), "b1",
         "|slope| (= 3) must be smaller than |sy/sx| (= 1)."},
        // Compromise checks the ratio first.
        {kCompromise, With(kCompromiseTexts, {{"q", "0.001"}, {"n", "2"}}), "q",
         "$\\beta$/$\\alpha$ ratio is outside the admissible range (0.01, 100)"},
        {kCompromise, With(kCompromiseTexts, {{"n", "2"}}), "n", nMessage},
    };
    for (const Rejection& r : rejections) {
        PowerTLinRegression test;
        calc_test::ExpectRefused(*Calculate(test, r.type, r.texts), calc_test::Label(test, r.row),
                                 r.message, calc_test::Describe(r.type, r.texts));
    }
    // Just inside the bound, and a tiny sigma_x.
    for (const Texts& texts : {With(kPostHocTexts, {{"b0", "0.999998"}, {"b1", "-0.999998"}}),
                               With(kPostHocTexts, {{"sx", "1e-12"}, {"sy", "1"}})}) {
        PowerTLinRegression test;
        const auto run = Calculate(test, kPostHoc, texts);
        EXPECT_EQ(run->status, kCalculateDone) << run->message;
    }
}

// With b0 = 0 and sigma_x = sigma_y = 1 the slope is the correlation, and
// the test that of a point-biserial correlation.
TEST(OneSlope, AgreesWithThePointBiserialTestAtUnitStandardDeviations) {
    for (const char* tails : {"One", "Two"}) {
        PowerTLinRegression slope;
        PowerTCorr corr;
        const auto a = Calculate(slope, kAPriori, With(kAPrioriTexts, {{"tails", tails}}));
        const auto b =
            Calculate(corr, kAPriori,
                      {{"tails", tails}, {"absrho", "0.15"}, {"alpha", "0.05"}, {"power", "0.95"}});
        ASSERT_EQ(a->status, kCalculateDone) << a->message;
        ASSERT_EQ(b->status, kCalculateDone) << b->message;
        EXPECT_EQ(a->Value("n"), std::string(tails) == "One" ? 472.0 : 567.0);
        for (const char* key : {"ncp", "crit", "df", "n", "actual"})
            EXPECT_EQ(a->Text(key), b->Text(key)) << tails << " " << key;
    }
}

// The side of the test is that of b1 - b0, also where b1 itself is
// positive; the distribution graph shows the same side.
TEST(OneSlope, TheSideIsThatOfTheDifferenceToH0) {
    struct Side {
        Texts texts;
        int side;
    };
    const Side sides[] = {
        {With(kPostHocTexts, {{"tails", "One"}, {"b0", "0.5"}, {"b1", "0.3"}}), -1},
        {With(kPostHocTexts, {{"tails", "One"}, {"b0", "-0.5"}, {"b1", "-0.3"}}), 1},
        {With(kPostHocTexts, {{"b0", "0.5"}, {"b1", "0.3"}}), -1},
        // No difference: the lower side, with a power of alpha.
        {With(kPostHocTexts, {{"tails", "One"}, {"b0", "0.2"}, {"b1", "0.2"}}), -1},
    };
    for (const Side& s : sides) {
        SCOPED_TRACE(calc_test::Describe(kPostHoc, s.texts));
        PowerTLinRegression test;
        const auto run = Calculate(test, kPostHoc, s.texts);
        ASSERT_EQ(run->status, kCalculateDone) << run->message;
        EXPECT_EQ(test.GetEffectSize(), s.side);
        EXPECT_EQ(run->Value("crit") > 0.0 ? 1 : -1, s.side);
        PlotData plot;
        test.MakeDistributionPlot(&plot);
        EXPECT_EQ(plot.side, s.side);
        EXPECT_NEAR(plot.criticalValue, run->Value("crit"), 1e-7);
        // Both slopes negated: the same power on the other side.
        const double b0 = test.slopeH0;
        PowerTLinRegression mirror;
        mirror.slopeH0 = -b0;
        mirror.oneTailed = test.oneTailed;
        const double mirrored = mirror.ComputePower(-test.effectSize, 0.05, 100.0);
        if (test.effectSize != b0) {
            EXPECT_EQ(mirror.GetEffectSize(), -s.side);
            EXPECT_NEAR(mirrored, run->Value("power"), 1e-7);
        } else {
            EXPECT_NEAR(run->Value("power"), 0.05, 1e-12);
        }
    }
}

TEST(OneSlope, PointChecks) {
    PowerTLinRegression test;  // sigma_x = sigma_y = 1
    EXPECT_TRUE(test.CheckSampleSize(kPostHoc, 3));
    EXPECT_FALSE(test.CheckSampleSize(kPostHoc, 2));
    EXPECT_EQ(test.GetMessage(), "Sample size must be greater than or equal to 3.");
    EXPECT_TRUE(test.CheckEffectSize(kPostHoc, -0.999999));
    EXPECT_FALSE(test.CheckEffectSize(kPostHoc, 0.9999995));
}

}  // namespace
