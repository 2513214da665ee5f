// Every analysis type of the point-biserial, single-coefficient, one-slope
// and two-regression t tests against verification/t_regression/cases.tsv
// (R's noncentral t, checked again with SciPy): each case runs through the
// input list, Calculate and the output list like the main window, and every
// output shown must carry the reference value to the seven digits it
// displays.

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <set>

#include "analysis/calculation_test_support.h"
#include "power/t/power_t_corr.h"
#include "power/t/power_t_lin_reg_two_groups.h"
#include "power/t/power_t_lin_regression.h"
#include "power/t/power_t_regression_coefficient.h"

namespace {

const char kTable[] = "verification/t_regression/cases.tsv";

struct Family {
    int id;
    std::function<std::unique_ptr<PowerAnalysis>()> make;
};

TEST(TRegressionReferenceCases, EveryOutputMatchesTheReference) {
    const Family families[] = {
        {202, [] { return std::make_unique<PowerTCorr>(); }},
        {210, [] { return std::make_unique<PowerTMRC1Pred>(); }},
        {211, [] { return std::make_unique<PowerTLinRegression>(); }},
        {208, [] { return std::make_unique<PowerTLinReg2Slopes>(); }},
        {209, [] { return std::make_unique<PowerTLinReg2Interc>(); }},
    };
    for (const Family& family : families) {
        std::vector<calc_test::ReferenceCase> cases =
            calc_test::ReadReferenceCases(kTable, family.id);
        ASSERT_GE(cases.size(), 9u) << kTable << " missing or short for " << family.id;
        std::set<AnalysisType> types;
        for (calc_test::ReferenceCase& c : cases) {
            // The table writes the search direction of a slope as < or >.
            if (auto it = c.inputs.find("dir"); it != c.inputs.end())
                it->second = "Slope " + it->second + " H0";
            auto test = family.make();
            const auto run = calc_test::Calculate(*test, c.type, c.inputs);
            ASSERT_EQ(run->status, c.status) << c.line << "\n" << run->message;
            // The case names every input of the list and every output.
            EXPECT_EQ(run->inputs.size(), c.inputs.size()) << c.line;
            EXPECT_EQ(run->outputs.size(), c.outputs.size()) << c.line;
            for (const auto& [key, expected] : c.outputs)
                calc_test::ExpectOutput(run->outputs, run->LabelOf(key), expected, c.line);
            types.insert(c.type);
        }
        EXPECT_EQ(types.size(), 5u) << family.id;
    }
}

// Compromise of the slope test at alpha far below 1e-16, and a slope with
// no alpha down to 1e-99 (verification/small_tails, mpmath): beta is summed
// on its own side, never taken as 1 - power, which is 0 there.
TEST(TRegressionReferenceCases, SlopeCompromiseAtSmallAlphaAndBeta) {
    calc_test::ExpectReferenceCases(
        "verification/small_tails/t_family_reference.tsv", kOneSlopeTestId,
        [] { return std::make_unique<PowerTLinRegression>(); }, 4);
}

}  // namespace
