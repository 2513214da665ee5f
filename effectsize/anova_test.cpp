// Cohen's f of the ANOVA panels: the formulas against 400-digit values
// (verification/panels/anova_effect_sizes.py), the checks, the count and
// "Equal n" rules of the group table, the store and the transfer plans.

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <sstream>

#include "analysis/property.h"
#include "effectsize/anova_omnibus.h"
#include "effectsize/anova_special.h"

namespace {

using namespace effectsize;
namespace omni = effectsize::anova_omnibus;
namespace special = effectsize::anova_special;

std::vector<std::string> Split(const std::string& line, char separator) {
    std::vector<std::string> parts;
    std::istringstream in(line);
    std::string part;
    while (std::getline(in, part, separator)) parts.push_back(part);
    return parts;
}

std::vector<std::vector<std::string>> ReferenceRows(const std::string& kind) {
    std::ifstream in(QUORIX_SOURCE_DIR "/verification/panels/anova_effect_sizes.csv");
    std::vector<std::vector<std::string>> rows;
    std::string line;
    while (std::getline(in, line)) {
        std::vector<std::string> fields = Split(line, ',');
        if (!fields.empty() && fields[0] == kind) rows.push_back(fields);
    }
    return rows;
}

omni::Inputs Table(const std::string& sigma, std::vector<std::string> means,
                   std::vector<std::string> sizes) {
    omni::Inputs inputs;
    inputs.text[omni::kSigma] = sigma;
    omni::SetGroupCount(&inputs, static_cast<int>(means.size()));
    for (size_t i = 0; i < means.size(); ++i) inputs.table[i] = {means[i], sizes[i]};
    return inputs;
}

TEST(AnovaOmnibus, FFromMeansAndSizes) {
    const auto rows = ReferenceRows("omnibus");
    ASSERT_EQ(rows.size(), 7u);
    for (const auto& row : rows) {
        SCOPED_TRACE(row[2] + " / " + row[3]);
        const omni::Inputs inputs = Table(row[1], Split(row[2], ';'), Split(row[3], ';'));
        ASSERT_FALSE(omni::Check(inputs).has_value());
        const omni::Result result = omni::Compute(inputs);
        const double f = std::stod(row[4]);
        EXPECT_NEAR(result.f, f, 1e-14 * std::max(1.0, f));
        EXPECT_EQ(result.totalN, std::stol(row[5]));
    }
}

TEST(AnovaOmnibus, CellsReadTheirLeadingNumber) {
    // Text after the number is ignored and no number is 0, for sizes as
    // whole numbers: 3 groups read as means 2, 0, 4 and sizes 10, 3, 5.
    omni::Inputs inputs = Table("1", {" 2 apples", "x", "+4e0;"}, {"10 ", "3.9", "5"});
    ASSERT_FALSE(omni::Check(inputs).has_value());
    const omni::Inputs clean = Table("1", {"2", "0", "4"}, {"10", "3", "5"});
    EXPECT_EQ(omni::Compute(inputs).f, omni::Compute(clean).f);
    EXPECT_EQ(omni::Compute(inputs).totalN, 18);
}

TEST(AnovaOmnibus, CheckNamesTheFieldAndTheMessage) {
    struct Case {
        const char* what;
        omni::Inputs inputs;
        int field;
        const char* message;
    };
    omni::Inputs countLow = Table("1", {"0", "1"}, {"5", "5"});
    countLow.text[omni::kGroupCount] = "1";
    omni::Inputs countHigh = countLow;
    countHigh.text[omni::kGroupCount] = "51";
    omni::Inputs countWord = countLow;
    countWord.text[omni::kGroupCount] = "3.5";
    const Case cases[] = {
        {"one group", countLow, omni::kGroupCount, omni::kGroupCountMessage},
        {"51 groups", countHigh, omni::kGroupCount, omni::kGroupCountMessage},
        {"a fraction of a count", countWord, omni::kGroupCount, omni::kGroupCountMessage},
        {"sigma below 1e-16", Table("9.9e-17", {"0", "1"}, {"5", "5"}), omni::kSigma,
         omni::kSigmaMessage},
        {"sigma negative", Table("-1", {"0", "1"}, {"5", "5"}), omni::kSigma, omni::kSigmaMessage},
        {"sigma emptied", Table("", {"0", "1"}, {"5", "5"}), omni::kSigma, kNotANumberMessage},
        {"second size 0", Table("1", {"0", "1", "2"}, {"5", "0", "-1"}), omni::SizeCell(1),
         omni::kSizeMessage},
        {"size not a number", Table("1", {"0", "1"}, {"many", "5"}), omni::SizeCell(0),
         omni::kSizeMessage},
        {"size beyond a long", Table("1", {"0", "1"}, {"5", "99999999999999999999"}),
         omni::SizeCell(1), omni::kSizeMessage},
        // The total goes to the main window's int.
        {"sizes beyond an int", Table("1", {"0", "1"}, {"5", "2147483643"}), omni::SizeCell(1),
         omni::kTotalMessage},
        {"mean overflows", Table("1", {"0", "1e999"}, {"5", "5"}), omni::MeanCell(1),
         kNotANumberMessage},
        {"mean infinite", Table("1", {"inf", "0"}, {"5", "5"}), omni::MeanCell(0),
         kNotANumberMessage},
        {"f overflows", Table("1e-16", {"-1e300", "1e300"}, {"1", "1"}), omni::MeanCell(0),
         omni::kNoFiniteFMessage},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const auto error = omni::Check(c.inputs);
        ASSERT_TRUE(error.has_value());
        EXPECT_EQ(error->field, c.field);
        EXPECT_EQ(error->message, c.message);
    }
    // The bounds themselves pass.
    omni::Inputs edge = Table("1e-16", {"0", "1e-16"}, {"1", "1"});
    EXPECT_FALSE(omni::Check(edge).has_value());
    edge.text[omni::kGroupCount] = "50";
    omni::SetGroupCount(&edge, 50);
    EXPECT_FALSE(omni::Check(edge).has_value());
}

TEST(AnovaOmnibus, TheTableNeverLosesRowsAndEqualNFillsTheShownOnes) {
    omni::Inputs inputs;
    omni::SetGroupCount(&inputs, 6);
    for (int i = 0; i < 6; ++i) inputs.table[i] = {std::to_string(i + 1), std::to_string(10 + i)};
    omni::SetGroupCount(&inputs, 3);
    EXPECT_EQ(inputs.text[omni::kGroupCount], "3");
    EXPECT_EQ(omni::TotalN(inputs), 10 + 11 + 12);
    inputs.text[omni::kEqualN] = "7";
    ASSERT_FALSE(omni::ApplyEqualN(&inputs).has_value());
    EXPECT_EQ(omni::TotalN(inputs), 21);
    omni::SetGroupCount(&inputs, 6);
    ASSERT_GE(inputs.table.size(), 6u);
    EXPECT_EQ(inputs.table[3].mean, "4");
    EXPECT_EQ(inputs.table[5].size, "15");
    EXPECT_EQ(omni::TotalN(inputs), 21 + 13 + 14 + 15);
    // Counts outside 2..50 are held at the ends; new rows are mean 0, size 5.
    omni::SetGroupCount(&inputs, 60);
    EXPECT_EQ(inputs.groups, 50);
    EXPECT_EQ(inputs.table[49].mean, "0");
    EXPECT_EQ(inputs.table[49].size, "5");
    omni::SetGroupCount(&inputs, 0);
    EXPECT_EQ(inputs.groups, 2);
    EXPECT_EQ(inputs.table.size(), 50u);

    for (const char* bad : {"0", "2.5", "", "-3"}) {
        inputs.text[omni::kEqualN] = bad;
        const auto error = omni::ApplyEqualN(&inputs);
        ASSERT_TRUE(error.has_value()) << bad;
        EXPECT_EQ(error->field, omni::kEqualN);
        EXPECT_EQ(inputs.table[0].size, "7");  // unchanged
    }
}

TEST(AnovaOmnibus, SetUpSpreadsTheMainWindowsTotalOverItsGroups) {
    omni::Inputs inputs;
    omni::SetUpFromMainWindow(&inputs, 3, 10);
    EXPECT_EQ(inputs.groups, 3);
    EXPECT_EQ(inputs.text[omni::kGroupCount], "3");
    EXPECT_EQ(inputs.text[omni::kEqualN], "4");  // ceil(10 / 3)
    omni::SetUpFromMainWindow(&inputs, 5, 10);
    EXPECT_EQ(inputs.text[omni::kEqualN], "2");
    // Without a total only the count follows; a count beyond 50 is held at 50.
    omni::SetUpFromMainWindow(&inputs, 80, std::nullopt);
    EXPECT_EQ(inputs.groups, 50);
    EXPECT_EQ(inputs.text[omni::kEqualN], "2");
    omni::SetUpFromMainWindow(&inputs, std::nullopt, 100);
    EXPECT_EQ(inputs.groups, 50);
}

TEST(AnovaOmnibus, StoreKeepsTheTableAndTheHiddenRows) {
    omni::Inputs typed = Table("=2", {"1.25", "2 x", "3", "4"}, {"5", "6", "7", "8"});
    typed.text[omni::kEqualN] = "9 ";
    omni::SetGroupCount(&typed, 2);  // rows 3 and 4 hidden
    PropertyList store;
    omni::Save(typed, &store);

    long groups = 0;
    double mean = 0.0;
    long n = 0;
    EXPECT_TRUE(GetNamedLong(&store, "fao_ngroups", &groups));
    EXPECT_EQ(groups, 2);
    EXPECT_TRUE(GetNamedDouble(&store, "fao_m1", &mean));
    EXPECT_EQ(mean, 2.0);
    EXPECT_TRUE(GetNamedLong(&store, "fao_n0", &n));
    EXPECT_EQ(n, 5);
    EXPECT_TRUE(GetNamedDouble(&store, "fao_eq_n", &mean));
    EXPECT_EQ(mean, 9.0);

    omni::Inputs back;
    omni::Restore(&store, &back);
    EXPECT_EQ(back.groups, 2);
    EXPECT_EQ(back.text, typed.text);  // the sigma text as typed
    EXPECT_EQ(back.table[1].mean, "2 x");
    omni::SetGroupCount(&back, 4);
    EXPECT_EQ(back.table[3].mean, "4");
    EXPECT_EQ(back.table[3].size, "8");

    // A count out of range in the store is held within 2..50.
    SetNamedLong(&store, "fao_ngroups", 99);
    omni::Restore(&store, &back);
    EXPECT_EQ(back.groups, 50);
    PropertyList empty;
    omni::Inputs untouched;
    omni::Restore(&empty, &untouched);
    EXPECT_EQ(untouched.text, omni::Inputs{}.text);
    EXPECT_EQ(untouched.groups, 4);
}

TEST(AnovaOmnibus, TransferAsksBeforeEachCountThatDiffers) {
    const omni::Result result{0.5, 24};
    struct Case {
        const char* what;
        omni::TestContext context;
        std::vector<std::string> labels;
    };
    const Case cases[] = {
        {"both differ, groups first", {3, 30}, {"Number of groups", "Total sample size"}},
        {"counts agree", {4, 24}, {}},
        {"only N differs", {4, 20}, {"Total sample size"}},
        {"main window shows neither", {std::nullopt, std::nullopt}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const TransferPlan plan = omni::PlanTransfer(result, 4, c.context);
        ASSERT_EQ(plan.writes.size(), c.labels.size());
        for (size_t i = 0; i < c.labels.size(); ++i) {
            EXPECT_EQ(plan.writes[i].label, c.labels[i]);
            EXPECT_FALSE(plan.writes[i].question.empty());
        }
        EXPECT_EQ(plan.effectSize, 0.5);
    }
    const TransferPlan plan = omni::PlanTransfer(result, 4, {3, 30});
    EXPECT_EQ(plan.writes[0].value, 4.0);
    EXPECT_EQ(plan.writes[1].value, 24.0);
    EXPECT_EQ(plan.writes[0].question,
              "The number of groups given in the effect size\ndialog (4) is different from that "
              "given in\nthe main window (3)!\n\nDo you want to adjust the value in the main "
              "window?");
    EXPECT_EQ(plan.writes[1].question,
              "The total sample size resulting from your inputs\nin the effect size dialog (24) "
              "is different\nfrom the one in the main window (30)!\n\nDo you want to adjust the "
              "value in the main window?");
}

special::Inputs Special(int mode, std::string effect, std::string error, std::string eta2,
                        int type = 0) {
    special::Inputs inputs;
    inputs.mode = mode;
    inputs.text = {effect, error, eta2};
    inputs.varianceType = type;
    return inputs;
}

TEST(AnovaSpecial, FFromVariancesAndFromEtaSquared) {
    const auto variances = ReferenceRows("variances");
    ASSERT_EQ(variances.size(), 5u);
    for (const auto& row : variances) {
        SCOPED_TRACE(row[1] + " / " + row[2]);
        const special::Inputs inputs = Special(special::kFromVariances, row[1], row[2], "x");
        ASSERT_FALSE(special::Check(inputs).has_value());
        const special::Result result = special::Compute(inputs);
        EXPECT_NEAR(result.eta2, std::stod(row[3]), 4e-16 * std::stod(row[3]));
        EXPECT_NEAR(result.f, std::stod(row[4]), 4e-16 * std::stod(row[4]));
    }
    const auto direct = ReferenceRows("direct");
    ASSERT_EQ(direct.size(), 5u);
    for (const auto& row : direct) {
        SCOPED_TRACE(row[1]);
        const special::Inputs inputs = Special(special::kDirect, "x", "", row[1]);
        ASSERT_FALSE(special::Check(inputs).has_value());
        // 1 - eta2 loses what eta2 carries beyond its last place: at 1 - 1e-12
        // that is 1e-4 of f, the rounding of the typed value itself.
        const double f = std::stod(row[2]);
        EXPECT_NEAR(special::Compute(inputs).f, f, 2e-16 * f / (1.0 - std::stod(row[1])));
    }
}

TEST(AnovaSpecial, CheckNamesTheFieldAndTheMessage) {
    struct Case {
        const char* what;
        special::Inputs inputs;
        int field;
        std::string message;
    };
    const Case cases[] = {
        {"effect variance 0", Special(0, "0", "1", "0.5"), special::kEffectVariance,
         special::kEffectVarianceMessage},
        {"effect variance just below the bound", Special(0, "2.2204e-15", "1", "0.5"),
         special::kEffectVariance, special::kEffectVarianceMessage},
        {"error variance negative", Special(0, "1", "-1", "0.5"), special::kErrorVariance,
         "The error variance must be greater than 2.22045e-15"},
        {"variance within groups 0", Special(0, "1", "0", "0.5", 1), special::kErrorVariance,
         "The variance within groups must be greater than 2.22045e-15"},
        {"error variance emptied", Special(0, "1", "", "0.5"), special::kErrorVariance,
         kNotANumberMessage},
        {"f overflows", Special(0, "1e300", "1e-14", "0.5"), special::kEffectVariance,
         special::kNoFiniteFMessage},
        {"eta2 0", Special(1, "1", "1", "0"), special::kEta2, special::kEta2Message},
        {"eta2 1 would give an infinite f", Special(1, "1", "1", "1"), special::kEta2,
         special::kEta2Message},
        {"eta2 above 1", Special(1, "1", "1", "1.5"), special::kEta2, special::kEta2Message},
        {"eta2 not a number", Special(1, "1", "1", "half"), special::kEta2, kNotANumberMessage},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const auto error = special::Check(c.inputs);
        ASSERT_TRUE(error.has_value());
        EXPECT_EQ(error->field, c.field);
        EXPECT_EQ(error->message, c.message);
    }
    // Each mode reads only its own fields.
    EXPECT_FALSE(special::Check(Special(0, "1", "3", "garbage")).has_value());
    EXPECT_FALSE(special::Check(Special(1, "", "-1", "0.25")).has_value());
    EXPECT_EQ(special::VarianceLabel(1), "Variance within groups");
    EXPECT_EQ(special::VarianceLabel(0), "Error variance");
    EXPECT_EQ(special::VarianceLabel(2), "Error variance");
}

TEST(AnovaSpecial, StoreRoundTripAndAMissingModeMeansVariances) {
    PropertyList store;
    const special::Inputs typed = Special(1, "=3", "", "0.25", 1);
    special::Save(typed, &store);
    for (const char* key : {"fas_varerr", "fas_varspecial", "fas_eta2"}) {
        double value = 0.0;
        EXPECT_TRUE(GetNamedDouble(&store, key, &value)) << key;
    }
    special::Inputs back;
    special::Restore(&store, &back);
    EXPECT_EQ(back.text, typed.text);
    EXPECT_EQ(back.mode, 1);
    EXPECT_EQ(back.varianceType, 1);

    PropertyList noMode;
    SetNamedDouble(&noMode, "fas_eta2", 0.1);
    special::Inputs direct = Special(1, "1", "1", "0.5");
    special::Restore(&noMode, &direct);
    EXPECT_EQ(direct.mode, special::kFromVariances);
    EXPECT_EQ(direct.text[special::kEffectVariance], "1");
    EXPECT_EQ(special::PlanTransfer(0.75).effectSize, 0.75);
    EXPECT_TRUE(special::PlanTransfer(0.75).writes.empty());
}

}  // namespace
