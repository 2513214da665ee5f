// Every analysis type of the generic z test, the two-proportion test (with
// each of its options) and the two-correlation test against
// verification/z_tests/z_tests_reference.tsv (R's pnorm and qnorm, checked
// against pwr and power.prop.test): each case runs through the input list,
// Calculate and the output list like the main window, and every output
// shown must carry the reference value to the seven digits it displays.

#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>

#include "analysis/calculation_test_support.h"
#include "power/z/power_z_generic.h"
#include "power/z/power_z_two_corr.h"
#include "power/z/power_z_two_prop.h"

namespace {

const char kTable[] = "verification/z_tests/z_tests_reference.tsv";

// The options a row of the two-proportion test names in its "opt" entry,
// joined by "+": arcsin, cc (continuity correction), plot (the d scale) and
// h (effect size h as input).
void SetOptions(PowerZTwoProp& test, const std::string& options) {
    std::stringstream names(options);
    std::string name;
    while (std::getline(names, name, '+')) {
        if (name == "arcsin") {
            test.arcsinTransform = true;
        } else if (name == "cc") {
            test.continuityCorrection = true;
        } else if (name == "plot") {
            test.plotNormal = true;
        } else if (name == "h") {
            test.inputProportions = false;
        } else {
            ADD_FAILURE() << "unknown option " << name;
        }
    }
}

template <class Test>
void RunCases(TestId id, size_t minimumRows) {
    const auto cases = calc_test::ReadReferenceCases(kTable, id);
    ASSERT_GE(cases.size(), minimumRows) << kTable << " missing or short";
    for (calc_test::ReferenceCase c : cases) {
        Test test;
        if (const auto opt = c.inputs.find("opt"); opt != c.inputs.end()) {
            if constexpr (std::is_same_v<Test, PowerZTwoProp>) SetOptions(test, opt->second);
            c.inputs.erase(opt);
        }
        const auto run = calc_test::Calculate(test, c.type, c.inputs);
        SCOPED_TRACE(c.line);
        ASSERT_EQ(run->status, c.status) << run->message;
        EXPECT_EQ(run->message, "");
        // The case names every input of the list and every output shown.
        EXPECT_EQ(run->inputs.size(), c.inputs.size());
        EXPECT_EQ(run->outputs.size(), c.outputs.size());
        for (const auto& [key, expected] : c.outputs) {
            calc_test::ExpectOutput(run->outputs, calc_test::Label(test, key), expected, key);
        }
    }
}

TEST(ZReferenceCases, GenericZ) {
    RunCases<PowerZGeneric>(kGenericZTestId, 15);
}

TEST(ZReferenceCases, TwoProportions) {
    RunCases<PowerZTwoProp>(kTwoProportionsTestId, 40);
}

TEST(ZReferenceCases, TwoCorrelations) {
    RunCases<PowerZTwoCorr>(kTwoCorrelationsTestId, 15);
}

// Compromise at alpha and beta far below 1e-16, where 1 - power is 0
// (verification/small_tails, mpmath at 40 digits, with seeded random
// cases): two proportions 0.251 and 0.702 with 626 + 3454, one tail, q
// 0.256 need alpha 1.356875e-29 at critical z 11.23601; the generic test
// with mu 40 has no alpha down to 1e-99.
TEST(ZReferenceCases, CompromiseAtSmallAlphaAndBeta) {
    const char table[] = "verification/small_tails/z_reference.tsv";
    calc_test::ExpectReferenceCases(
        table, kGenericZTestId, [] { return std::make_unique<PowerZGeneric>(); }, 3);
    calc_test::ExpectReferenceCases(
        table, kTwoProportionsTestId, [] { return std::make_unique<PowerZTwoProp>(); }, 4);
    calc_test::ExpectReferenceCases(
        table, kTwoCorrelationsTestId, [] { return std::make_unique<PowerZTwoCorr>(); }, 3);
}

// A priori at the lower end of the search: at the allocation ratio 3 the
// rounded split of 14 already gives 4 + 10 (verification/smallest_n, R, by
// a scan over every total).
TEST(ZReferenceCases, TwoCorrelationsAPrioriFindsTheSmallestAdmissibleTotal) {
    calc_test::ExpectReferenceCases(
        "verification/smallest_n/cases.tsv", kTwoCorrelationsTestId,
        [] { return std::make_unique<PowerZTwoCorr>(); }, 2);
}

}  // namespace
