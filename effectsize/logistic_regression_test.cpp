// The logistic-regression panel: odds ratio and H1 probability against the
// table of verification/panels (checked with R's plogis), the checks on
// their own fields, the store of both input kinds, set-up and transfer.

#include "effectsize/logistic_regression.h"

#include <gtest/gtest.h>

#include <cmath>

#include "analysis/property.h"
#include "effectsize/effect_size_table_test_support.h"

namespace {

using effectsize::kNotANumberMessage;
namespace lr = effectsize::logistic_regression;

lr::Inputs Make(bool probability, const std::string& input1, const std::string& p0) {
    lr::Inputs inputs;
    inputs.probabilityInput = probability;
    lr::SetFieldText(&inputs, lr::kInput1, input1);
    inputs.p0 = p0;
    return inputs;
}

TEST(LogisticRegression, BothDirectionsAgainstReference) {
    struct Kind {
        const char* name;
        bool probability;
    };
    for (const Kind kind : {Kind{"odds_ratio", true}, Kind{"p1_from_odds", false}}) {
        const auto rows = effectsize_test::ReferenceRows(kind.name);
        ASSERT_GE(rows.size(), 4u);
        for (const auto& row : rows) {
            SCOPED_TRACE(std::string(kind.name) + " " + row.text[0] + " " + row.text[1]);
            lr::Result result;
            ASSERT_FALSE(
                lr::Compute(Make(kind.probability, row.text[0], row.text[1]), &result).has_value());
            EXPECT_EQ(result.p0, row.in[1]);
            EXPECT_NEAR(result.value, row.expected, 2e-15 * row.expected);
        }
    }
    // The defaults of each kind and the round trip through both directions.
    lr::Result toOdds, toP1;
    ASSERT_FALSE(lr::Compute(Make(true, "0.5", "0.3"), &toOdds).has_value());
    EXPECT_NEAR(toOdds.value, 2.333333, 5e-7);
    ASSERT_FALSE(lr::Compute(Make(false, "4", "0.3"), &toP1).has_value());
    EXPECT_NEAR(toP1.value, 0.6315789, 5e-8);
    lr::Result back;
    ASSERT_FALSE(lr::Compute(Make(true, std::to_string(toP1.value), "0.3"), &back).has_value());
    EXPECT_NEAR(back.value, 4.0, 1e-5);
}

TEST(LogisticRegression, EachErrorFocusesItsOwnField) {
    struct Case {
        const char* what;
        lr::Inputs inputs;
        int field;
        std::string message;  // empty: the evaluator's own message
    };
    const Case cases[] = {
        {"p0 below 1e-10", Make(true, "0.5", "9e-11"), lr::kP0, lr::kP0Message},
        // p0 = 1 has infinite odds and is refused.
        {"p0 exactly 1", Make(true, "0.5", "1"), lr::kP0, lr::kP0Message},
        {"p0 exactly 1, odds-ratio input", Make(false, "4", "1"), lr::kP0, lr::kP0Message},
        {"p1 at 1", Make(true, "1", "0.3"), lr::kInput1, lr::kP1Message},
        {"p1 zero by formula", Make(true, "=0.5-0.5", "0.3"), lr::kInput1, lr::kP1Message},
        {"odds ratio below 1e-10", Make(false, "0", "0.3"), lr::kInput1, lr::kOddsRatioMessage},
        {"odds ratio negative", Make(false, "-2", "0.3"), lr::kInput1, lr::kOddsRatioMessage},
        {"p0 unreadable", Make(true, "0.5", "0,3"), lr::kP0, ""},
        {"input 1 emptied", Make(false, "", "0.3"), lr::kInput1, kNotANumberMessage},
        {"input 1 bad formula", Make(false, "=4*(", "0.3"), lr::kInput1, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        lr::Result result{-1.0, -1.0};
        const auto error = lr::Compute(c.inputs, &result);
        ASSERT_TRUE(error.has_value());
        EXPECT_EQ(error->field, c.field);
        if (!c.message.empty()) {
            EXPECT_EQ(error->message, c.message);
        }
        EXPECT_FALSE(error->message.empty());
        EXPECT_EQ(result.value, -1.0);
    }
    // The odds-ratio message gives the range that is really checked.
    EXPECT_EQ(std::string(lr::kOddsRatioMessage),
              "Odds ratio must be greater than 1e-10\nadmissible range (1e-10, infinity)");
    // The edges themselves are inside.
    lr::Result result;
    EXPECT_FALSE(lr::Compute(Make(false, "1e-10", "1e-10"), &result).has_value());
    EXPECT_FALSE(lr::Compute(Make(true, "0.9999999999", "0.9999999999"), &result).has_value());
    EXPECT_NEAR(result.value, 1.0, 1e-5);
}

TEST(LogisticRegression, StoreKeepsBothKindsUnderOneSpellingEach) {
    PropertyList store;
    lr::Inputs typed = Make(true, "=1/4", "");
    typed.oddsRatio = "3.0";
    lr::Save(typed, &store);
    std::string text;
    EXPECT_TRUE(GetNamedString(&store, "zlog_in1p", &text));
    EXPECT_EQ(text, "=1/4");
    EXPECT_TRUE(GetNamedString(&store, "zlog_in1or", &text));
    EXPECT_EQ(text, "3.0");
    EXPECT_TRUE(GetNamedString(&store, "zlog_in2", &text));
    EXPECT_EQ(text, "");
    EXPECT_EQ(store.size(), 3u);  // no stray spelling of a key

    lr::Inputs back;
    back.probabilityInput = false;
    lr::Restore(&store, &back);
    EXPECT_EQ(lr::FieldText(back, lr::kInput1), "3.0");
    back.probabilityInput = true;
    EXPECT_EQ(lr::FieldText(back, lr::kInput1), "=1/4");
    EXPECT_EQ(lr::FieldText(back, lr::kP0), "");
}

TEST(LogisticRegression, SetUpAndTransferNameTheH0Probability) {
    lr::Inputs inputs;
    lr::SetUpFromMainWindow(std::string("0.2"), &inputs);
    EXPECT_EQ(inputs.p0, "0.2");
    lr::SetUpFromMainWindow(std::nullopt, &inputs);
    EXPECT_EQ(inputs.p0, "0.3");
    inputs.p0 = "=0.1+0.1";
    lr::SetUpFromMainWindow(std::string("0.5"), &inputs);
    EXPECT_EQ(inputs.p0, "=0.1+0.1");

    const auto plan = lr::PlanTransfer({0.3, 2.5});
    ASSERT_EQ(plan.writes.size(), 1u);
    EXPECT_EQ(plan.writes[0].label, "Pr(Y=1|X=1) H0");
    EXPECT_EQ(plan.writes[0].value, 0.3);
    EXPECT_EQ(plan.effectSize, 2.5);

    // A test that takes the odds ratio gets the probability as input.
    EXPECT_TRUE(lr::ProbabilityInputFor(true));
    EXPECT_FALSE(lr::ProbabilityInputFor(false));
}

}  // namespace
