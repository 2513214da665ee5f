#include "power/chi/register_chi_tests.h"

#include "analysis/catalogue.h"
#include "power/chi/power_chi_cont.h"
#include "power/chi/power_chi_generic.h"
#include "power/chi/power_chi_one_var.h"

namespace {

// The constructors leave every test at its standard values.
template <class Test>
void Append(const TestMenuItem& item) {
    RegisterTest(ChiTestList, new Test, item);
}

}  // namespace

void RegisterChiTests() {
    // Catalogue order by test id: 401, 402, 400; each test with its item of
    // the Tests menu: command, popup, place in the popup and caption.
    using enum TestMenuPopup;
    Append<PowerChiCont>({32826, kProportions, 80, "Multigroup: Goodness-of-Fit"});
    Append<PowerChiOneVar>({32798, kVariances, 10, "One group"});
    // The generic test closes the family.
    Append<PowerChiGeneric>({32853, kGeneric, 40, "Generic Chi²"});
}
