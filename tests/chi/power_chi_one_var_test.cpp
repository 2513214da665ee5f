// The test of one variance against a constant through the calculation path
// of the main window.

#include "tests/chi/power_chi_one_var.h"

#include <gtest/gtest.h>

#include <memory>

#include "analysis/calculation_test_support.h"

namespace {

using calc_test::Calculate;
using calc_test::OutputValue;
using namespace calc_test::label;

const char* const kReferenceTable = "verification/f_designs/cases.tsv";

// Reference values: verification/f_designs/reference.R (central chi-square
// in R). Among them, for the ratio 1.5 at alpha 0.05 and power 0.95: N = 134
// one tailed, 159 two tailed.
TEST(OneVariance, AgreesWithRInEveryAnalysisType) {
    calc_test::ExpectReferenceCases(
        kReferenceTable, kVarianceTestId, [] { return std::make_unique<PowerChiOneVar>(); }, 16);
}

}  // namespace
