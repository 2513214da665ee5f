// Cohen's d of two independent means: the formula against hand values, the
// check, the store and the transfer (p1 of the Lehmann method against
// integrated values in verification/effectsize).

#include "effectsize/two_group_means.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <sstream>

#include "analysis/ids.h"
#include "analysis/property.h"

namespace {

using namespace effectsize;
using namespace effectsize::two_group_means;

Inputs Make(bool equalN, std::array<std::string, kFieldCount> text) {
    Inputs inputs;
    inputs.equalN = equalN;
    inputs.text = text;
    return inputs;
}

TEST(TwoGroupMeans, EffectSizeD) {
    struct Case {
        const char* what;
        Inputs inputs;
        double d;
    };
    const Case cases[] = {
        {"defaults, n1 = n2", Inputs{}, 2.0},
        {"defaults, n1 != n2", Make(false, {"0", "1", "0.5", "0", "1", "0.5", "0.5"}), 2.0},
        // 2 / sqrt((1 + 4) / 2)
        {"means 5, 3, SDs 1, 2", Make(true, {"0", "1", "0.5", "5", "3", "1", "2"}),
         1.2649110640673518},
        {"swapped means", Make(true, {"0", "1", "0.5", "3", "5", "1", "2"}), 1.2649110640673518},
        {"the other block is not read", Make(false, {"5", "3", "2", "x", "", "-1", "0"}), 1.0},
        {"equal means", Make(true, {"0", "1", "0.5", "7", "7", "1", "3"}), 0.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_FALSE(Check(c.inputs).has_value());
        EXPECT_NEAR(ComputeD(c.inputs), c.d, 4e-16 * std::max(1.0, c.d));
    }
}

TEST(TwoGroupMeans, CheckNamesTheFieldAndTheMessage) {
    struct Case {
        const char* what;
        Inputs inputs;
        int field;
        const char* message;
    };
    const Case cases[] = {
        {"SD exactly 1e-12", Make(false, {"0", "1", "1e-12", "0", "1", "1", "1"}), kSd, kSdMessage},
        {"negative SD", Make(false, {"0", "1", "-2", "0", "1", "1", "1"}), kSd, kSdMessage},
        // An SD of exactly 1e-12 fails the test and must get the focus.
        {"SD 1 exactly 1e-12", Make(true, {"0", "1", "1", "0", "1", "1e-12", "1"}), kSd11,
         kSdsMessage},
        {"SD 2 zero", Make(true, {"0", "1", "1", "0", "1", "1", "0"}), kSd22, kSdsMessage},
        {"both SDs zero", Make(true, {"0", "1", "1", "0", "1", "0", "0"}), kSd11, kSdsMessage},
        {"a word", Make(true, {"0", "1", "1", "0", "two", "1", "1"}), kMean22, kNotANumberMessage},
        {"an emptied field", Make(false, {"", "1", "1", "0", "1", "1", "1"}), kMean1,
         kNotANumberMessage},
        {"trailing junk", Make(false, {"0", "1", "0.5x", "0", "1", "1", "1"}), kSd,
         kNotANumberMessage},
        {"NaN typed", Make(true, {"0", "1", "1", "nan", "1", "1", "1"}), kMean11,
         kNotANumberMessage},
        {"d overflows", Make(false, {"-1e308", "1e308", "1e-11", "0", "1", "1", "1"}), kMean1,
         kNoFiniteDMessage},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const auto error = Check(c.inputs);
        ASSERT_TRUE(error.has_value());
        EXPECT_EQ(error->field, c.field);
        EXPECT_EQ(error->message, c.message);
    }
}

TEST(PanelNumber, ReadsOnlyAWholeFiniteNumber) {
    struct Case {
        const char* text;
        bool ok;
        double value;
    };
    const Case cases[] = {
        {"0.5", true, 0.5}, {" -3e2 ", true, -300.0}, {"+7", true, 7.0},   {".25", true, 0.25},
        {"", false, 0},     {"  ", false, 0},         {"1,5", false, 0},   {"=1+1", false, 0},
        {"+-1", false, 0},  {"inf", false, 0},        {"1e999", false, 0},
    };
    for (const Case& c : cases) {
        double value = -99.0;
        EXPECT_EQ(ReadPanelNumber(c.text, &value), c.ok) << '"' << c.text << '"';
        if (c.ok) {
            EXPECT_EQ(value, c.value) << c.text;
        }
    }
}

TEST(TwoGroupMeans, StoreKeepsTheTextsAsTypedUnderPrefixedKeys) {
    PropertyList store;
    Inputs typed = Make(false, {"5", "", "2.50", "0", "1", "0.5", "0.5"});
    Save(typed, &store);

    // The keys are real-valued entries "t2g_<field>", the mode a whole number.
    double mean1 = 0.0;
    EXPECT_TRUE(GetNamedDouble(&store, "t2g_mean1", &mean1));
    EXPECT_EQ(mean1, 5.0);
    for (const char* key :
         {"t2g_mean2", "t2g_sd", "t2g_mean11", "t2g_mean22", "t2g_sd11", "t2g_sd22"}) {
        double value = 0.0;
        EXPECT_TRUE(GetNamedDouble(&store, key, &value)) << key;
    }
    long equalN = -1;
    EXPECT_TRUE(GetNamedLong(&store, "t2g_equalN", &equalN));
    EXPECT_EQ(equalN, 0);

    Inputs back;  // defaults: n1 = n2
    Restore(&store, &back);
    EXPECT_EQ(back.text, typed.text);  // "2.50" stays "2.50", the emptied field empty
    EXPECT_FALSE(back.equalN);

    // A store without the keys leaves the defaults.
    PropertyList empty;
    Inputs untouched;
    Restore(&empty, &untouched);
    EXPECT_EQ(untouched.text, Inputs{}.text);
    EXPECT_TRUE(untouched.equalN);
}

struct P1Row {
    int parentIndex;
    double d;
    double p1;
};

std::vector<P1Row> ReadP1Table() {
    std::ifstream in(QUORIX_SOURCE_DIR "/verification/effectsize/two_group_means_p1.csv");
    std::vector<P1Row> rows;
    std::string line;
    std::getline(in, line);
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        P1Row row{};
        char comma = 0;
        fields >> row.parentIndex >> comma >> row.d >> comma >> row.p1;
        if (fields) rows.push_back(row);
    }
    return rows;
}

TEST(TwoGroupMeans, TransferWritesDOrTheLehmannP1) {
    TestContext t{kTwoMeansTestId, 1, false, std::nullopt};
    EXPECT_EQ(PlanTransfer(2.0, t).effectSize, 2.0);
    // Under A.R.E. the Wilcoxon test takes d itself, whatever the parent.
    TestContext are{kWilcoxonTwoGroupsTestId, 1, false, 1};
    EXPECT_EQ(PlanTransfer(1.5, are).effectSize, 1.5);
    // Without a "Parent distribution" input d stays d.
    TestContext noParent{kWilcoxonTwoGroupsTestId, 2, false, std::nullopt};
    EXPECT_EQ(PlanTransfer(1.5, noParent).effectSize, 1.5);

    const std::vector<P1Row> rows = ReadP1Table();
    ASSERT_EQ(rows.size(), 21u);
    for (const P1Row& row : rows) {
        TestContext lehmann{kWilcoxonTwoGroupsTestId, 2, false, row.parentIndex};
        const TransferPlan plan = PlanTransfer(row.d, lehmann);
        ASSERT_TRUE(plan.effectSize.has_value());
        EXPECT_TRUE(plan.refusal.empty());
        EXPECT_TRUE(plan.writes.empty());
        EXPECT_NEAR(*plan.effectSize, row.p1, 1e-13)
            << "parent " << row.parentIndex << ", d " << row.d;
    }
}

TEST(TwoGroupMeans, TransferRefusesWhatHasNoP1) {
    struct Case {
        const char* what;
        TestContext context;
        const char* refusal;
    };
    const Case cases[] = {
        {"moments entered by hand", {kWilcoxonTwoGroupsTestId, 2, true, 0}, kManualMomentsRefusal},
        {"a parent without a shift model",
         {kWilcoxonTwoGroupsTestId, 2, false, 3},
         kNoParentRefusal},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const TransferPlan plan = PlanTransfer(2.0, c.context);
        EXPECT_EQ(plan.refusal, c.refusal);
        EXPECT_FALSE(plan.effectSize.has_value());
    }
}

}  // namespace
