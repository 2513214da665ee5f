// The one-sample and matched-pairs t tests: their lists, their input
// checks, and that the matched-pairs test computes exactly what the
// one-sample test does. The numbers of every analysis type are checked
// against the reference table in t_reference_cases_test.cpp.

#include "power/t/power_t_one_mean.h"

#include <gtest/gtest.h>

#include <memory>

#include "analysis/calculation_test_support.h"

namespace {

using calc_test::Calculate;
using calc_test::Texts;
using calc_test::With;

const Texts kAPrioriTexts = {{"tails", "Two"}, {"d", "0.5"}, {"alpha", "0.05"}, {"power", "0.95"}};
const Texts kSensitivityTexts = {
    {"tails", "Two"}, {"alpha", "0.05"}, {"power", "0.95"}, {"n", "30"}};
const Texts kPostHocTexts = {{"tails", "Two"}, {"d", "0.5"}, {"alpha", "0.05"}, {"n", "30"}};
const Texts kCriterionTexts = {{"tails", "Two"}, {"d", "0.5"}, {"power", "0.8"}, {"n", "30"}};
const Texts kCompromiseTexts = {{"tails", "Two"}, {"d", "0.5"}, {"q", "1"}, {"n", "30"}};

// The same texts for the matched-pairs test, whose effect is dz.
Texts ForPairs(Texts texts) {
    if (auto it = texts.find("d"); it != texts.end()) {
        texts["dz"] = it->second;
        texts.erase(it);
    }
    return texts;
}

std::vector<std::string> Swap(std::vector<std::string> keys, const std::string& from,
                              const std::string& to) {
    for (std::string& key : keys) {
        if (key == from) key = to;
    }
    return keys;
}

TEST(OneMean, ListsOfEachAnalysisType) {
    struct Layout {
        AnalysisType type;
        std::vector<std::string> inputs, outputs;
    };
    const Layout layouts[] = {
        {kAPriori, {"tails", "d", "alpha", "power"}, {"ncp", "crit", "df", "n", "actual"}},
        {kSensitivity, {"tails", "alpha", "power", "n"}, {"ncp", "crit", "df", "d"}},
        {kPostHoc, {"tails", "d", "alpha", "n"}, {"ncp", "crit", "df", "power"}},
        {kCriterion, {"tails", "d", "power", "n"}, {"ncp", "crit", "df", "alpha"}},
        {kCompromise, {"tails", "d", "q", "n"}, {"ncp", "crit", "df", "alpha", "beta", "power"}},
    };
    PowerTOneMean one;
    PowerTPairedMean pairs;
    for (const Layout& layout : layouts) {
        calc_test::ExpectListKeys(one, layout.type, layout.inputs, layout.outputs);
        calc_test::ExpectListKeys(pairs, layout.type, Swap(layout.inputs, "d", "dz"),
                                  Swap(layout.outputs, "d", "dz"));
    }
    // Each effect input belongs to its own test's effect-size panel.
    calc_test::ExpectEffectInput(pairs, kPostHoc, "Effect size dz", 204);
    calc_test::ExpectEffectInput(one, kPostHoc, "Effect size d", 203);
    EXPECT_FALSE(one.exactFlag);
    EXPECT_FALSE(pairs.exactFlag);
}

TEST(OneMean, RejectedInputsNameTheirRowAndReason) {
    struct Rejection {
        AnalysisType type;
        Texts texts;
        std::string row;
        std::string message;
    };
    const std::string aprioriMessage =
        "In an a priori analysis, the absolute value of the\neffect size be greater than 0.00001.";
    const std::string rangeMessage = "Effect size d is outside the admissible range (-20, 20).";
    const std::string totalMessage =
        "Total sample size is outside the admissible range (3, 2147483646)";
    const std::string alphaMessage = "Alpha is outside the admissible range (1e-07, 1).";
    const std::string powerMessage = "Power is outside the admissible range (1e-07, 1).";
    const std::string belowAlpha = "Power must be greater than or equal to alpha.";
    const Rejection rejections[] = {
        {kAPriori, With(kAPrioriTexts, {{"d", "0"}, {"alpha", "0"}}), "d", aprioriMessage},
        {kAPriori, With(kAPrioriTexts, {{"d", "-20.5"}}), "d", rangeMessage},
        {kAPriori, With(kAPrioriTexts, {{"alpha", "0.99999995"}}), "alpha", alphaMessage},
        {kAPriori, With(kAPrioriTexts, {{"power", "0"}}), "power", powerMessage},
        {kAPriori, With(kAPrioriTexts, {{"power", "0.01"}}), "power", belowAlpha},
        {kSensitivity, With(kSensitivityTexts, {{"alpha", "0"}, {"n", "2"}}), "alpha",
         alphaMessage},
        {kSensitivity, With(kSensitivityTexts, {{"power", "0.04"}, {"n", "2"}}), "power",
         belowAlpha},
        {kSensitivity, With(kSensitivityTexts, {{"n", "2"}}), "n", totalMessage},
        {kPostHoc, With(kPostHocTexts, {{"d", "20.01"}, {"n", "2"}}), "d", rangeMessage},
        {kPostHoc, With(kPostHocTexts, {{"alpha", "1"}, {"n", "2"}}), "alpha", alphaMessage},
        {kPostHoc, With(kPostHocTexts, {{"n", "2"}}), "n", totalMessage},
        {kPostHoc, With(kPostHocTexts, {{"n", "-7"}}), "n", totalMessage},
        {kPostHoc, With(kPostHocTexts, {{"n", "2147483647"}}), "n", totalMessage},
        {kCriterion, With(kCriterionTexts, {{"power", "1"}, {"n", "0"}}), "power", powerMessage},
        {kCriterion, With(kCriterionTexts, {{"n", "1"}}), "n", totalMessage},
        // Compromise checks N before the ratio.
        {kCompromise, With(kCompromiseTexts, {{"n", "2"}, {"q", "0"}}), "n", totalMessage},
        {kCompromise, With(kCompromiseTexts, {{"q", "0.005"}}), "q",
         "$\\beta$/$\\alpha$ ratio is outside the admissible range (0.01, 100)"},
    };
    for (const Rejection& r : rejections) {
        SCOPED_TRACE(r.message);
        PowerTOneMean one;
        const auto run = Calculate(one, r.type, r.texts);
        EXPECT_GE(run->status, 0);
        EXPECT_EQ(run->status, run->Row(r.row));
        EXPECT_EQ(run->message, r.message);
        // The pairs test checks the same way, with the range named "d".
        PowerTPairedMean pairs;
        const auto paired = Calculate(pairs, r.type, ForPairs(r.texts));
        EXPECT_EQ(paired->status, run->status);
        EXPECT_EQ(paired->message, r.message);
    }
}

TEST(OneMean, MatchedPairsComputeLikeOneSample) {
    const std::pair<AnalysisType, Texts> cases[] = {
        {kAPriori, With(kAPrioriTexts, {{"d", "-0.35"}, {"tails", "One"}})},
        {kSensitivity, kSensitivityTexts},
        {kPostHoc, With(kPostHocTexts, {{"d", "1.1"}, {"n", "7"}})},
        {kCriterion, kCriterionTexts},
        {kCompromise, With(kCompromiseTexts, {{"q", "3"}})},
    };
    for (const auto& [type, texts] : cases) {
        SCOPED_TRACE(type);
        PowerTOneMean one;
        PowerTPairedMean pairs;
        const auto a = Calculate(one, type, texts);
        const auto b = Calculate(pairs, type, ForPairs(texts));
        ASSERT_EQ(a->status, kCalculateDone);
        ASSERT_EQ(b->status, kCalculateDone);
        ASSERT_EQ(a->outputs.size(), b->outputs.size());
        for (size_t i = 0; i < a->outputs.size(); ++i)
            EXPECT_EQ(a->outputs[i]->text, b->outputs[i]->text);
    }
}

TEST(OneMean, PointChecks) {
    PowerTOneMean test;
    EXPECT_TRUE(test.CheckSampleSize(kPostHoc, 2));
    EXPECT_FALSE(test.CheckSampleSize(kPostHoc, 1));
    EXPECT_EQ(test.GetMessage(),
              "Total sample size is outside the admissible range (2, 2147483646)");
    EXPECT_FALSE(test.CheckSampleSize(kPostHoc, 3e9));
    EXPECT_TRUE(test.CheckEffectSize(kPostHoc, 0.0));
    EXPECT_FALSE(test.CheckEffectSize(kAPriori, 0.0));
    EXPECT_TRUE(test.CheckEffectSize(kCompromise, -20.0));
    EXPECT_FALSE(test.CheckEffectSize(kCompromise, 20.0000001));
}

TEST(OneMean, CloneIsOfItsOwnClass) {
    PowerTPairedMean pairs;
    pairs.areIndex = 0;
    const auto run = Calculate(pairs, kPostHoc, ForPairs(kPostHocTexts));
    ASSERT_EQ(run->status, kCalculateDone);
    std::unique_ptr<PowerAnalysis> clone(pairs.Clone());
    EXPECT_EQ(clone->GetTestId(), 204);
    EXPECT_EQ(clone->GetEffectSizeId(), 96);
    EXPECT_EQ(clone->sampleSize, 30.0);
    EXPECT_EQ(clone->df, 29.0);
    EXPECT_FALSE(clone->exactFlag);
}

// A large effect reaches the power with the smallest N: that N is one the
// other analysis types admit (3, power 0.9999996 by R's pwr.t.test; N = 2
// would give 0.7328196 but is refused everywhere else).
TEST(OneMean, APrioriNeverAnswersWithAnNTheTestRefuses) {
    for (bool paired : {false, true}) {
        std::unique_ptr<PowerTOneMean> test(paired ? new PowerTPairedMean : new PowerTOneMean);
        const Texts texts = {
            {"tails", "Two"}, {paired ? "dz" : "d", "10"}, {"alpha", "0.05"}, {"power", "0.7"}};
        const auto run = Calculate(*test, kAPriori, texts);
        ASSERT_EQ(run->status, kCalculateDone) << run->message;
        EXPECT_EQ(run->Value("n"), 3.0) << paired;
        EXPECT_NEAR(run->Value("actual"), 0.9999996, 5e-8) << paired;
    }
}

}  // namespace
