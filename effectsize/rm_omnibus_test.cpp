#include "effectsize/rm_omnibus.h"

#include <gtest/gtest.h>

#include <sstream>

#include "analysis/property.h"
#include "effectsize/rm_manova_reference_test_support.h"
#include "power/f/power_f_repeated.h"

namespace omni = effectsize::rm_omnibus;

namespace {

std::vector<std::string> Words(const std::string& text) {
    std::istringstream in(text);
    std::vector<std::string> words;
    for (std::string w; in >> w;) words.push_back(w);
    return words;
}

omni::Inputs FromRow(const rm_manova_test::Row& row) {
    omni::Inputs in;
    const auto means = Words(row.cell[4]);
    const auto sizes = Words(row.cell[5]);
    omni::SetGroupCount(&in, static_cast<int>(means.size()));
    for (size_t i = 0; i < means.size(); ++i) in.table[i] = {means[i], sizes[i]};
    in.text[omni::kMeasurements] = row.cell[1];
    in.text[omni::kCorrelation] = row.cell[2];
    in.text[omni::kSigma] = row.cell[3];
    return in;
}

TEST(RmOmnibus, FMatchesTheWeightedSdOfTheMeansInEverySpecification) {
    const auto rows = rm_manova_test::Rows("omni");
    ASSERT_GE(rows.size(), 6u);
    for (const auto& row : rows) {
        const omni::Inputs in = FromRow(row);
        const int spec = row.Int(0);
        ASSERT_FALSE(omni::Check(in, spec)) << row.cell[4];
        const omni::Result r = omni::Compute(in, spec);
        EXPECT_NEAR(r.f, row.expected, 1e-12 * std::max(1.0, row.expected)) << row.cell[4];
    }
}

TEST(RmOmnibus, ConversionAgreesWithTheTestsOwn) {
    PowerFRepMBetween test;
    for (int spec : {1, 2, 3}) {
        EXPECT_NEAR(omni::ConvertFromPlain(0.4, spec, 3, 4, 0.35, 40),
                    test.ConvertEffectSize(0.4, 0, spec, 3, 4, 0.35, 40, 1.0), 1e-14)
            << spec;
    }
}

TEST(RmOmnibus, ATotalBeyondTheMainWindowsIntIsRefusedOnTheSizeThatPassesIt) {
    omni::Inputs in;
    omni::SetGroupCount(&in, 30);
    for (auto& group : in.table) group.size = "100000000";
    const auto error = omni::Check(in, 0);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->field, omni::SizeField(21));  // 22 * 1e8 > 2^31 - 1
    EXPECT_EQ(error->message, omni::kTotalTooLargeMessage);
}

TEST(RmOmnibus, ChecksNameTheirFieldOrCell) {
    struct Case {
        int spec;
        int field;
        const char* text;
        int expectedField;
        const char* message;
    };
    const Case cases[] = {
        {0, omni::kSigma, "1e-17", omni::kSigma, omni::kSigmaMessage},
        {0, omni::kGroups, "51", omni::kGroups, omni::kGroupCountMessage},
        {3, omni::kCorrelation, "0.99999995", omni::kCorrelation, omni::kCorrelationMessage},
        {3, omni::kMeasurements, "1", omni::kMeasurements, omni::kMeasurementsMessage},
        // A count the transfer could not write as a whole number.
        {3, omni::kMeasurements, "1e300", omni::kMeasurements, omni::kMeasurementsRangeMessage},
        {3, omni::kMeasurements, "201", omni::kMeasurements, omni::kMeasurementsRangeMessage},
        // Specification 0 does not read the correlation or the measurements.
        {0, omni::kCorrelation, "1.5", -1, ""},
        {0, omni::kMeasurements, "1", -1, ""},
        {0, omni::SizeField(2), "0", omni::SizeField(2), omni::kSizeMessage},
        {0, omni::MeanField(1), "x", omni::MeanField(1), effectsize::kNotANumberMessage},
    };
    for (const Case& c : cases) {
        omni::Inputs in;
        int group = 0;
        bool size = false;
        if (omni::CellOf(c.field, &group, &size)) {
            (size ? in.table[group].size : in.table[group].mean) = c.text;
        } else {
            in.text[c.field] = c.text;
        }
        const auto error = omni::Check(in, c.spec);
        if (c.expectedField < 0) {
            EXPECT_FALSE(error) << c.text;
            continue;
        }
        ASSERT_TRUE(error) << c.text;
        EXPECT_EQ(error->field, c.expectedField) << c.text;
        EXPECT_EQ(error->message, c.message);
    }
    // f(U) with every group of size 1 leaves N - k = 0: refused.
    omni::Inputs ones;
    for (auto& g : ones.table) g.size = "1";
    ones.text[omni::kCorrelation] = "0.5";
    ASSERT_TRUE(omni::Check(ones, 2));
    EXPECT_EQ(omni::Check(ones, 2)->message, omni::kTotalMessage);
    EXPECT_FALSE(omni::Check(ones, 3));
}

TEST(RmOmnibus, TableGrowsAndKeepsHiddenRows) {
    omni::Inputs in;
    in.table[3] = {"7", "9"};
    omni::SetGroupCount(&in, 2);
    EXPECT_EQ(omni::TotalN(in), 10);
    omni::SetGroupCount(&in, 5);
    EXPECT_EQ(in.table[3].mean, "7");
    EXPECT_EQ(in.table[4].size, "5");
    in.text[omni::kEqualN] = "3";
    ASSERT_FALSE(omni::ApplyEqualN(&in));
    EXPECT_EQ(omni::TotalN(in), 15);
    in.text[omni::kEqualN] = "0";
    EXPECT_TRUE(omni::ApplyEqualN(&in));
}

TEST(RmOmnibus, StoreRoundTripKeepsTextsAsTyped) {
    PropertyList store;
    omni::Inputs in;
    omni::SetGroupCount(&in, 3);
    in.table[1] = {"2.5", "8"};
    in.text[omni::kSigma] = "";
    in.text[omni::kCorrelation] = "0.25";
    omni::Save(in, &store);
    EXPECT_TRUE(store.Find("frmo_m1"));
    EXPECT_TRUE(store.Find("frmo_n2"));
    EXPECT_FALSE(store.Find("frmo_m3"));
    omni::Inputs back;
    omni::Restore(&store, &back);
    EXPECT_EQ(back.groups, 3);
    EXPECT_EQ(back.table[1].mean, "2.5");
    EXPECT_EQ(back.table[1].size, "8");
    EXPECT_EQ(back.text[omni::kSigma], "");
    EXPECT_EQ(back.text[omni::kCorrelation], "0.25");
}

TEST(RmOmnibus, TransferAsksBeforeEachDifferentCount) {
    omni::Inputs in;
    in.text[omni::kMeasurements] = "3";
    const omni::Result result{0.5, 20};
    omni::TestContext context{0, 4L, 2L, 20L};
    auto plan = omni::PlanTransfer(in, result, context);
    EXPECT_TRUE(plan.writes.empty());  // spec 0 does not compare the measurements
    context.specification = 3;
    context.mainGroups = 5;
    context.mainTotal = 30;
    plan = omni::PlanTransfer(in, result, context);
    ASSERT_EQ(plan.writes.size(), 3u);
    EXPECT_EQ(plan.writes[0].question,
              "The number of groups given in the effect size\ndialog (4) is different from that "
              "given in\nthe main window (5)!\n\nDo you want to adjust the value in the main "
              "window?");
    EXPECT_EQ(plan.writes[1].label, "Number of measurements");
    EXPECT_EQ(plan.writes[1].value, 3.0);
    EXPECT_EQ(plan.writes[2].question,
              "The total sample size resulting from your inputs\nin the effect size dialog (20) "
              "is different\nfrom the one in the main window (30)!\n\nDo you want to adjust the "
              "value in the main window?");
    EXPECT_EQ(plan.effectSize, 0.5);
}

}  // namespace
