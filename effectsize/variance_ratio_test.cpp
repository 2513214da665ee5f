// The variance-ratio panel's plain parts: the ratio, its checks and the
// store of the texts as typed.

#include "effectsize/variance_ratio.h"

#include <gtest/gtest.h>

#include "analysis/property.h"

namespace {

using namespace effectsize;
using namespace effectsize::variance_ratio;

Inputs Make(const char* var0, const char* var1) {
    Inputs inputs;
    inputs.text = {var0, var1};
    return inputs;
}

TEST(VarianceRatio, RatioOfNumbersAndFormulas) {
    struct Case {
        Inputs inputs;
        double ratio;
    };
    const Case cases[] = {
        {Inputs{}, 2.0},
        {Make("4", "0"), 0.0},
        {Make("=2^2", "=sqrt(9)"), 0.75},
        {Make(" 2.5 ", "1e-3"), 4e-4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.inputs.text[0] + " / " + c.inputs.text[1]);
        ASSERT_FALSE(Check(c.inputs).has_value());
        EXPECT_DOUBLE_EQ(ComputeRatio(c.inputs), c.ratio);
    }
}

TEST(VarianceRatio, CheckNamesTheFieldAndTheMessage) {
    struct Case {
        Inputs inputs;
        int field;
        const char* message;
    };
    const Case cases[] = {
        {Make("0", "2"), kVar0, kVar0Message},
        {Make("-1", "-2"), kVar0, kVar0Message},
        {Make("1", "-1e-300"), kVar1, kVar1Message},
        {Make("1e-300", "1e300"), kVar1, kNoFiniteRatioMessage},
        {Make("=1/0", "1"), kVar0, nullptr},
        {Make("1", "2x"), kVar1, nullptr},
        {Make("", "2"), kVar0, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.inputs.text[0] + " / " + c.inputs.text[1]);
        const auto error = Check(c.inputs);
        ASSERT_TRUE(error.has_value());
        EXPECT_EQ(error->field, c.field);
        // The reader's own message where the text does not evaluate.
        if (c.message) {
            EXPECT_EQ(error->message, c.message);
        } else {
            EXPECT_FALSE(error->message.empty());
        }
    }
    EXPECT_EQ(std::string(kVar1Message), "Variance 1 must be non-negative\n");
}

TEST(VarianceRatio, StoreKeepsTheTextsAsTypedAndAnEmptiedField) {
    PropertyList store;
    Save(Make("=2*3", "4.50"), &store);
    std::string var0, var1;
    ASSERT_TRUE(GetNamedString(&store, "tva_var1", &var0));
    ASSERT_TRUE(GetNamedString(&store, "tva_var2", &var1));
    EXPECT_EQ(var0, "=2*3");
    EXPECT_EQ(var1, "4.50");

    Inputs back;
    Restore(&store, &back);
    EXPECT_EQ(back.text[kVar0], "=2*3");
    EXPECT_EQ(back.text[kVar1], "4.50");

    // Emptying an edit empties its entry; it does not bring the old text back.
    Save(Make("", "4.50"), &store);
    Restore(&store, &back);
    EXPECT_EQ(back.text[kVar0], "");
    PropertyList fresh;
    Save(Make("1", ""), &fresh);
    Inputs again;
    Restore(&fresh, &again);
    EXPECT_EQ(again.text[kVar1], "");

    PropertyList empty;
    Inputs untouched;
    Restore(&empty, &untouched);
    EXPECT_EQ(untouched.text, Inputs{}.text);
}

}  // namespace
