#include "effectsize/rm_selectors.h"

#include <gtest/gtest.h>

#include "analysis/ids.h"
#include "analysis/property.h"

namespace sel = effectsize::rm_selectors;

namespace {

TEST(RmSelectors, ProceduresFollowTheMethodAndTheVariant) {
    EXPECT_EQ(sel::OmniSpecialPanel(0), "CEff_F_RMM_Omni");
    EXPECT_EQ(sel::OmniSpecialPanel(1), "CEff_F_RM_Special");
    EXPECT_EQ(sel::MeanCovPanel(0, 2), "CEff_F_RMM_MeanCov");
    EXPECT_EQ(sel::MeanCovPanel(1, 0), "CEff_F_RMMulti_2");
    EXPECT_EQ(sel::MeanCovPanel(1, 1), "CEff_F_RMMulti_2");
    EXPECT_EQ(sel::MeanCovPanel(1, 2), "CEff_F_RMMulti");
    EXPECT_EQ(sel::VariantOf(kManovaRepeatedBetweenTestId), 0);
    EXPECT_EQ(sel::VariantOf(kManovaRepeatedInteractionTestId), 2);
}

TEST(RmSelectors, NIsUsedForTheInteractionAndTheNDependentCriteria) {
    for (int id = 100; id <= 107; ++id) {
        const bool dependent = id == 100 || id == 102 || id == 104 || id == 105 || id == 106;
        EXPECT_EQ(sel::MeanCovUsesN(0, id), dependent) << id;
        EXPECT_EQ(sel::MeanCovUsesN(1, id), dependent) << id;
        EXPECT_TRUE(sel::MeanCovUsesN(2, id)) << id;
    }
}

TEST(RmSelectors, MethodRoundTripAndBadValuesKeepTheCurrentOne) {
    PropertyList store;
    EXPECT_EQ(sel::RestoreMethod(&store, sel::kOmniSpecialKey, 0), 0);
    sel::SaveMethod(&store, sel::kOmniSpecialKey, 1);
    EXPECT_EQ(sel::RestoreMethod(&store, sel::kOmniSpecialKey, 0), 1);
    SetNamedLong(&store, sel::kMeanCovKey, 7);
    EXPECT_EQ(sel::RestoreMethod(&store, sel::kMeanCovKey, 0), 0);
}

}  // namespace
