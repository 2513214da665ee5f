// The generic z test: its lists, its input checks and what a clone keeps.
// The numbers of every analysis type are checked against the reference
// table in z_reference_cases_test.cpp.

#include "power/z/power_z_generic.h"

#include <gtest/gtest.h>

#include <memory>

#include "analysis/calculation_test_support.h"

namespace {

using calc_test::Calculate;
using calc_test::Texts;
using calc_test::With;

const Texts kPostHocTexts = {{"tails", "Two"}, {"mu", "3"}, {"sigma", "1"}, {"alpha", "0.05"}};
const Texts kSensitivityTexts = {
    {"tails", "Two"}, {"sigma", "1"}, {"alpha", "0.05"}, {"power", "0.95"}};
const Texts kCriterionTexts = {{"tails", "Two"}, {"mu", "3"}, {"sigma", "1"}, {"power", "0.95"}};
const Texts kCompromiseTexts = {{"tails", "Two"}, {"mu", "3"}, {"sigma", "1"}, {"q", "1"}};

TEST(GenericZ, ListsOfEachAnalysisType) {
    struct Layout {
        AnalysisType type;
        std::vector<std::string> inputs, outputs;
    };
    const Layout layouts[] = {
        // No A priori: the mean is an input; called with it, nothing shows.
        {kAPriori, {}, {"crit"}},
        {kSensitivity, {"tails", "sigma", "alpha", "power"}, {"crit", "mu"}},
        {kPostHoc, {"tails", "mu", "sigma", "alpha"}, {"crit", "beta", "power"}},
        {kCriterion, {"tails", "mu", "sigma", "power"}, {"crit", "alpha"}},
        {kCompromise, {"tails", "mu", "sigma", "q"}, {"crit", "alpha", "beta", "power"}},
    };
    PowerZGeneric test;
    for (const auto& layout : layouts) {
        calc_test::ExpectListKeys(test, layout.type, layout.inputs, layout.outputs);
    }
    EXPECT_EQ(calc_test::AnalysisTypeCodes(test),
              (std::vector<long>{kCompromise, kCriterion, kPostHoc, kSensitivity}));
    const auto run = Calculate(test, kAPriori, {});
    EXPECT_EQ(run->status, kCalculateDone);
}

TEST(GenericZ, RejectedInputsNameTheirRowAndReason) {
    struct Rejection {
        AnalysisType type;
        Texts texts;
        std::string row;
        std::string message;
    };
    const std::string sdMessage = "Standard error $\\sigma$ must be greater or equal 1e-08.";
    const std::string rangeMessage = "Input error (number out of range)";
    const Rejection rejections[] = {
        // The standard deviation is checked before anything else.
        {kPostHoc, With(kPostHocTexts, {{"sigma", "9.9e-9"}, {"alpha", "0"}}), "sigma", sdMessage},
        {kSensitivity, With(kSensitivityTexts, {{"sigma", "-1"}}), "sigma", sdMessage},
        {kCriterion, With(kCriterionTexts, {{"sigma", "=1/0"}}), "sigma", rangeMessage},
        {kPostHoc, With(kPostHocTexts, {{"mu", "=-1/0"}}), "mu", rangeMessage},
        {kCompromise, With(kCompromiseTexts, {{"mu", "=sqrt(-1)"}}), "mu", rangeMessage},
        {kPostHoc, With(kPostHocTexts, {{"alpha", "1"}}), "alpha",
         "Alpha is outside the admissible range (1e-07, 1)."},
        {kSensitivity, With(kSensitivityTexts, {{"power", "0.04"}}), "power",
         "Power must be greater than or equal to alpha."},
        {kCriterion, With(kCriterionTexts, {{"power", "0"}}), "power",
         "Power is outside the admissible range (1e-07, 1)."},
        {kCompromise, With(kCompromiseTexts, {{"q", "100.5"}}), "q",
         "$\\beta$/$\\alpha$ ratio is outside the admissible range (0.01, 100)"},
    };
    for (const Rejection& r : rejections) {
        PowerZGeneric test;
        const auto run = Calculate(test, r.type, r.texts);
        calc_test::ExpectRefused(*run, calc_test::Label(test, r.row), r.message,
                                 calc_test::Describe(r.type, r.texts));
    }
}

// The smallest standard deviation is admitted, and a clone carries the mean,
// the standard deviation and the tails of its source into its lists and its
// graph.
TEST(GenericZ, CloneKeepsTheDesign) {
    PowerZGeneric test;
    const auto run =
        Calculate(test, kPostHoc, With(kPostHocTexts, {{"sigma", "1e-8"}, {"mu", "-2.5"}}));
    ASSERT_EQ(run->status, kCalculateDone) << run->message;
    EXPECT_EQ(run->Text("power"), "1.0000000");
    std::unique_ptr<PowerAnalysis> clone(test.Clone());
    PropertyList inputs;
    clone->BuildInputList(kPostHoc, &inputs);
    EXPECT_EQ(inputs.Find(calc_test::Label(*clone, "sigma"))->text, "1e-8");
    EXPECT_EQ(inputs.Find(calc_test::Label(*clone, "tails"))->text, "Two");
    EXPECT_EQ(clone->criticalValue, test.criticalValue);
    EXPECT_LT(clone->criticalValue, 0.0);
    calc_test::ExpectSameDistributionPlot(test, *clone, 20);
}

}  // namespace
