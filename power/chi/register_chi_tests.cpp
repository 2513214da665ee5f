#include "power/chi/register_chi_tests.h"

#include "analysis/catalogue.h"
#include "power/chi/power_chi_cont.h"
#include "power/chi/power_chi_generic.h"
#include "power/chi/power_chi_one_var.h"

void RegisterChiTests() {
    ChiTestList.push_back(new PowerChiCont);
    ChiTestList.push_back(new PowerChiOneVar);
    // The generic test closes the family.
    ChiTestList.push_back(new PowerChiGeneric);
}
