// Multiple regression, fixed model, through the calculation path of the
// main window.

#include "tests/f/power_f_regression.h"

#include <gtest/gtest.h>

#include <memory>

#include "analysis/calculation_test_support.h"

namespace {

using calc_test::Calculate;
using calc_test::OutputValue;
using namespace calc_test::label;

const char* const kReferenceTable = "verification/f_designs/cases.tsv";

// Reference values: verification/f_designs/reference.R (noncentral F in R,
// with lambda = f^2 N). Among them, for f^2 = 0.15 at alpha 0.05 and power
// 0.95: N = 138 for R^2 of 5 predictors, N = 107 for the increase by 2 of
// 5; Post hoc with N = 100 for the increase: lambda 15, df 2 and 94, power
// 0.9368801.
TEST(RegressionFixedModel, AgreesWithRInEveryAnalysisType) {
    calc_test::ExpectReferenceCases(
        kReferenceTable, kRegressionR2TestId, [] { return std::make_unique<PowerFMRCGlobal>(); },
        9);
    calc_test::ExpectReferenceCases(
        kReferenceTable, kRegressionR2IncreaseTestId,
        [] { return std::make_unique<PowerFMRCSpecial>(); }, 7);
}

}  // namespace
