// The regression slope panels: every input mode against regressions built
// from their moments in verification/panels (mpmath), the panels' own
// worked values as shown, the checks (with the refusals of inputs that have
// no real regression), the stores and the transfers.

#include "effectsize/regression_slopes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>

#include "analysis/property.h"
#include "effectsize/regression_reference_test_support.h"

namespace {

using namespace effectsize;
using regression::Members;
using regression_reference::Rows;

// A relative tolerance of a few units in the last place of what the table
// states to 20 digits.
void ExpectClose(double actual, double expected, const char* what) {
    EXPECT_NEAR(actual, expected, 4e-15 * std::max(1.0, std::fabs(expected))) << what;
}

void ExpectMembers(const Members& m, const std::vector<double>& row) {
    ExpectClose(m.sdX, row[0], "sd x");
    ExpectClose(m.sdY, row[1], "sd y");
    ExpectClose(m.rho, row[2], "rho");
    ExpectClose(m.slope, row[3], "slope");
    ExpectClose(m.residualSd, row[4], "residual sd");
}

regression::ShownInput Shows(std::set<std::string> labels) {
    return [labels](const std::string& label) { return labels.count(label) > 0; };
}

// Every mode, given the three members it takes from a regression built from
// its moments, gives the other two back.
TEST(OneSlope, EveryModeCompletesTheReferenceRegressions) {
    const auto rows = Rows("slope");
    ASSERT_EQ(rows.size(), 9u);
    for (const auto& row : rows) {
        // The table's order is sd x, sd y, rho, slope, residual sd.
        const int tableColumn[one_slope::kFieldCount] = {3, 4, 0, 1, 2};
        for (int mode = 0; mode < one_slope::kModeCount; ++mode) {
            // The residual SD and sd y say nothing of the slope's sign.
            if (mode == 4 && row.value[2] < 0) continue;
            SCOPED_TRACE("mode " + std::to_string(mode) + ", sd x " + row.text[0] + ", sd y " +
                         row.text[1] + ", rho " + row.text[2]);
            one_slope::Inputs inputs;
            inputs.mode = mode;
            inputs.text.fill("junk");  // only the mode's fields may be read
            for (int field : one_slope::ModeFields(mode))
                inputs.text[field] = row.text[tableColumn[field]];
            ASSERT_FALSE(one_slope::Check(inputs).has_value());
            ExpectMembers(one_slope::Compute(inputs), row.value);
        }
    }
}

TEST(TwoSlopes, EveryModeCompletesBothGroupsAndPoolsByGroupSize) {
    const auto rows = Rows("two_slopes");
    ASSERT_EQ(rows.size(), 5u);
    for (const auto& row : rows) {
        for (int mode = 0; mode < two_slopes::kModeCount; ++mode) {
            SCOPED_TRACE("mode " + std::to_string(mode) + ", row of ratio " + row.text[6]);
            two_slopes::Inputs inputs;
            inputs.mode = mode;
            for (int group = 0; group < 2; ++group) {
                const int g = 3 * group;
                const int o = group * (two_slopes::kSdX2 - two_slopes::kSdX1);
                inputs.text[two_slopes::kSdX1 + o] = row.text[g + 0];
                inputs.text[two_slopes::kSdY1 + o] = row.text[g + 1];
                inputs.text[two_slopes::kRho1 + o] = row.text[g + 2];
                inputs.text[two_slopes::kSlope1 + o] = row.text[7 + group];
                // The member the mode computes must not come from the text.
                inputs.text[two_slopes::ResultField(mode, group)] = "junk";
            }
            inputs.text[two_slopes::kRatio] = row.text[6];
            ASSERT_FALSE(two_slopes::Check(inputs).has_value());
            const two_slopes::Result r = two_slopes::Compute(inputs);
            for (int group = 0; group < 2; ++group) {
                const int g = 3 * group;
                ExpectMembers(r.group[group], {row.value[g], row.value[g + 1], row.value[g + 2],
                                               row.value[7 + group], row.value[9 + group]});
            }
            ExpectClose(r.pooledResidualSd, row.value[11], "pooled residual sd");
            ExpectClose(r.effect, row.value[12], "|slope 1 - slope 2|");
        }
    }
}

TEST(TwoIntercepts, EveryModeCompletesTheRegressionBesideTheIntercepts) {
    const int tableColumn[] = {0, 1, 2, 3};  // sd x, sd y, rho, slope
    for (const auto& row : Rows("slope")) {
        for (int mode = 0; mode < two_intercepts::kModeCount; ++mode) {
            SCOPED_TRACE("mode " + std::to_string(mode) + ", rho " + row.text[2]);
            two_intercepts::Inputs inputs;
            inputs.mode = mode;
            for (int field = two_intercepts::kSdX; field <= two_intercepts::kSlope; ++field)
                inputs.text[field] = "junk";
            for (int field : two_intercepts::ModeFields(mode))
                inputs.text[field] = row.text[tableColumn[field]];
            inputs.text[two_intercepts::kIntercept1] = "1";
            inputs.text[two_intercepts::kIntercept2] = "3";
            ASSERT_FALSE(two_intercepts::Check(inputs).has_value());
            const two_intercepts::Result r = two_intercepts::Compute(inputs);
            ExpectMembers(r.regression, row.value);
            EXPECT_EQ(r.effect, 2.0);
        }
    }
}

// The worked values of the panels, as the panels show them.
TEST(RegressionPanels, WorkedValuesAsShown) {
    using regression::FormatShown;
    struct OneCase {
        int mode;
        std::array<std::string, one_slope::kFieldCount> text;  // slope, ss, sx, sy, rho
        const char* sdY;
        const char* slope;
        const char* rho;
    };
    const OneCase one[] = {
        {0, {"1", "0.3", "1", "1", "0.5"}, "0.3464102", "0.1732051", "0.5"},
        {3, {"1", "0.3", "1", "1", "0.5"}, "1.044031", "1", "0.9578263"},
        {4, {"1", "0.3", "1", "1", "0.5"}, "1", "0.9539392", "0.9539392"},
        {2, {"1", "0.3", "1", "1", "0.999999"}, "1", "0.999999", "0.999999"},
        {2, {"1", "0.3", "1", "1", "-0.999999"}, "1", "-0.999999", "-0.999999"},
    };
    for (const OneCase& c : one) {
        one_slope::Inputs inputs;
        inputs.mode = c.mode;
        inputs.text = c.text;
        ASSERT_FALSE(one_slope::Check(inputs).has_value()) << c.mode;
        const Members m = one_slope::Compute(inputs);
        EXPECT_EQ(FormatShown(m.sdY), c.sdY) << c.mode;
        EXPECT_EQ(FormatShown(m.slope), c.slope) << c.mode;
        EXPECT_EQ(FormatShown(m.rho), c.rho) << c.mode;
    }

    struct TwoCase {
        const char* what;
        int mode;
        const char* ratio;
        std::array<const char*, 2> results;  // 1202 and 1187
        const char* pooled;
        const char* effect;
    };
    const TwoCase two[] = {
        {"defaults", 0, "1", {"0.5", "0.5"}, "0.8660254", "0"},
        // The edits then show the default slopes 1 and 0.5.
        {"mode 1 after the first opening", 1, "1", {"1", "0.5"}, "0.6123724", "0.5"},
        {"mode 2, ratio 1", 2, "1", {"2", "1"}, "1.369306", "0.5"},
        {"mode 2, ratio 3", 2, "3", {"2", "1"}, "1.145644", "0.5"},
    };
    for (const TwoCase& c : two) {
        SCOPED_TRACE(c.what);
        two_slopes::Inputs inputs;
        inputs.mode = c.mode;
        inputs.text[two_slopes::kRatio] = c.ratio;
        ASSERT_FALSE(two_slopes::Check(inputs).has_value());
        two_slopes::Result r = two_slopes::Compute(inputs);
        two_slopes::KeepComputed(r, &inputs);
        for (int group = 0; group < 2; ++group)
            EXPECT_EQ(inputs.text[two_slopes::ResultField(c.mode, group)], c.results[group]);
        EXPECT_EQ(FormatShown(r.pooledResidualSd), c.pooled);
        EXPECT_EQ(FormatShown(r.effect), c.effect);
    }

    struct InterceptCase {
        int mode;
        const char* residual;
        const char* computed;  // the member the mode computes besides the residual SD
        int computedField;
    };
    const InterceptCase intercepts[] = {
        {0, "0.8660254", "0.5", two_intercepts::kSlope},
        {1, "0", "1", two_intercepts::kRho},
        {2, "1.732051", "2", two_intercepts::kSdY},
    };
    for (const InterceptCase& c : intercepts) {
        two_intercepts::Inputs inputs;  // sd x 1, sd y 1, rho 0.5, slope 1
        inputs.mode = c.mode;
        inputs.text[two_intercepts::kIntercept1] = "0.75";
        ASSERT_FALSE(two_intercepts::Check(inputs).has_value()) << c.mode;
        two_intercepts::Result r = two_intercepts::Compute(inputs);
        two_intercepts::KeepComputed(r, &inputs);
        EXPECT_EQ(inputs.text[two_intercepts::kResidualSd], c.residual) << c.mode;
        EXPECT_EQ(inputs.text[c.computedField], c.computed) << c.mode;
        EXPECT_EQ(r.effect, 0.75) << c.mode;  // |intercept 1| while intercept 2 is 0
    }
}

// Values computed in one mode become the inputs of the next.
TEST(OneSlope, AnotherModeStartsFromTheComputedMembers) {
    one_slope::Inputs inputs;  // mode 0: rho 0.5, residual 0.3, sd x 1
    one_slope::KeepComputed(one_slope::Compute(inputs), &inputs);
    EXPECT_EQ(inputs.text[one_slope::kSdY], "0.3464102");
    EXPECT_EQ(inputs.text[one_slope::kSlope], "0.1732051");
    EXPECT_EQ(inputs.text[one_slope::kRho], "0.5");  // typed, kept as typed
    inputs.mode = 4;  // residual, sd x, sd y: back to rho and the slope
    ASSERT_FALSE(one_slope::Check(inputs).has_value());
    const Members m = one_slope::Compute(inputs);
    EXPECT_NEAR(m.rho, 0.5, 1e-6);
    EXPECT_NEAR(m.slope, 0.1732051, 1e-7);
}

TEST(OneSlope, CheckNamesTheFieldAndTheMessage) {
    using namespace one_slope;
    struct Case {
        const char* what;
        int mode;
        std::array<std::string, kFieldCount> text;  // slope, ss, sx, sy, rho
        int field;
        const char* message;
    };
    const Case cases[] = {
        // Mode 0 tests the residual SD, sd x, then rho.
        {"residual SD 1e-12",
         0,
         {"1", "1e-12", "0", "1", "2"},
         kResidualSd,
         regression::kSdMessage},
        {"sd x 0", 0, {"1", "0.3", "0", "1", "2"}, kSdX, regression::kSdMessage},
        {"rho 1", 0, {"1", "0.3", "1", "1", "1"}, kRho, regression::kCorrelationMessage},
        {"rho beyond -0.999999",
         2,
         {"1", "1", "1", "1", "-0.9999991"},
         kRho,
         regression::kCorrelationMessage},
        {"sd y 0 in mode 2", 2, {"1", "1", "1", "0", "0.5"}, kSdY, regression::kSdMessage},
        {"a word", 3, {"1", "one", "1", "1", "0.5"}, kResidualSd, kNotANumberMessage},
        {"an emptied field", 1, {"", "1", "1", "1", "0.5"}, kSlope, kNotANumberMessage},
        // Mended: these have no real regression; they would transfer an
        // infinite, negative or NaN SD.
        {"rho 0 in mode 1",
         1,
         {"1", "1", "1", "1", "0"},
         kRho,
         regression::kOneSlopeSmallCorrelationMessage},
        {"slope against rho",
         1,
         {"-1", "1", "1", "1", "0.5"},
         kSlope,
         regression::kSlopeSignMessage},
        {"residual above sd y",
         4,
         {"1", "1.5", "1", "1", "0.5"},
         kResidualSd,
         regression::kResidualAboveSdYMessage},
        {"sd y overflows",
         0,
         {"1", "1e300", "1e-11", "1", "0.5"},
         kRho,
         regression::kNotFiniteMessage},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Inputs inputs;
        inputs.mode = c.mode;
        inputs.text = c.text;
        const auto error = Check(inputs);
        ASSERT_TRUE(error.has_value());
        EXPECT_EQ(error->field, c.field);
        EXPECT_EQ(error->message, c.message);
    }
}

TEST(TwoSlopesAndIntercepts, CheckNamesTheFieldAndTheMessage) {
    using namespace two_slopes;
    struct Case {
        const char* what;
        int mode;
        std::vector<std::pair<int, const char*>> typed;
        int field;
        std::string message;
    };
    const Case cases[] = {
        {"sd y 2 zero", 0, {{kSdY2, "0"}}, kSdY2, regression::kSdMessage},
        {"rho 1 before sd x 2",
         0,
         {{kRho1, "1"}, {kSdX2, "0"}},
         kRho1,
         regression::kCorrelationMessage},
        {"every text is read before a bound",
         1,
         {{kSdX2, "-1"}, {kSlope1, "x"}},
         kSlope1,
         kNotANumberMessage},
        {"first regression",
         1,
         {{kSdX1, "2"}, {kSlope1, "1"}},
         kSlope1,
         regression::kFirstRegressionMessage},
        {"second regression",
         1,
         {{kSdX2, "2"}, {kSlope2, "-1"}},
         kSlope2,
         regression::kSecondRegressionMessage},
        // Mended: rho 0 divides the slope, a ratio of 0 or below the pooling.
        {"rho 2 zero in mode 2", 2, {{kRho2, "0"}}, kRho2, regression::kSmallCorrelationMessage},
        {"rho 1e-6 in mode 2", 2, {{kRho1, "-1e-6"}}, kRho1, regression::kSmallCorrelationMessage},
        {"slope against rho", 2, {{kSlope2, "-0.5"}}, kSlope2, regression::kSlopeSignMessage},
        {"ratio -1", 0, {{kRatio, "-1"}}, kRatio, regression::kRatioMessage},
        {"ratio 0", 0, {{kRatio, "0"}}, kRatio, regression::kRatioMessage},
        {"ratio emptied", 0, {{kRatio, ""}}, kRatio, kNotANumberMessage},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Inputs inputs;
        inputs.mode = c.mode;
        for (const auto& [field, text] : c.typed) inputs.text[field] = text;
        const auto error = Check(inputs);
        ASSERT_TRUE(error.has_value());
        EXPECT_EQ(error->field, c.field);
        EXPECT_EQ(error->message, c.message);
    }

    namespace ti = two_intercepts;
    const Case intercepts[] = {
        {"sd x 0", 0, {{ti::kSdX, "0"}}, ti::kSdX, regression::kSdMessage},
        {"rho 0.9999991", 0, {{ti::kRho, "0.9999991"}}, ti::kRho, regression::kCorrelationMessage},
        {"intercept typed wrong",
         0,
         {{ti::kIntercept2, "3a"}},
         ti::kIntercept2,
         kNotANumberMessage},
        // Mended as in the two-slopes panel.
        {"rho above 1 from the slope",
         1,
         {{ti::kSdX, "2"}},
         ti::kSlope,
         regression::kFirstRegressionMessage},
        {"rho 0 in mode 2", 2, {{ti::kRho, "0"}}, ti::kRho, regression::kSmallCorrelationMessage},
        {"intercepts overflow",
         0,
         {{ti::kIntercept1, "1e308"}, {ti::kIntercept2, "-1e308"}},
         ti::kIntercept1,
         regression::kNotFiniteMessage},
    };
    for (const Case& c : intercepts) {
        SCOPED_TRACE(c.what);
        ti::Inputs inputs;
        inputs.mode = c.mode;
        for (const auto& [field, text] : c.typed) inputs.text[field] = text;
        const auto error = ti::Check(inputs);
        ASSERT_TRUE(error.has_value());
        EXPECT_EQ(error->field, c.field);
        EXPECT_EQ(error->message, c.message);
    }
}

TEST(RegressionPanels, StoresKeepTextsAndModeUnderTheirKeys) {
    PropertyList store;
    one_slope::Inputs one;
    one.mode = 3;
    one.text = {"2.50", "", "1", "1", "0.5"};
    one_slope::Save(one, &store);
    two_slopes::Inputs two;
    two.mode = 2;
    two.text[two_slopes::kRatio] = "1.75";
    two.text[two_slopes::kSlope2] = "";
    two_slopes::Save(two, &store);
    two_intercepts::Inputs three;
    three.mode = 1;
    three.text[two_intercepts::kIntercept1] = "4.0";
    two_intercepts::Save(three, &store);

    for (const char* key :
         {"lreg_slope",   "lreg_ss",       "lreg_sx",       "lreg_sy",    "lreg_rho",
          "lreg2_slope1", "lreg2_slope2",  "lreg2_ss",      "lreg2_sx1",  "lreg2_sy1",
          "lreg2_rho1",   "lreg2_sx2",     "lreg2_sy2",     "lreg2_rho2", "lreg2_talloc",
          "lreg2i_slope", "lreg2i_inter1", "lreg2i_inter2", "lreg2i_ss",  "lreg2i_sx",
          "lreg2i_sy",    "lreg2i_rho"}) {
        double value = 0.0;
        EXPECT_TRUE(GetNamedDouble(&store, key, &value)) << key;
    }
    long mode = -1;
    EXPECT_TRUE(GetNamedLong(&store, "lreg2_sel", &mode));
    EXPECT_EQ(mode, 2);

    one_slope::Inputs oneBack;
    one_slope::Restore(&store, &oneBack);
    EXPECT_EQ(oneBack.text, one.text);  // "2.50" as typed, the emptied field empty
    EXPECT_EQ(oneBack.mode, 3);
    two_slopes::Inputs twoBack;
    two_slopes::Restore(&store, &twoBack);
    EXPECT_EQ(twoBack.text, two.text);  // the ratio comes back too
    EXPECT_EQ(twoBack.mode, 2);
    two_intercepts::Inputs threeBack;
    two_intercepts::Restore(&store, &threeBack);
    EXPECT_EQ(threeBack.text, three.text);
    EXPECT_EQ(threeBack.mode, 1);

    // Without its mode key a two-group store holds nothing of the panel.
    PropertyList partial;
    SetNamedDouble(&partial, "lreg2_sx1", 7.0);
    SetNamedDouble(&partial, "lreg2i_sx", 7.0);
    two_slopes::Inputs untouched;
    two_slopes::Restore(&partial, &untouched);
    EXPECT_EQ(untouched.text, two_slopes::Inputs{}.text);
    two_intercepts::Inputs alsoUntouched;
    two_intercepts::Restore(&partial, &alsoUntouched);
    EXPECT_EQ(alsoUntouched.text, two_intercepts::Inputs{}.text);
}

TEST(RegressionPanels, FirstOpeningStartsFromTheMainWindow) {
    one_slope::Inputs one;
    one_slope::TakeMainValues({0.25, 2.0, std::nullopt}, &one);
    EXPECT_EQ(one.text[one_slope::kSlope], "0.25");
    EXPECT_EQ(one.text[one_slope::kSdX], "2");
    EXPECT_EQ(one.text[one_slope::kSdY], "1");

    struct Case {
        const char* what;
        two_slopes::MainValues main;
        const char* ratio;
    };
    const Case cases[] = {
        {"sample sizes 20 and 30 say 1.5", {1.0, 2.0, 4.0, 20, 30}, "1.5"},
        {"the ratio without sample sizes", {1.0, 2.0, 4.0, std::nullopt, std::nullopt}, "4"},
        {"a size of 0 is no ratio", {1.0, 2.0, 4.0, 0, 30}, "4"},
        {"neither", {std::nullopt, std::nullopt, std::nullopt, std::nullopt, 30}, "1"},
    };
    for (const Case& c : cases) {
        two_slopes::Inputs two;
        two_slopes::TakeMainValues(c.main, &two);
        EXPECT_EQ(two.text[two_slopes::kRatio], c.ratio) << c.what;
    }

    two_intercepts::Inputs three;
    two_intercepts::TakeMainValues({3.0, 0.6}, &three);
    EXPECT_EQ(three.text[two_intercepts::kSdX], "3");
    EXPECT_EQ(three.text[two_intercepts::kIntercept1], "0.6");
    EXPECT_EQ(three.text[two_intercepts::kIntercept2], "0");
}

TEST(RegressionPanels, TransfersWriteTheShownInputsRoundedThenTheEffect) {
    Members m;
    m.sdX = 1.234567891;
    m.sdY = 0.12345674999;
    m.slope = 0.123456789123;
    const TransferPlan one = one_slope::PlanTransfer(
        m, Shows({"Std dev $\\sigma$_x", "Std dev $\\sigma$_y", "Slope H1"}));
    ASSERT_EQ(one.writes.size(), 2u);
    EXPECT_EQ(one.writes[0].label, "Std dev $\\sigma$_x");
    EXPECT_EQ(one.writes[0].value, 1.2345679);
    EXPECT_EQ(one.writes[1].label, "Std dev $\\sigma$_y");
    EXPECT_EQ(one.writes[1].value, 0.1234567);
    EXPECT_EQ(one.effectSize, 0.123456789123);  // the effect size is not rounded
    EXPECT_TRUE(one_slope::PlanTransfer(m, Shows({})).writes.empty());

    two_slopes::Result r;
    r.group[0].sdX = 1.5;
    r.group[1].sdX = 2.000000049;
    r.pooledResidualSd = 0.61237243569;
    r.ratio = 1.5;
    r.effect = 0.5;
    const TransferPlan all = two_slopes::PlanTransfer(
        r, Shows({"Std dev $\\sigma$_x1", "Std dev $\\sigma$_x2", "Std dev residual $\\sigma$",
                  "Allocation ratio N2/N1"}));
    ASSERT_EQ(all.writes.size(), 4u);
    const std::pair<const char*, double> order[] = {{"Std dev $\\sigma$_x1", 1.5},
                                                    {"Std dev $\\sigma$_x2", 2.0},
                                                    {"Std dev residual $\\sigma$", 0.6123724},
                                                    {"Allocation ratio N2/N1", 1.5}};
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(all.writes[i].label, order[i].first);
        EXPECT_EQ(all.writes[i].value, order[i].second);
    }
    EXPECT_EQ(all.effectSize, 0.5);
    // A main window with the residual SD but neither SD of x.
    const TransferPlan some = two_slopes::PlanTransfer(r, Shows({"Std dev residual $\\sigma$"}));
    ASSERT_EQ(some.writes.size(), 1u);
    EXPECT_EQ(some.writes[0].label, "Std dev residual $\\sigma$");

    two_intercepts::Result i;
    i.regression.sdX = 1.0;
    i.regression.residualSd = 1.7320508;
    i.effect = 2.0;
    const TransferPlan intercepts = two_intercepts::PlanTransfer(
        i, Shows({"Std dev $\\sigma$_x1", "Std dev $\\sigma$_x2", "Std dev residual $\\sigma$"}));
    ASSERT_EQ(intercepts.writes.size(), 2u);  // never the second SD of x
    EXPECT_EQ(intercepts.writes[0].label, "Std dev $\\sigma$_x1");
    EXPECT_EQ(intercepts.writes[1].label, "Std dev residual $\\sigma$");
    EXPECT_EQ(intercepts.writes[1].value, 1.7320508);
    EXPECT_EQ(intercepts.effectSize, 2.0);
}

TEST(RegressionPanels, TransferKeepsValuesThatSevenDecimalsCannotRound) {
    // 1e308 scaled by 1e7 overflows, and 4e-8 rounds to 0: both go as they
    // are, so that an SD or a ratio stays finite and above 0.
    const std::pair<double, double> cases[] = {
        {1e308, 1e308}, {1e20, 1e20}, {4e-8, 4e-8}, {1e-320, 1e-320}, {1.23456789e-7, 1e-7}};
    for (const auto& [value, written] : cases) {
        two_slopes::Result r;
        r.group[0].sdX = r.group[1].sdX = r.pooledResidualSd = r.ratio = value;
        const TransferPlan plan = two_slopes::PlanTransfer(
            r, Shows({"Std dev $\\sigma$_x1", "Std dev $\\sigma$_x2", "Std dev residual $\\sigma$",
                      "Allocation ratio N2/N1"}));
        ASSERT_EQ(plan.writes.size(), 4u);
        for (const auto& write : plan.writes) EXPECT_EQ(write.value, written) << value;
    }
}

}  // namespace
