// The generic t test: its lists, its input checks, the boundaries it
// admits and what it leaves in a clone. The numbers of every analysis type
// are checked against the reference table in t_reference_cases_test.cpp.

#include "power/t/power_t_generic.h"

#include <gtest/gtest.h>

#include <memory>

#include "analysis/calculation_test_support.h"
#include "numerics/quorix_error.h"

namespace {

using calc_test::Calculate;
using calc_test::LabelsOf;
using calc_test::Names;
using calc_test::Texts;
using calc_test::With;

const Texts kPostHocTexts = {{"tails", "Two"}, {"delta", "2.5"}, {"alpha", "0.05"}, {"df", "30"}};
const Texts kSensitivityTexts = {
    {"tails", "Two"}, {"alpha", "0.05"}, {"power", "0.95"}, {"df", "30"}};
const Texts kCriterionTexts = {{"tails", "Two"}, {"delta", "3"}, {"power", "0.8"}, {"df", "30"}};
const Texts kCompromiseTexts = {{"tails", "Two"}, {"delta", "3"}, {"q", "1"}, {"df", "30"}};

TEST(GenericT, ListsOfEachAnalysisType) {
    struct Layout {
        AnalysisType type;
        std::vector<std::string> inputs, outputs;
    };
    const Layout layouts[] = {
        {kAPriori, {"tails", "df"}, {"crit"}},
        {kSensitivity, {"tails", "alpha", "power", "df"}, {"crit", "ncp"}},
        {kPostHoc, {"tails", "delta", "alpha", "df"}, {"crit", "beta", "power"}},
        {kCriterion, {"tails", "delta", "power", "df"}, {"crit", "alpha"}},
        {kCompromise, {"tails", "delta", "q", "df"}, {"crit", "alpha", "beta", "power"}},
    };
    PowerTGeneric test;
    for (const Layout& layout : layouts) {
        SCOPED_TRACE(layout.type);
        PropertyList inputs, outputs;
        test.BuildInputList(layout.type, &inputs);
        test.BuildOutputList(layout.type, &outputs);
        EXPECT_EQ(Names(inputs), LabelsOf(test, layout.inputs));
        EXPECT_EQ(Names(outputs), LabelsOf(test, layout.outputs));
        for (const Property* output : outputs) EXPECT_EQ(output->text, "?");
    }
    // No A priori: the noncentrality is an input.
    EXPECT_EQ(calc_test::AnalysisTypeCodes(test),
              (std::vector<long>{kCompromise, kCriterion, kPostHoc, kSensitivity}));
}

TEST(GenericT, RejectedInputsNameTheirRowAndReason) {
    struct Rejection {
        AnalysisType type;
        Texts texts;
        std::string row;
        std::string message;
    };
    const std::string dfMessage = "Degrees of Freedom must be greater 0.01.";
    const std::string alphaMessage = "Alpha is outside the admissible range (1e-07, 1).";
    const std::string powerMessage = "Power is outside the admissible range (1e-07, 1).";
    const std::string ratioMessage =
        "$\\beta$/$\\alpha$ ratio is outside the admissible range (0.01, 100)";
    const std::string rangeMessage = "Input error (number out of range)";
    const std::string deltaMessage =
        "Noncentrality parameter $\\delta$ is outside the admissible range (-10000, 10000).";
    const Rejection rejections[] = {
        {kPostHoc, With(kPostHocTexts, {{"df", "0.0099"}}), "df", dfMessage},
        {kPostHoc, With(kPostHocTexts, {{"df", "-3"}, {"alpha", "2"}}), "df", dfMessage},
        {kSensitivity, With(kSensitivityTexts, {{"df", "0"}}), "df", dfMessage},
        {kPostHoc, With(kPostHocTexts, {{"alpha", "0"}}), "alpha", alphaMessage},
        {kPostHoc, With(kPostHocTexts, {{"alpha", "1"}}), "alpha", alphaMessage},
        {kSensitivity, With(kSensitivityTexts, {{"alpha", "9e-8"}}), "alpha", alphaMessage},
        {kSensitivity, With(kSensitivityTexts, {{"power", "1"}}), "power", powerMessage},
        {kSensitivity, With(kSensitivityTexts, {{"power", "0.04"}}), "power",
         "Power must be greater than or equal to alpha."},
        {kCriterion, With(kCriterionTexts, {{"power", "0"}}), "power", powerMessage},
        {kCompromise, With(kCompromiseTexts, {{"q", "0.0099"}}), "q", ratioMessage},
        {kCompromise, With(kCompromiseTexts, {{"q", "100.01"}}), "q", ratioMessage},
        // A formula can make delta infinite or undefined; no power follows.
        {kPostHoc, With(kPostHocTexts, {{"delta", "=0/0"}}), "delta", rangeMessage},
        {kPostHoc, With(kPostHocTexts, {{"delta", "=-1/0"}}), "delta", rangeMessage},
        {kCriterion, With(kCriterionTexts, {{"delta", "=1/0"}}), "delta", rangeMessage},
        {kCompromise, With(kCompromiseTexts, {{"delta", "=sqrt(-1)"}}), "delta", rangeMessage},
        {kCompromise, With(kCompromiseTexts, {{"delta", "2147483648"}}), "delta", deltaMessage},
        {kPostHoc, With(kPostHocTexts, {{"delta", "-10000.001"}}), "delta", deltaMessage},
        {kSensitivity, With(kSensitivityTexts, {{"df", "1e308"}}), "df",
         "Df is outside the admissible range (0.01, 1e+15)."},
        {kPostHoc, With(kPostHocTexts, {{"df", "inf"}}), "df", rangeMessage},
    };
    for (const Rejection& r : rejections) {
        PowerTGeneric test;
        const auto run = Calculate(test, r.type, r.texts);
        SCOPED_TRACE(r.message);
        EXPECT_EQ(run->status, run->Row(r.row));
        EXPECT_GE(run->status, 0);
        EXPECT_EQ(run->message, r.message);
    }
}

TEST(GenericT, BoundariesAreAdmitted) {
    const std::pair<AnalysisType, Texts> admitted[] = {
        {kCompromise, With(kCompromiseTexts, {{"q", "0.01"}})},
        {kCompromise, With(kCompromiseTexts, {{"q", "100"}})},
        {kPostHoc, With(kPostHocTexts, {{"alpha", "1e-7"}})},
        {kPostHoc, With(kPostHocTexts, {{"alpha", "0.9999999"}})},
        {kPostHoc, With(kPostHocTexts, {{"delta", "1e4"}, {"df", "1e15"}})},
        {kCompromise, With(kCompromiseTexts, {{"delta", "-1e4"}})},
    };
    for (const auto& [type, texts] : admitted) {
        PowerTGeneric test;
        const auto run = Calculate(test, type, texts);
        EXPECT_EQ(run->status, kCalculateDone) << run->message;
    }
    // The smallest df; at alpha 0.5 its critical value (6.4e28) is still
    // within the reach of the quantile's search.
    PowerTGeneric test;
    const auto run = Calculate(
        test, kPostHoc, With(kPostHocTexts, {{"df", "0.01"}, {"delta", "0"}, {"alpha", "0.5"}}));
    ASSERT_EQ(run->status, kCalculateDone) << run->message;
    EXPECT_EQ(run->Text("power"), "0.5000000");
}

// At the largest df the normal limit (verification/bounds/df_limit_reference.py).
TEST(GenericT, AtTheLargestDfTheResultsAreTheLimits) {
    calc_test::ExpectReferenceCases(
        "verification/bounds/df_limit_cases.tsv", kGenericTTestId,
        [] { return std::make_unique<PowerTGeneric>(); }, 2);
}

TEST(GenericT, NoEffectHasThePowerAlpha) {
    for (const char* tails : {"One", "Two"}) {
        PowerTGeneric test;
        const auto run =
            Calculate(test, kPostHoc, With(kPostHocTexts, {{"delta", "0"}, {"tails", tails}}));
        ASSERT_EQ(run->status, kCalculateDone);
        EXPECT_EQ(run->Text("power"), "0.0500000") << tails;
        EXPECT_EQ(run->Text("beta"), "0.9500000") << tails;
    }
}

TEST(GenericT, APrioriComputesNothing) {
    PowerTGeneric test;
    const double powerBefore = test.power, effectBefore = test.effectSize;
    const auto run = Calculate(test, kAPriori, {{"tails", "Two"}, {"df", "30"}});
    EXPECT_EQ(run->status, kCalculateDone);
    EXPECT_EQ(test.power, powerBefore);
    EXPECT_EQ(test.effectSize, effectBefore);
}

// The search is bounded: a target beyond its reach is a failure, never a
// bracket end shown as the answer; the delta shown before stays.
TEST(GenericT, UnreachablePowerIsAFailure) {
    PowerTGeneric test;
    const double before = test.effectSize;
    EXPECT_THROW(
        Calculate(test, kSensitivity, With(kSensitivityTexts, {{"df", "1"}, {"alpha", "1e-7"}})),
        QuorixError);
    EXPECT_EQ(test.effectSize, before);
}

TEST(GenericT, CloneKeepsTheInputsAndComputesTheSame) {
    PowerTGeneric test;
    const auto first =
        Calculate(test, kCriterion, With(kCriterionTexts, {{"delta", "-2"}, {"tails", "One"}}));
    ASSERT_EQ(first->status, kCalculateDone);
    std::unique_ptr<PowerAnalysis> clone(test.Clone());
    EXPECT_EQ(clone->GetMessage(), "");
    PropertyList inputs;
    clone->BuildInputList(kCriterion, &inputs);
    EXPECT_EQ(Names(inputs), Names(first->inputs));
    for (size_t i = 0; i < inputs.size(); ++i) EXPECT_EQ(inputs[i]->text, first->inputs[i]->text);
    const auto again = Calculate(*clone, kCriterion, {});
    ASSERT_EQ(again->status, kCalculateDone);
    EXPECT_EQ(again->Text("alpha"), first->Text("alpha"));
    EXPECT_EQ(again->Text("crit"), first->Text("crit"));
    // The clone's distribution is its own.
    EXPECT_NE(clone->distribution, test.distribution);
}

// Inputs typed as formulas are evaluated, and the next input list shows
// the formula again; one that cannot be read is an input error on its row.
TEST(GenericT, FormulaInputs) {
    PowerTGeneric test;
    const auto run =
        Calculate(test, kPostHoc, With(kPostHocTexts, {{"alpha", "=0.1/2"}, {"delta", "=5/2"}}));
    ASSERT_EQ(run->status, kCalculateDone) << run->message;
    EXPECT_EQ(run->Text("power"), "0.6770315");
    PropertyList inputs;
    test.BuildInputList(kPostHoc, &inputs);
    EXPECT_EQ(inputs.Find(calc_test::Label(test, "alpha"))->text, "=0.1/2");

    const auto bad = Calculate(test, kPostHoc, With(kPostHocTexts, {{"delta", "=2.5*"}}));
    EXPECT_EQ(bad->status, bad->Row("delta"));
    EXPECT_NE(bad->message, "");
}

}  // namespace
