// The correlation panels' formulas against the mpmath table of
// verification/panels, their checks, their stores (formulas stay formulas)
// and the set-up and transfer of the dependent-correlations panel.

#include "effectsize/correlations.h"

#include <gtest/gtest.h>

#include <cmath>

#include "analysis/property.h"
#include "effectsize/effect_size_table_test_support.h"

namespace {

using effectsize::FieldError;
using effectsize::kNotANumberMessage;
namespace det = effectsize::determination;
namespace two = effectsize::two_correlations;
namespace dep = effectsize::dependent_correlations;

TEST(Determination, RootOfR2AndItsOpenRange) {
    for (const auto& row : effectsize_test::ReferenceRows("r_from_r2")) {
        const det::Inputs inputs{row.text[0]};
        ASSERT_FALSE(det::Check(inputs).has_value()) << row.text[0];
        EXPECT_NEAR(det::ComputeR(inputs), row.expected, 2e-16 * row.expected) << row.text[0];
    }
    for (const char* bad : {"1e-12", "0.999999999999", "0", "1", "-0.25"}) {
        const auto error = det::Check({bad});
        ASSERT_TRUE(error.has_value()) << bad;
        EXPECT_EQ(error->field, det::kR2);
        EXPECT_EQ(error->message, det::kRangeMessage);
    }
    EXPECT_EQ(det::Check({"half"})->message, kNotANumberMessage);
}

TEST(TwoCorrelations, CohensQAgainstReference) {
    const auto rows = effectsize_test::ReferenceRows("q");
    ASSERT_EQ(rows.size(), 4u);
    for (const auto& row : rows) {
        const two::Inputs inputs{{row.text[0], row.text[1]}};
        ASSERT_FALSE(two::Check(inputs).has_value()) << row.text[0];
        EXPECT_NEAR(two::ComputeQ(inputs), row.expected, 1e-15 * std::fabs(row.expected))
            << row.text[0] << " " << row.text[1];
    }
    // The defaults, as the panel shows them.
    EXPECT_NEAR(two::ComputeQ(two::Inputs{}), -0.2397865, 5e-8);
}

TEST(TwoCorrelations, EachCorrelationChecksItsOwnField) {
    struct Case {
        two::Inputs inputs;
        int field;
        const char* message;
    };
    const Case cases[] = {
        {{{"0.9999999999", "0.5"}}, two::kR1, two::kR1Message},
        {{{"-1", "0.5"}}, two::kR1, two::kR1Message},
        {{{"0.3", "-0.9999999999"}}, two::kR2, two::kR2Message},
        {{{"0.3", "2"}}, two::kR2, two::kR2Message},
        {{{"0.3", ""}}, two::kR2, kNotANumberMessage},
    };
    for (const Case& c : cases) {
        const auto error = two::Check(c.inputs);
        ASSERT_TRUE(error.has_value()) << c.inputs.text[0] << " " << c.inputs.text[1];
        EXPECT_EQ(error->field, c.field);
        EXPECT_EQ(error->message, c.message);
    }
}

TEST(DependentCorrelations, RacAgainstReferenceAndFormulas) {
    const auto rows = effectsize_test::ReferenceRows("rac");
    ASSERT_EQ(rows.size(), 5u);
    for (const auto& row : rows) {
        dep::Result result;
        ASSERT_FALSE(dep::Compute({{row.text[0], row.text[1]}}, &result).has_value());
        EXPECT_EQ(result.rab, row.in[0]);
        EXPECT_NEAR(result.rac, row.expected, 1e-15) << row.text[0] << " q " << row.text[1];
    }
    // Formulas are evaluated: r_ab = 0.6/2, q = 2/2 are the defaults again.
    dep::Result result;
    ASSERT_FALSE(dep::Compute({{"=0.6/2", "=2/2"}}, &result).has_value());
    EXPECT_NEAR(result.rac, -0.5982905, 5e-8);
    EXPECT_NEAR(result.rab, 0.3, 1e-16);
}

TEST(DependentCorrelations, ErrorsNameTheirField) {
    struct Case {
        dep::Inputs inputs;
        int field;
        std::string message;  // empty: any evaluator message
    };
    const Case cases[] = {
        {{{"1", "1"}}, dep::kRab, two::kR1Message},
        {{{"=-2+1", "1"}}, dep::kRab, two::kR1Message},
        {{{"0.3x", "1"}}, dep::kRab, ""},
        {{{"0.3", "=1+"}}, dep::kQ, ""},
        {{{"0.3", ""}}, dep::kQ, kNotANumberMessage},
        {{{"0.3", "=1e308*10"}}, dep::kQ, ""},
    };
    for (const Case& c : cases) {
        dep::Result result{-7.0, -7.0};
        const auto error = dep::Compute(c.inputs, &result);
        ASSERT_TRUE(error.has_value()) << c.inputs.text[0] << " / " << c.inputs.text[1];
        EXPECT_EQ(error->field, c.field);
        if (!c.message.empty()) {
            EXPECT_EQ(error->message, c.message);
        }
        EXPECT_FALSE(error->message.empty());
        EXPECT_EQ(result.rac, -7.0);  // nothing computed
    }
}

TEST(DependentCorrelations, StoreSetUpAndTransfer) {
    PropertyList store;
    dep::Save({{"=0.1*3", ""}}, &store);
    std::string text;
    EXPECT_TRUE(GetNamedString(&store, "z2dc_corr1", &text));
    EXPECT_EQ(text, "=0.1*3");
    EXPECT_TRUE(GetNamedString(&store, "z2dc_effq", &text));
    EXPECT_EQ(text, "");  // an emptied field is kept empty
    dep::Inputs back;
    dep::Restore(&store, &back);
    EXPECT_EQ(back.text[dep::kRab], "=0.1*3");
    EXPECT_EQ(back.text[dep::kQ], "");

    // The set-up copies the main window's r_ab, or 0.3, but leaves a formula.
    dep::SetUpFromMainWindow(std::string("0.45"), &back);
    EXPECT_EQ(back.text[dep::kRab], "=0.1*3");
    dep::Inputs plain;
    dep::SetUpFromMainWindow(std::string("0.45"), &plain);
    EXPECT_EQ(plain.text[dep::kRab], "0.45");
    dep::SetUpFromMainWindow(std::nullopt, &plain);
    EXPECT_EQ(plain.text[dep::kRab], "0.3");

    const auto plan = dep::PlanTransfer({0.3, -0.5982905});
    ASSERT_EQ(plan.writes.size(), 1u);
    EXPECT_EQ(plan.writes[0].label, "H0 corr $\\rho$_ab");
    EXPECT_EQ(plan.writes[0].value, 0.3);
    EXPECT_TRUE(plan.writes[0].question.empty());
    EXPECT_LT(plan.writes[0].skipWithin, 0.0);
    EXPECT_EQ(plan.effectSize, -0.5982905);
}

TEST(DeterminationAndTwoCorrelations, StoreRoundTrip) {
    PropertyList store;
    det::Save({"0.250"}, det::kExactKey, &store);
    det::Save({""}, det::kPointBiserialKey, &store);
    two::Save({{"-0.1", "0.30"}}, &store);
    double value = 0.0;
    for (const char* key : {"exco_r2", "tco_r2", "z2c_corr1", "z2c_corr2"})
        EXPECT_TRUE(GetNamedDouble(&store, key, &value)) << key;
    det::Inputs exact, biserial;
    det::Restore(&store, det::kExactKey, &exact);
    det::Restore(&store, det::kPointBiserialKey, &biserial);
    EXPECT_EQ(exact.r2, "0.250");
    EXPECT_EQ(biserial.r2, "");
    two::Inputs two;
    two::Restore(&store, &two);
    EXPECT_EQ(two.text, (std::array<std::string, 2>{"-0.1", "0.30"}));
}

}  // namespace
