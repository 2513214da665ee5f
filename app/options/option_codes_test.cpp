// The options dialogs' code tables and enabling rules, without a window.

#include "app/options/option_codes.h"

#include <gtest/gtest.h>

namespace option_codes {
namespace {

std::vector<int> Codes(const std::vector<CodedEntry>& entries) {
    std::vector<int> codes;
    for (const CodedEntry& e : entries) codes.push_back(e.code);
    return codes;
}

TEST(UncondStatistics, EachTestAndMeasureHasItsCodedRow) {
    struct Row {
        int testId;
        int index;
        std::vector<int> codes;
        const char* first;
        const char* last;
    };
    const std::vector<int> offsetP1 = {0, 1, 2, 3, 6, 9, 7, 8};
    const Row rows[] = {
        {607, 0, {0, 1, 2, 3, 4, 5, 6}, "z-test pooled var", "t-test"},
        {607, 3, {0, 1, 2, 3, 4, 5, 6}, "z-test pooled var", "t-test"},
        {608, 0, offsetP1, "z-test pooled var", "Likelihood score: (Miettinen & Nurminen)"},
        {608, 1, offsetP1, "z-test pooled var", "Likelihood score: (Miettinen & Nurminen)"},
        {608,
         2,
         {12, 10, 11},
         "Likelihood score: (Gart & Nam)",
         "Likelihood score: (Miettinen & Nurminen)"},
        {608,
         3,
         {13, 14},
         "Likelihood score: (Farrington & Manning)",
         "Likelihood score: (Miettinen & Nurminen)"},
        // A measure the test does not know offers the list of proportion p1.
        {608, 7, offsetP1, "z-test pooled var", "Likelihood score: (Miettinen & Nurminen)"},
        {608, -1, offsetP1, "z-test pooled var", "Likelihood score: (Miettinen & Nurminen)"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << row.testId << " index " << row.index);
        const std::vector<CodedEntry> entries = UncondStatistics(row.testId, row.index);
        EXPECT_EQ(Codes(entries), row.codes);
        ASSERT_FALSE(entries.empty());
        EXPECT_EQ(entries.front().text, row.first);
        EXPECT_EQ(entries.back().text, row.last);
        // At most ten codes, each once.
        EXPECT_LE(entries.size(), 10u);
        for (size_t i = 0; i < entries.size(); ++i) {
            EXPECT_EQ(PositionOfCode(entries, entries[i].code), static_cast<int>(i));
            EXPECT_EQ(UncondStatisticCodeAt(row.testId, row.index, static_cast<int>(i)),
                      entries[i].code);
        }
    }
    EXPECT_EQ(UncondStatistics(608, 0)[4].text, "t-test");
    EXPECT_EQ(UncondStatistics(608, 0)[5].text, "Likelihood score: (Gart & Nam)");
    EXPECT_EQ(UncondStatistics(607, 0)[4].text, "Mantel-Haenszel test");
}

TEST(UncondStatistics, UnknownCodesAndPositionsFallBack) {
    // A stored code that is not in the row selects the first entry.
    EXPECT_EQ(PositionOfCode(UncondStatistics(608, 2), 0), 0);
    EXPECT_EQ(PositionOfCode(UncondStatistics(608, 3), 12), 0);
    EXPECT_EQ(PositionOfCode(UncondStatistics(607, 0), -1), 0);
    EXPECT_EQ(PositionOfCode({}, 5), 0);
    // A position outside the row, or another test, gives code 0.
    for (int position : {-1, 3, 10}) EXPECT_EQ(UncondStatisticCodeAt(608, 2, position), 0);
    EXPECT_EQ(UncondStatisticCodeAt(606, 0, 1), 0);
    EXPECT_TRUE(UncondStatistics(606, 0).empty());
}

TEST(OptionLists, EffectMeasuresFisherStatisticsAndAlphaTexts) {
    const std::vector<CodedEntry>& measures = EffectIndexEntries();
    EXPECT_EQ(Codes(measures), (std::vector<int>{0, 1, 2, 3}));
    EXPECT_EQ(measures[2].text, "Risk ratio (p1/p2)");
    EXPECT_EQ(FisherStatistics(),
              (std::vector<std::string>{"Fisher", "Likelihood ratio", "Pearson chi square"}));
    ASSERT_EQ(AlphaBalancingLabels().size(), 3u);
    EXPECT_EQ(AlphaBalancingLabels()[0], "Assign $\\alpha$/2 to both sides");
}

TEST(WilcoxonEnabling, EachPageEnablesOnlyItsOwnControls) {
    struct Row {
        WilcoxonChoice choice;
        bool are, lehmann, effect, output;
        const char* caption;
    };
    const Row rows[] = {
        // The A.R.E. page disables the whole Lehmann page, whatever its choices.
        {{1, 0, 0}, true, false, false, false, "output moments p1, p2"},
        {{1, 1, 1}, true, false, false, false, "output effect size d and moment p2"},
        {{0, 0, 0}, false, true, true, true, "output moments p1, p2"},
        {{0, 0, 1}, false, true, true, true, "output effect size d and moment p2"},
        // Moments given by hand disable the effect parameter and the output.
        {{0, 1, 0}, false, true, false, false, "output moments p1, p2"},
        {{0, 1, 1}, false, true, false, false, "output effect size d and moment p2"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message()
                     << row.choice.mode << row.choice.inputMethod << row.choice.effectParameter);
        const WilcoxonEnabling on = WilcoxonEnablingFor(row.choice);
        EXPECT_EQ(on.areChoices, row.are);
        EXPECT_EQ(on.lehmannPage, row.lehmann);
        EXPECT_EQ(on.effectParameter, row.effect);
        EXPECT_EQ(on.outputCheck, row.output);
        EXPECT_EQ(on.outputCaption, row.caption);
    }
}

TEST(ComputationEnabling, EnumerationTakesTheStatisticLargeSampleTheProcedure) {
    const ComputationEnabling enumeration = ComputationEnablingFor(0);
    EXPECT_TRUE(enumeration.testStatistic);
    EXPECT_FALSE(enumeration.procedure);
    EXPECT_FALSE(enumeration.varianceCorrection);
    const ComputationEnabling largeSample = ComputationEnablingFor(1);
    EXPECT_FALSE(largeSample.testStatistic);
    EXPECT_TRUE(largeSample.procedure);
    EXPECT_TRUE(largeSample.varianceCorrection);
}

}  // namespace
}  // namespace option_codes
