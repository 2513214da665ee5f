// d of one mean and dz of matched pairs: the formulas against the mpmath
// table of verification/panels, the checks with their fields, the store,
// and the transfer to the signed-rank tests.

#include "effectsize/one_mean_pairs.h"

#include <gtest/gtest.h>

#include <cmath>

#include "analysis/ids.h"
#include "analysis/property.h"
#include "effectsize/effect_size_table_test_support.h"
#include "effectsize/two_group_means.h"

namespace {

using effectsize::FieldError;
using effectsize::kNotANumberMessage;
using effectsize::kSdMessage;
using effectsize::kTooLargeMessage;
namespace om = effectsize::one_mean;
namespace pm = effectsize::paired_means;

constexpr double kRel = 4e-16;

pm::Inputs Paired(bool fromGroups, std::array<std::string, pm::kFieldCount> text) {
    pm::Inputs inputs;
    inputs.fromGroups = fromGroups;
    inputs.text = text;
    return inputs;
}

TEST(OneMean, DAgainstReference) {
    EXPECT_EQ(om::ComputeD(om::Inputs{}), 0.5);  // the defaults |0 - 1| / 2
    const auto rows = effectsize_test::ReferenceRows("one_mean");
    ASSERT_EQ(rows.size(), 4u);
    for (const auto& row : rows) {
        const om::Inputs inputs{{row.text[0], row.text[1], row.text[2]}};
        ASSERT_FALSE(om::Check(inputs).has_value()) << row.text[0];
        EXPECT_NEAR(om::ComputeD(inputs), row.expected, kRel * row.expected) << row.text[0];
    }
}

TEST(PairedMeans, DzAgainstReference) {
    // The defaults: from group parameters s = 1 and dz = 1; from differences dz = 0.
    EXPECT_EQ(pm::ComputeDz(pm::Inputs{}), 1.0);
    EXPECT_EQ(pm::ComputeDz(Paired(false, pm::Inputs{}.text)), 0.0);
    for (const char* kind : {"paired_diff", "paired_groups"}) {
        const bool groups = std::string(kind) == "paired_groups";
        const auto rows = effectsize_test::ReferenceRows(kind);
        ASSERT_GE(rows.size(), 3u);
        for (const auto& row : rows) {
            const auto& t = row.text;
            const pm::Inputs inputs = groups ? Paired(true, {"x", "", t[0], t[1], t[2], t[3], t[4]})
                                             : Paired(false, {t[0], t[1], "", "", "-1", "0", "7"});
            SCOPED_TRACE(std::string(kind) + " " + t[0] + " " + t[1]);
            ASSERT_FALSE(pm::Check(inputs).has_value());
            // Near rho = 1 the SD of the differences is computed without
            // cancelling: the relative error stays at a few ulps.
            EXPECT_NEAR(pm::ComputeDz(inputs), row.expected, 8e-16 * std::fabs(row.expected));
        }
    }
}

TEST(OneMeanAndPairs, ChecksNameTheirField) {
    struct Case {
        const char* what;
        std::optional<FieldError> error;
        int field;
        const char* message;
    };
    const Case cases[] = {
        {"one mean: SD exactly 1e-12", om::Check({{"0", "1", "1e-12"}}), om::kSd, kSdMessage},
        {"one mean: negative SD", om::Check({{"0", "1", "-2"}}), om::kSd, kSdMessage},
        {"one mean: emptied mean", om::Check({{"0", "", "1"}}), om::kMeanH1, kNotANumberMessage},
        {"one mean: d overflows", om::Check({{"-1e308", "1e308", "0.5"}}), om::kMeanH0,
         kTooLargeMessage},
        {"differences: SD zero", pm::Check(Paired(false, {"1", "0", "0", "1", "1", "1", "0.5"})),
         pm::kSdDiff, kSdMessage},
        {"differences: a word", pm::Check(Paired(false, {"a", "1", "0", "1", "1", "1", "0.5"})),
         pm::kMeanDiff, kNotANumberMessage},
        {"groups: SD 1 at 1e-12", pm::Check(Paired(true, {"0", "1", "0", "1", "1e-12", "0", "2"})),
         pm::kSd1, kSdMessage},
        {"groups: SD 2 zero", pm::Check(Paired(true, {"0", "1", "0", "1", "1", "0", "0.5"})),
         pm::kSd2, kSdMessage},
        {"groups: rho -0.99999999",
         pm::Check(Paired(true, {"0", "1", "0", "1", "1", "1", "-0.99999999"})), pm::kCorr,
         pm::kCorrMessage},
        {"groups: rho above 1 - 1e-8",
         pm::Check(Paired(true, {"0", "1", "0", "1", "1", "1", "0.999999991"})), pm::kCorr,
         pm::kCorrMessage},
        {"groups: rho NaN", pm::Check(Paired(true, {"0", "1", "0", "1", "1", "1", "nan"})),
         pm::kCorr, kNotANumberMessage},
        {"groups: dz overflows",
         pm::Check(Paired(true, {"0", "1", "-1e308", "1e308", "1e-10", "1e-10", "0.5"})),
         pm::kMean1, kTooLargeMessage},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(c.error.has_value());
        EXPECT_EQ(c.error->field, c.field);
        EXPECT_EQ(c.error->message, c.message);
    }
    // The edge of the correlation range is inside.
    EXPECT_FALSE(pm::Check(Paired(true, {"", "", "0", "1", "1", "1", "0.99999999"})).has_value());
}

TEST(OneMeanAndPairs, StoreKeepsTextsUnderTheirKeys) {
    PropertyList store;
    const om::Inputs one{{"2.50", "", "3"}};
    om::Save(one, &store);
    const pm::Inputs pairs = Paired(false, {"-0.3", "0.6", "1", "", "1", "1", "=0.5"});
    pm::Save(pairs, &store);

    double value = 0.0;
    for (const char* key : {"t1m_mean1", "t1m_mean2", "t1m_sd", "tdm_mean_dz", "tdm_sd_dz",
                            "tdm_mean1", "tdm_mean2", "tdm_sd1", "tdm_sd2", "tdm_corr"})
        EXPECT_TRUE(GetNamedDouble(&store, key, &value)) << key;
    long mode = -1;
    EXPECT_TRUE(GetNamedLong(&store, "tdm_inmode", &mode));
    EXPECT_EQ(mode, 0);

    om::Inputs oneBack;
    om::Restore(&store, &oneBack);
    EXPECT_EQ(oneBack.text, one.text);  // "2.50" as typed, the emptied field empty
    pm::Inputs pairsBack;
    pm::Restore(&store, &pairsBack);
    EXPECT_EQ(pairsBack.text, pairs.text);
    EXPECT_FALSE(pairsBack.fromGroups);

    PropertyList empty;
    pm::Inputs untouched;
    pm::Restore(&empty, &untouched);
    EXPECT_EQ(untouched.text, pm::Inputs{}.text);
    EXPECT_TRUE(untouched.fromGroups);
}

TEST(SignedRankTransfer, LehmannTakesP1OfTheAbsoluteEffect) {
    using effectsize::PlanSignedRankTransfer;
    using effectsize::SignedRankContext;
    // Outside the Lehmann method the effect goes with its sign.
    EXPECT_EQ(PlanSignedRankTransfer(-0.5, {kMatchedPairsTestId, 2, false, 0}).effectSize, -0.5);
    EXPECT_EQ(PlanSignedRankTransfer(-0.5, {kWilcoxonMatchedPairsTestId, 1, false, 0}).effectSize,
              -0.5);
    EXPECT_EQ(
        PlanSignedRankTransfer(0.7, {kWilcoxonOneSampleTestId, 2, false, std::nullopt}).effectSize,
        0.7);

    const auto rows = effectsize_test::ReferenceRows("signed_rank_p1");
    ASSERT_EQ(rows.size(), 15u);
    for (int testId : {kWilcoxonOneSampleTestId, kWilcoxonMatchedPairsTestId}) {
        for (const auto& row : rows) {
            const SignedRankContext lehmann{testId, 2, false, static_cast<int>(row.in[0])};
            const auto plan = PlanSignedRankTransfer(row.in[1], lehmann);
            ASSERT_TRUE(plan.effectSize.has_value());
            EXPECT_TRUE(plan.writes.empty());
            EXPECT_NEAR(*plan.effectSize, row.expected, 1e-15)
                << testId << " parent " << row.in[0] << " d " << row.in[1];
        }
    }

    const auto manual = PlanSignedRankTransfer(1.0, {kWilcoxonOneSampleTestId, 2, true, 0});
    EXPECT_EQ(manual.refusal, effectsize::two_group_means::kManualMomentsRefusal);
    EXPECT_FALSE(manual.effectSize.has_value());
    const auto noParent = PlanSignedRankTransfer(1.0, {kWilcoxonMatchedPairsTestId, 2, false, 3});
    EXPECT_EQ(noParent.refusal, effectsize::two_group_means::kNoParentRefusal);
    EXPECT_FALSE(noParent.effectSize.has_value());
}

}  // namespace
