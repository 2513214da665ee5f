#include "effectsize/rm_special.h"

#include <gtest/gtest.h>

#include <cmath>

#include "analysis/ids.h"
#include "analysis/property.h"
#include "effectsize/rm_manova_reference_test_support.h"

namespace special = effectsize::rm_special;

namespace {

TEST(RmSpecial, FromVariancesMatchesTheReferenceInEverySpecification) {
    const auto rows = rm_manova_test::Rows("special");
    ASSERT_GE(rows.size(), 6u);
    for (const auto& row : rows) {
        special::Inputs in;
        in.text[special::kEffectVariance] = row.cell[2];
        in.text[special::kErrorVariance] = row.cell[3];
        in.text[special::kMeasurements] = row.cell[4];
        in.text[special::kCorrelation] = row.cell[5];
        const auto space = row.cell[6].find(' ');
        in.text[special::kGroups] = row.cell[6].substr(0, space);
        in.text[special::kTotal] = row.cell[6].substr(space + 1);
        const special::Result r = special::Compute(in, {row.Int(0), row.Int(1)});
        ASSERT_FALSE(r.error) << row.cell[0] << " " << r.error->message;
        EXPECT_NEAR(r.f, row.expected, 1e-12) << row.cell[0] << " " << row.cell[1];
        EXPECT_NEAR(r.eta2, r.f * r.f / (1 + r.f * r.f), 1e-15);
    }
}

TEST(RmSpecial, DirectModeIgnoresTheSpecification) {
    special::Inputs in;
    in.mode = 1;
    for (int spec : {0, 1, 2, 3}) {
        const special::Result r = special::Compute(in, {spec, kRepeatedWithinTestId});
        ASSERT_FALSE(r.error);
        EXPECT_DOUBLE_EQ(r.f, 1.0);
    }
    in.text[special::kEta2] = "=1/3";
    EXPECT_NEAR(special::Compute(in, {2, 108}).f, std::sqrt(0.5), 1e-15);
    const special::Result defaults = special::Compute(special::Inputs{}, {0, 108});
    EXPECT_NEAR(defaults.eta2, 1.0 / 3.0, 1e-15);
}

TEST(RmSpecial, EtaSquaredStaysAProportionAtTheEdgesOfTheRange) {
    // f² overflows for an effect variance of 1e308; eta² is then 1, and for
    // the smallest ratio f² itself.
    special::Inputs in;
    in.text[special::kErrorVariance] = "1";
    in.text[special::kEffectVariance] = "1e308";
    special::Result r = special::Compute(in, {0, kRepeatedWithinTestId});
    ASSERT_FALSE(r.error);
    EXPECT_EQ(r.eta2, 1.0);
    in.text[special::kEffectVariance] = "2.3e-15";
    in.text[special::kErrorVariance] = "1e300";
    r = special::Compute(in, {0, kRepeatedWithinTestId});
    ASSERT_FALSE(r.error);
    EXPECT_NEAR(r.eta2, 2.3e-315, 1e-320);
}

TEST(RmSpecial, ChecksNameTheirFieldAndRange) {
    struct Case {
        int spec, test, mode, field;
        const char* text;
        int expectedField;
        const char* message;
    };
    const Case cases[] = {
        {0, 108, 1, special::kEta2, "1", special::kEta2, special::kEta2Message},
        {1, 109, 0, special::kMeasurements, "1", special::kMeasurements,
         "The number of measurements must lie in the range [2, 200]"},
        {1, 108, 0, special::kMeasurements, "0", special::kMeasurements,
         "The number of measurements must lie in the range [1, 200]"},
        {1, 108, 0, special::kCorrelation, "1", special::kCorrelation,
         special::kCorrelationMessage},
        {2, 108, 0, special::kGroups, "1", special::kGroups,
         "The number of groups must lie in the range [2, 200]"},
        {2, 110, 0, special::kTotal, "2", special::kTotal, special::kTotalMessage},
        {3, 110, 0, special::kEffectVariance, "0", special::kEffectVariance,
         "The effect variance must be greater than 2.22045e-15"},
        {3, 110, 0, special::kErrorVariance, "-1", special::kErrorVariance,
         "The error variance must be greater than 2.22045e-15"},
        {0, 110, 0, special::kErrorVariance, "0", special::kErrorVariance,
         "The variance within group must be greater than 2.22045e-15"},
        {0, 110, 0, special::kEffectVariance, "", special::kEffectVariance,
         effectsize::kNotANumberMessage},
    };
    for (const Case& c : cases) {
        special::Inputs in;
        in.mode = c.mode;
        in.text[c.field] = c.text;
        const special::Result r = special::Compute(in, {c.spec, c.test});
        ASSERT_TRUE(r.error) << c.text;
        EXPECT_EQ(r.error->field, c.expectedField) << c.text;
        EXPECT_EQ(r.error->message, c.message);
    }
}

TEST(RmSpecial, RowsFollowTheSpecificationAndTheTest) {
    EXPECT_TRUE(special::ExtraRows(0, 108).empty());
    EXPECT_TRUE(special::ExtraRows(3, 110).empty());
    const auto one = special::ExtraRows(1, 108);
    ASSERT_EQ(one.size(), 2u);
    EXPECT_EQ(one[0].controlId, 1022);
    EXPECT_EQ(special::ExtraRows(2, 108).size(), 2u);  // no measurements for the between test
    const auto two = special::ExtraRows(2, 109);
    ASSERT_EQ(two.size(), 3u);
    EXPECT_EQ(two[0].controlId, 1019);
    EXPECT_STREQ(two[2].label, "Total sample size");
}

TEST(RmSpecial, StoreRoundTripKeepsFormulasAndEmptyFields) {
    PropertyList store;
    special::Inputs in;
    in.text[special::kEffectVariance] = "=2*0.5";
    in.text[special::kErrorVariance] = "";
    in.mode = 1;
    in.varianceType = 1;
    special::Save(in, &store);
    special::Inputs back;
    special::Restore(&store, &back);
    EXPECT_EQ(back.text, in.text);
    EXPECT_EQ(back.mode, 1);
    EXPECT_EQ(back.varianceType, 1);
}

TEST(RmSpecial, TransferAsksOnlyInModeZeroForTheCountsOfTheSpecification) {
    special::Inputs in;
    in.text[special::kMeasurements] = "3";
    in.text[special::kGroups] = "2";
    in.text[special::kTotal] = "60";
    const special::MainCounts main{3L, 4L, 60L};
    auto plan = special::PlanTransfer(in, 0.4, {2, 110}, main);
    ASSERT_EQ(plan.writes.size(), 2u);
    EXPECT_EQ(plan.writes[0].label, "Number of measurements");
    EXPECT_EQ(plan.writes[1].question,
              "The number of groups given in the effect size\ndialog (2) is different from that "
              "given in\nthe main window (3)!\n\nDo you want to adjust the value in the main "
              "window?");
    EXPECT_TRUE(special::PlanTransfer(in, 0.4, {2, 108}, main).writes.size() == 1u);
    EXPECT_TRUE(special::PlanTransfer(in, 0.4, {3, 110}, main).writes.empty());
    in.mode = 1;
    plan = special::PlanTransfer(in, 0.4, {2, 110}, main);
    EXPECT_TRUE(plan.writes.empty());
    EXPECT_EQ(plan.effectSize, 0.4);
}

}  // namespace
