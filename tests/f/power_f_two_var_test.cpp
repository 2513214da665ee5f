// The test of two variances through the calculation path of the main
// window.

#include "tests/f/power_f_two_var.h"

#include <gtest/gtest.h>

#include <memory>

#include "analysis/calculation_test_support.h"

namespace {

using calc_test::Calculate;
using calc_test::OutputValue;
using namespace calc_test::label;

const char* const kReferenceTable = "verification/f_designs/cases.tsv";

// Reference values: verification/f_designs/reference.R (central F in R).
// Among them, for the ratio 1.5 at alpha 0.05 and power 0.95: 266 + 266 one
// tailed, 319 + 319 two tailed; Post hoc with 10 + 21: power 0.1837597.
TEST(TwoVariances, AgreesWithRInEveryAnalysisType) {
    calc_test::ExpectReferenceCases(
        kReferenceTable, kVarianceRatioTestId, [] { return std::make_unique<PowerFTwoVar>(); }, 20);
}

}  // namespace
