#include "effectsize/manova.h"

#include <gtest/gtest.h>

#include <memory>

#include "analysis/ids.h"
#include "analysis/property.h"
#include "effectsize/rm_criterion.h"
#include "effectsize/rm_manova_reference_test_support.h"
#include "power/multivariate/power_mult_criterion.h"

namespace manova = effectsize::manova;
namespace rmc = effectsize::rm_criterion;

namespace {

std::unique_ptr<PowerMultCriterion> Criterion(int id) {
    return std::unique_ptr<PowerMultCriterion>(NewCriterion(id));
}

TEST(Manova, CriterionToF2MatchesTheCriteriaDefinitions) {
    const auto rows = rm_manova_test::Rows("manova");
    ASSERT_GE(rows.size(), 7u);
    for (const auto& row : rows) {
        manova::Inputs in;
        in.text = {row.cell[1], row.cell[3], row.cell[5], row.cell[4], row.cell[2]};
        ASSERT_FALSE(manova::Check(in));
        const auto criterion = Criterion(row.Int(0));
        const manova::Result r = manova::Compute(in, *criterion);
        ASSERT_FALSE(r.error) << row.cell[0];
        EXPECT_NEAR(r.f2, row.expected, 1e-12 * row.expected) << row.cell[0] << " " << row.cell[1];
    }
}

TEST(Manova, BadFieldsAndUnconvertibleValuesAreRefusedOnTheirField) {
    struct Case {
        int field;
        const char* text;
        int expectedField;
        const char* message;
    };
    const Case cases[] = {
        {manova::kCriterion, "abc", manova::kCriterion, effectsize::kNotANumberMessage},
        {manova::kGroups, "2.5", manova::kGroups, manova::kCountMessage},
        {manova::kResponses, "0", manova::kResponses, manova::kCountMessage},
        {manova::kTotal, "", manova::kTotal, manova::kCountMessage},
    };
    for (const Case& c : cases) {
        manova::Inputs in;
        in.text[c.field] = c.text;
        const auto error = manova::Check(in);
        ASSERT_TRUE(error) << c.text;
        EXPECT_EQ(error->field, c.expectedField);
        EXPECT_EQ(error->message, c.message);
    }
    // Pillai V at or beyond s gives a negative f squared: refused, not shown.
    manova::Inputs in;
    in.text[manova::kCriterion] = "2.5";
    const auto pillai = Criterion(107);
    const manova::Result r = manova::Compute(in, *pillai);
    ASSERT_TRUE(r.error);
    EXPECT_EQ(r.error->field, manova::kCriterion);
}

TEST(Manova, LayoutAndSetUpFollowTheTestAndTheCriterion) {
    EXPECT_FALSE(manova::LayoutFor(kManovaGlobalTestId, 107).predictors);
    EXPECT_FALSE(manova::LayoutFor(kManovaGlobalTestId, 107).total);
    EXPECT_TRUE(manova::LayoutFor(kManovaGlobalTestId, 104).total);
    EXPECT_FALSE(manova::LayoutFor(kManovaSpecialTestId, 101).groups);
    EXPECT_TRUE(manova::LayoutFor(kManovaSpecialTestId, 105).groups);

    manova::Inputs in;
    manova::SetUpFromMainWindow(&in, kManovaGlobalTestId, {6L, std::nullopt, 3L, std::nullopt});
    EXPECT_EQ(in.text[manova::kGroups], "6");
    EXPECT_EQ(in.text[manova::kPredictors], "6");  // the global test's predictors are its groups
    EXPECT_EQ(in.text[manova::kTotal], "100");
    EXPECT_EQ(in.text[manova::kResponses], "3");
    manova::SetUpFromMainWindow(&in, kManovaSpecialTestId, {4L, 80L, 2L, std::nullopt});
    EXPECT_EQ(in.text[manova::kPredictors], "3");
    EXPECT_EQ(in.text[manova::kTotal], "80");
}

TEST(Manova, TransferWritesTheCountsTheMainWindowShowsThenF2) {
    manova::Inputs in;
    in.text = {"0.4", "6", "3", "4", "90"};
    auto labels = [](const effectsize::TransferPlan& plan) {
        std::string s;
        for (const auto& w : plan.writes) s += w.label + "=" + std::to_string(int(w.value)) + ";";
        return s;
    };
    // Global test, Pillai: groups, responses; no predictors shown, no N.
    manova::TestContext global{kManovaGlobalTestId, 107, true, true, false, true};
    auto plan = manova::PlanTransfer(in, 0.25, global);
    EXPECT_EQ(labels(plan), "Number of groups=6;Response variables=3;");
    EXPECT_EQ(plan.effectSize, 0.25);
    // Special test, Wilks: no groups; with T2 the groups and N too.
    manova::TestContext special{kManovaSpecialTestId, 101, true, true, true, true};
    EXPECT_EQ(labels(manova::PlanTransfer(in, 0.1, special)),
              "Response variables=3;Number of predictors=4;");
    special.criterionId = 104;
    EXPECT_EQ(labels(manova::PlanTransfer(in, 0.1, special)),
              "Number of groups=6;Response variables=3;Number of predictors=4;Total sample "
              "size=90;");
}

TEST(Manova, StoreKeepsTheCriterionValueOnly) {
    PropertyList store;
    manova::Inputs in;
    in.text = {"=0.2*2", "7", "3", "7", "50"};
    manova::Save(in, &store);
    EXPECT_EQ(store.size(), 1u);
    manova::Inputs back;
    manova::Restore(&store, &back);
    EXPECT_EQ(back.text[manova::kCriterion], "=0.2*2");
    EXPECT_EQ(back.text[manova::kGroups], "5");
    in.text[manova::kCriterion] = "";
    manova::Save(in, &store);
    manova::Restore(&store, &back);
    EXPECT_EQ(back.text[manova::kCriterion], "");
}

TEST(RmCriterion, PlainAndDesignConversionsMatchTheDefinitions) {
    for (const auto& row : rm_manova_test::Rows("rmplain")) {
        rmc::Inputs in;
        in.text[rmc::kCriterion] = row.cell[1];
        const auto criterion = Criterion(row.Int(0));
        const rmc::Result r = rmc::Compute(in, *criterion);
        ASSERT_FALSE(r.error) << row.cell[0];
        EXPECT_NEAR(r.f, row.expected, 1e-12 * row.expected) << row.cell[0];
    }
    const auto design = rm_manova_test::Rows("rmdesign");
    ASSERT_GE(design.size(), 5u);
    for (const auto& row : design) {
        rmc::Inputs in;
        in.withDesign = true;
        in.effectType = row.Int(5);
        in.text = {row.cell[1], row.cell[3], row.cell[4], row.cell[2]};
        ASSERT_FALSE(rmc::Check(in));
        const auto criterion = Criterion(row.Int(0));
        const rmc::Result r = rmc::Compute(in, *criterion);
        ASSERT_FALSE(r.error) << row.cell[0];
        EXPECT_NEAR(r.f, row.expected, 1e-12 * row.expected) << row.cell[0] << " " << row.cell[5];
    }
}

TEST(RmCriterion, ValuesBeyondTheLimitAreRefusedAndTheWarningNamesTheNUsed) {
    rmc::Inputs in;
    in.text[rmc::kCriterion] = "1.5";  // Wilks U above 1: negative f squared
    const auto wilks = Criterion(101);
    ASSERT_TRUE(rmc::Compute(in, *wilks).error);
    EXPECT_EQ(rmc::Compute(in, *wilks).error->message, rmc::kNoEffectMessage);
    EXPECT_NE(rmc::APrioriWarning(250).find("A sample size of 250 has\nbeen assumed"),
              std::string::npos);
    EXPECT_EQ(rmc::EffectTypeOf(kManovaRepeatedWithinTestId), 1);
    EXPECT_EQ(rmc::EffectTypeOf(kManovaRepeatedInteractionTestId), 2);
}

TEST(RmCriterion, OnlyTheDesignPanelWritesCountsAndNOnlyForT2) {
    rmc::Inputs in;
    in.text = {"0.3", "3", "4", "80"};
    rmc::TestContext context{107, true, true, true};
    EXPECT_TRUE(rmc::PlanTransfer(in, 0.5, context).writes.empty());
    in.withDesign = true;
    auto plan = rmc::PlanTransfer(in, 0.5, context);
    ASSERT_EQ(plan.writes.size(), 2u);
    EXPECT_EQ(plan.writes[0].label, "Number of groups");
    EXPECT_EQ(plan.writes[1].label, "Number of measurements");
    EXPECT_EQ(plan.writes[1].value, 4.0);
    context.criterionId = 105;
    plan = rmc::PlanTransfer(in, 0.5, context);
    ASSERT_EQ(plan.writes.size(), 3u);
    EXPECT_EQ(plan.writes[2].value, 80.0);
    context.hasTotal = false;  // a priori: nothing to write N into
    EXPECT_EQ(rmc::PlanTransfer(in, 0.5, context).writes.size(), 2u);
}

}  // namespace
