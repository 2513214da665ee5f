// f squared of a set of predictors or of one coefficient: both input modes
// against Cohen's f2 = R2 / (1 - R2) and the variance ratio at 40 digits
// (verification/panels), the bounds of the checks, the store and the
// transfer.

#include "effectsize/regression_special.h"

#include <gtest/gtest.h>

#include <cmath>

#include "analysis/property.h"
#include "effectsize/regression_reference_test_support.h"

namespace {

using namespace effectsize;
using namespace effectsize::regression_special;
using regression_reference::Rows;

Inputs Make(int mode, std::array<std::string, kFieldCount> text) {
    Inputs inputs;
    inputs.mode = mode;
    inputs.text = text;
    return inputs;
}

TEST(RegressionSpecial, BothModesAgainstTheReferenceValues) {
    const auto fromVariances = Rows("variances");
    ASSERT_EQ(fromVariances.size(), 6u);
    for (const auto& row : fromVariances) {
        SCOPED_TRACE("variances " + row.text[0] + ", " + row.text[1]);
        // The partial R2 field is an output here and is not read.
        const Inputs inputs = Make(kFromVariances, {row.text[0], row.text[1], "junk"});
        ASSERT_FALSE(Check(inputs).has_value());
        const Result r = Compute(inputs);
        EXPECT_NEAR(r.partialR2, row.value[2], 4e-16 * row.value[2]);
        EXPECT_NEAR(r.f2, row.value[3], 4e-16 * row.value[3]);
    }
    const auto direct = Rows("partial_r2");
    ASSERT_EQ(direct.size(), 7u);
    for (const auto& row : direct) {
        SCOPED_TRACE("partial R2 " + row.text[0]);
        const Inputs inputs = Make(kDirect, {"junk", "", row.text[0]});
        ASSERT_FALSE(Check(inputs).has_value());
        EXPECT_NEAR(Compute(inputs).f2, row.value[1], 4e-16 * row.value[1]);
    }
}

TEST(RegressionSpecial, CheckNamesTheFieldAndTheMessage) {
    struct Case {
        const char* what;
        Inputs inputs;
        int field;
        const char* message;
    };
    const Case cases[] = {
        {"effect variance below 1e-16", Make(kFromVariances, {"9.9e-17", "1", "0.5"}),
         kEffectVariance, kEffectVarianceMessage},
        {"both variances 0", Make(kFromVariances, {"0", "0", "0.5"}), kEffectVariance,
         kEffectVarianceMessage},
        {"residual variance negative", Make(kFromVariances, {"1", "-1", "0.5"}), kResidualVariance,
         kErrorVarianceMessage},
        {"R2 0", Make(kDirect, {"1", "1", "0"}), kPartialR2, kR2RangeMessage},
        {"R2 1", Make(kDirect, {"1", "1", "1"}), kPartialR2, kR2RangeMessage},
        {"R2 just below 1e-16", Make(kDirect, {"1", "1", "9.99e-17"}), kPartialR2, kR2RangeMessage},
        {"R2 emptied", Make(kDirect, {"1", "1", ""}), kPartialR2, kNotANumberMessage},
        {"variance typed wrong", Make(kFromVariances, {"1", "4x", "0.5"}), kResidualVariance,
         kNotANumberMessage},
        {"f2 overflows", Make(kFromVariances, {"1e300", "1e-16", "0.5"}), kEffectVariance,
         kNotFiniteMessage},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const auto error = Check(c.inputs);
        ASSERT_TRUE(error.has_value());
        EXPECT_EQ(error->field, c.field);
        EXPECT_EQ(error->message, c.message);
    }
}

TEST(RegressionSpecial, StoreKeepsTextsAndModeAndTransferIsF2Alone) {
    PropertyList store;
    const Inputs typed = Make(kDirect, {"", "4.0", "0.13"});
    Save(typed, &store);
    for (const char* key : {"fms_r2", "fms_vareff", "fms_varres"}) {
        double value = 0.0;
        EXPECT_TRUE(GetNamedDouble(&store, key, &value)) << key;
    }
    long mode = -1;
    EXPECT_TRUE(GetNamedLong(&store, "fms_inmode", &mode));
    EXPECT_EQ(mode, kDirect);
    Inputs back;
    Restore(&store, &back);
    EXPECT_EQ(back.text, typed.text);
    EXPECT_EQ(back.mode, kDirect);
    PropertyList empty;
    Inputs untouched;
    Restore(&empty, &untouched);
    EXPECT_EQ(untouched.text, Inputs{}.text);
    EXPECT_EQ(untouched.mode, kFromVariances);

    const TransferPlan plan = PlanTransfer(Compute(Inputs{}));
    EXPECT_TRUE(plan.writes.empty());
    EXPECT_EQ(plan.effectSize, 1.0);
}

}  // namespace
