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
void Append() {
    ExactTestList.push_back(new Test);
}

}  // namespace

void RegisterExactTests() {
    // Catalogue order by test id: 605, 611, 602, 604, 606, 607, 608, 603,
    // 601; each further exact test takes its place in it.
    Append<PowerExactOneCorr>();
    Append<PowerExactMRC>();
    Append<PowerExactBinomialOneProp>();
    Append<PowerExactMcNemar>();
    Append<PowerExactFisherTwoProp>();
    Append<PowerExactUncTwoPropNull>();
    Append<PowerExactUncTwoPropOffset>();
    Append<PowerExactBinomialSign>();
    // The generic test closes the family.
    Append<PowerExactBinomial>();
}
