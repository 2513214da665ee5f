// The proportion panels' plain parts: the value field and the derived
// proportion against R (plogis/qlogis for the odds ratio, in
// verification/panels), the worked cases, the checks, the store and the plan.

#include "effectsize/proportions.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <sstream>

#include "analysis/property.h"

namespace {

using namespace effectsize;
using namespace effectsize::proportions;

Inputs Make(const char* p1, const char* p2, const char* value, int mode) {
    Inputs inputs;
    inputs.text = {p1, p2, value};
    inputs.calcMode = mode;
    return inputs;
}

struct Row {
    int mode;
    double base, value, derived, valueBack;
};

std::vector<Row> ReadRows() {
    std::ifstream in(QUORIX_SOURCE_DIR "/verification/panels/proportions.csv");
    std::vector<Row> rows;
    std::string line;
    std::getline(in, line);
    while (std::getline(in, line)) {
        for (char& c : line) c = c == ',' ? ' ' : c;
        std::istringstream fields(line);
        Row row{};
        fields >> row.mode >> row.base >> row.value >> row.derived >> row.valueBack;
        rows.push_back(row);
    }
    return rows;
}

std::string Text(double x) {
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%.17g", x);
    return buffer;
}

TEST(Proportions, DerivedProportionAndValueAgreeWithR) {
    const std::vector<Row> rows = ReadRows();
    ASSERT_EQ(rows.size(), 12u);
    for (const Roles* roles : {&kOneProportion, &kTwoProportions}) {
        for (const Row& row : rows) {
            SCOPED_TRACE(::testing::Message() << roles->storePrefix << " mode " << row.mode
                                              << " base " << row.base << " value " << row.value);
            Inputs inputs;
            inputs.calcMode = row.mode;
            inputs.text[roles->base] = Text(row.base);
            inputs.text[kValue] = Text(row.value);
            ASSERT_FALSE(UpdateDerived(&inputs, *roles).has_value());
            // Shown with 7 significant digits.
            EXPECT_NEAR(Value(inputs, roles->derived), row.derived, 5e-7 * row.derived + 1e-300);

            inputs.text[roles->derived] = Text(row.derived);
            ASSERT_FALSE(UpdateValue(&inputs, *roles).has_value());
            EXPECT_NEAR(Value(inputs, kValue), row.valueBack, 5e-7 * std::fabs(row.valueBack));
        }
    }
}

TEST(Proportions, WorkedCases) {
    // Defaults: the value field shows the odds ratio 11/9.
    Inputs inputs;
    EXPECT_FALSE(UpdateValue(&inputs, kOneProportion).has_value());
    EXPECT_EQ(inputs.text[kValue], "1.222222");
    EXPECT_FALSE(UpdateDerived(&inputs, kOneProportion).has_value());
    EXPECT_EQ(inputs.text[kP2], "0.55");
    EXPECT_NEAR(ComputeG(inputs), 0.05, 1e-15);

    // Difference 0.7 from P1 0.5 leads to 1.2: clamped to 1, the value field
    // recomputed, g = 0.5.
    inputs = Make("0.5", "0.55", "0.7", kDifference);
    EXPECT_EQ(UpdateDerived(&inputs, kOneProportion), std::string(kOneProportion.clampMessage));
    EXPECT_EQ(inputs.text[kP2], "1");
    EXPECT_EQ(inputs.text[kValue], "0.5");
    EXPECT_EQ(ComputeG(inputs), 0.5);
    // Below 0 the lower end.
    inputs = Make("0.5", "0.55", "0.25", kRatio);
    inputs.text[kValue] = "-2";
    EXPECT_TRUE(UpdateDerived(&inputs, kOneProportion).has_value());
    EXPECT_EQ(inputs.text[kP2], "0");
    EXPECT_EQ(inputs.text[kValue], "0");

    // Ratio with P1 = 0: the message, and the value field shows 1.
    inputs = Make("0", "0.3", "2", kRatio);
    EXPECT_EQ(UpdateValue(&inputs, kOneProportion),
              std::string("Ratio P2/P1 not defined for P1=0"));
    EXPECT_EQ(inputs.text[kValue], "1");

    // From odds ratio 1.5 to difference: P2 follows the odds ratio first.
    inputs = Make("0.5", "0.55", "1.5", kOddsRatio);
    EXPECT_TRUE(SwitchMode(&inputs, kOneProportion, kDifference).empty());
    EXPECT_EQ(inputs.text[kP2], "0.6");
    EXPECT_EQ(inputs.text[kValue], "0.1");
    EXPECT_EQ(inputs.calcMode, kDifference);
}

TEST(Proportions, TwoProportionsDeriveP1FromP2AsTheirCaptionsSay) {
    // "ratio P1/P2" of 2 with P2 0.3 gives P1 0.6; P2 stays.
    Inputs inputs = Make("0.5", "0.3", "2", kRatio);
    EXPECT_FALSE(UpdateDerived(&inputs, kTwoProportions).has_value());
    EXPECT_EQ(inputs.text[kP1], "0.6");
    EXPECT_EQ(inputs.text[kP2], "0.3");
    EXPECT_EQ(ComputeP1(inputs), 0.6);
    // "difference P1 - P2"
    inputs = Make("0.45", "0.3", "0", kDifference);
    UpdateValue(&inputs, kTwoProportions);
    EXPECT_EQ(inputs.text[kValue], "0.15");
    // Clamping names P1.
    inputs.text[kValue] = "0.9";
    EXPECT_EQ(UpdateDerived(&inputs, kTwoProportions), std::string(kTwoProportions.clampMessage));
    EXPECT_NE(std::string(kTwoProportions.clampMessage).find("proportion P1\n"), std::string::npos);
    EXPECT_EQ(inputs.text[kP1], "1");
    EXPECT_EQ(inputs.text[kValue], "0.7");
}

TEST(Proportions, DegenerateRatiosShowAMessageNotInfOrNan) {
    struct Case {
        const Roles* roles;
        Inputs inputs;
        const char* message;
    };
    const Case cases[] = {
        {&kOneProportion, Make("0", "0.5", "", kOddsRatio), kOneProportion.oddsUndefinedMessage},
        {&kOneProportion, Make("1", "0.5", "", kOddsRatio), kOneProportion.oddsUndefinedMessage},
        {&kOneProportion, Make("0.4", "1", "", kOddsRatio), kOneProportion.oddsUndefinedMessage},
        {&kOneProportion, Make("4e-324", "0.5", "", kRatio), kOneProportion.ratioUndefinedMessage},
        {&kTwoProportions, Make("0.5", "0", "", kRatio), kTwoProportions.ratioUndefinedMessage},
        {&kTwoProportions, Make("1", "0.5", "", kOddsRatio), kTwoProportions.oddsUndefinedMessage},
    };
    for (Case c : cases) {
        SCOPED_TRACE(c.message);
        EXPECT_EQ(UpdateValue(&c.inputs, *c.roles), std::string(c.message));
        EXPECT_EQ(c.inputs.text[kValue], "1");
    }
    // An odds ratio of 0 gives a derived proportion of 0.
    Inputs zero = Make("0.5", "0.55", "0", kOddsRatio);
    EXPECT_FALSE(UpdateDerived(&zero, kOneProportion).has_value());
    EXPECT_EQ(zero.text[kP2], "0");
}

TEST(Proportions, CheckNamesTheFieldAndTheMessage) {
    struct Case {
        Inputs inputs;
        int field;
        const char* message;
    };
    const Case cases[] = {
        {Make("1.2", "0.5", "1", kRatio), kP1, kP1RangeMessage},
        {Make("-0.01", "2", "1", kRatio), kP1, kP1RangeMessage},
        {Make("0.5", "1.0000001", "1", kRatio), kP2, kP2RangeMessage},
        {Make("0.5", "1e999", "1", kRatio), kP2, kP2RangeMessage},
        {Make("0.5", "0.5", "1e999", kRatio), kValue, kNotANumberMessage},
        // Text that is not one number is refused, not read as its start.
        {Make("0.5", "0,7", "1", kRatio), kP2, kNotANumberMessage},
        {Make("abc", "1", "2", kRatio), kP1, kNotANumberMessage},
        {Make("", "0.5", "1", kRatio), kP1, kNotANumberMessage},
        {Make("0.5", "0.5 x", "1", kRatio), kP2, kNotANumberMessage},
        {Make("0", "1", "0,1", kDifference), kValue, kNotANumberMessage},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        const auto error = Check(c.inputs);
        ASSERT_TRUE(error.has_value());
        EXPECT_EQ(error->field, c.field);
        EXPECT_EQ(error->message, c.message);
    }
    // The ends, blanks around a number and an exponent pass.
    EXPECT_FALSE(Check(Make("0", "1", " 2 ", kRatio)).has_value());
    EXPECT_FALSE(Check(Make("1e-1", "+.5", "-1.5E+0", kDifference)).has_value());
}

TEST(Proportions, StoreKeepsNumbersUnderTheirKeysAndEmptiedFields) {
    for (const Roles* roles : {&kOneProportion, &kTwoProportions}) {
        SCOPED_TRACE(roles->storePrefix);
        PropertyList store;
        Save(Make("0.2", "0.3", "9", kRatio), *roles, &store);
        const std::string prefix = roles->storePrefix;
        double p0 = 0, p1 = 0;
        long mode = -1;
        ASSERT_TRUE(GetNamedDouble(&store, (prefix + "_p0").c_str(), &p0));
        ASSERT_TRUE(GetNamedDouble(&store, (prefix + "_p1").c_str(), &p1));
        ASSERT_TRUE(GetNamedLong(&store, (prefix + "_cm").c_str(), &mode));
        // p0 is the given proportion: P1 of the one-proportion panel, P2 of
        // the two-proportions panel.
        EXPECT_EQ(p0, roles == &kOneProportion ? 0.2 : 0.3);
        EXPECT_EQ(p1, roles == &kOneProportion ? 0.3 : 0.2);
        EXPECT_EQ(mode, kRatio);

        Inputs back;
        Restore(&store, *roles, &back);
        EXPECT_EQ(back.text[kP1], "0.2000000");
        EXPECT_EQ(back.text[kP2], "0.3000000");
        EXPECT_EQ(back.calcMode, kRatio);

        // An emptied edit comes back empty, not as 0.0000000.
        Save(Make("", "0.3", "9", kDifference), *roles, &store);
        Restore(&store, *roles, &back);
        EXPECT_EQ(back.text[kP1], "");
        EXPECT_EQ(back.text[kP2], "0.3000000");

        // A text that is not one number comes back as typed, for the checks
        // to refuse, not as the number it starts with; a number typed over
        // it later comes back as a number again.
        Save(Make("0,7", "abc", "9", kDifference), *roles, &store);
        Restore(&store, *roles, &back);
        EXPECT_EQ(back.text[kP1], "0,7");
        EXPECT_EQ(back.text[kP2], "abc");
        Save(Make("0.7", "abc", "9", kDifference), *roles, &store);
        Restore(&store, *roles, &back);
        EXPECT_EQ(back.text[kP1], "0.7000000");

        PropertyList empty;
        Inputs untouched;
        Restore(&empty, *roles, &untouched);
        EXPECT_EQ(untouched.text, Inputs{}.text);
    }
}

TEST(Proportions, PlanWritesTheGivenProportionWithTheSkipThenTheEffect) {
    const TransferPlan one = PlanTransfer(Make("0.4", "0.6", "", kRatio), kOneProportion, 0.2);
    ASSERT_EQ(one.writes.size(), 1u);
    EXPECT_EQ(one.writes[0].label, "Constant proportion");
    EXPECT_EQ(one.writes[0].value, 0.4);
    EXPECT_EQ(one.writes[0].skipWithin, 1e-10);
    EXPECT_EQ(one.effectSize, 0.2);

    const TransferPlan two = PlanTransfer(Make("0.4", "0.6", "", kRatio), kTwoProportions, 0.4);
    ASSERT_EQ(two.writes.size(), 1u);
    EXPECT_EQ(two.writes[0].label, "Proportion p2");
    EXPECT_EQ(two.writes[0].value, 0.6);
    EXPECT_EQ(two.writes[0].skipWithin, 1e-10);
    EXPECT_EQ(two.effectSize, 0.4);
}

}  // namespace
