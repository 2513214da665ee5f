// Hotelling's T^2 tests through the calculation path of the main window.

#include "tests/f/power_f_hotelling.h"

#include <gtest/gtest.h>

#include <memory>

#include "analysis/calculation_test_support.h"

namespace {

using calc_test::Calculate;
using calc_test::OutputValue;
using namespace calc_test::label;

const char* const kReferenceTable = "verification/f_designs/cases.tsv";

// Reference values: verification/f_designs/reference.R (noncentral F in R).
// Among them, at alpha 0.05 and power 0.95 with 2 responses: one group
// N = 65 for Delta = 0.5 and 690 for 0.15; two groups 126 + 126 for 0.5,
// and Post hoc with 50 + 50: df 2 and 97, lambda 6.25, power 0.5885389.
TEST(Hotelling, AgreesWithRInEveryAnalysisType) {
    calc_test::ExpectReferenceCases(
        kReferenceTable, kHotellingOneGroupTestId,
        [] { return std::make_unique<PowerFHotellingT2One>(); }, 9);
    calc_test::ExpectReferenceCases(
        kReferenceTable, kHotellingTwoGroupsTestId,
        [] { return std::make_unique<PowerFHotellingT2Two>(); }, 9);
}

}  // namespace
