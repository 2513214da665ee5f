// The ANOVA of main effects and interactions and the ANCOVA through the
// calculation path of the main window.

#include "tests/f/power_f_anova_special.h"

#include <gtest/gtest.h>

#include <memory>

#include "analysis/calculation_test_support.h"

namespace {

using calc_test::Calculate;
using calc_test::OutputValue;
using namespace calc_test::label;

const char* const kReferenceTable = "verification/f_designs/cases.tsv";

// Reference values: verification/f_designs/reference.R (noncentral F in R).
// Among them, for f = 0.25, numerator df 4 and 10 groups at alpha 0.05 and
// power 0.95: N = 303; with no covariate the ANCOVA gives the same.
TEST(AnovaSpecial, AgreesWithRInEveryAnalysisType) {
    calc_test::ExpectReferenceCases(
        kReferenceTable, kAnovaSpecialTestId, [] { return std::make_unique<PowerFAnovaSpecial>(); },
        8);
    calc_test::ExpectReferenceCases(
        kReferenceTable, kAncovaTestId, [] { return std::make_unique<PowerFAncova>(); }, 10);
}

}  // namespace
