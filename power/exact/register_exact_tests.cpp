#include "power/exact/register_exact_tests.h"

#include "analysis/catalogue.h"
#include "power/exact/power_exact_binomial.h"
#include "power/exact/power_exact_correlation.h"
#include "power/exact/power_exact_fisher.h"
#include "power/exact/power_exact_mcnemar.h"
#include "power/exact/power_exact_proportion.h"
#include "power/exact/power_exact_uncond_null.h"
#include "power/exact/power_exact_uncond_offset.h"

namespace {

// The constructors leave every test at its standard values.
template <class Test>
void Append(const TestMenuItem& item) {
    RegisterTest(ExactTestList, new Test, item);
}

}  // namespace

void RegisterExactTests() {
    // Catalogue order by test id: 605, 611, 602, 604, 606, 607, 608, 603,
    // 601; each further exact test takes its place in it, with its item of
    // the Tests menu: command, popup, place in the popup and caption.
    using enum TestMenuPopup;
    Append<PowerExactOneCorr>({32801, kCorrelation, 10, "Correlation: Bivariate normal model"});
    Append<PowerExactMRC>({32909, kCorrelation, 130, "Linear multiple regression: Random model"});
    Append<PowerExactBinomialOneProp>(
        {32807, kProportions, 10, "One group: Difference From Constant"});
    Append<PowerExactMcNemar>(
        {32856, kProportions, 30, "Two dependent groups: Inequality, McNemar test"});
    Append<PowerExactFisherTwoProp>(
        {32870, kProportions, 40, "Two independent groups: Inequality, Fisher's exact test"});
    Append<PowerExactUncTwoPropNull>(
        {32866, kProportions, 50, "Two independent groups: Inequality, unconditional exact"});
    Append<PowerExactUncTwoPropOffset>(
        {32869, kProportions, 60,
         "Two independent groups: Inequality with offset, unconditional exact"});
    Append<PowerExactBinomialSign>({32808, kProportions, 20, "One group: Sign Test"});
    // The generic test closes the family.
    Append<PowerExactBinomial>({32855, kGeneric, 10, "Generic binomial test"});
}
