#include "tests/f/register_f_tests.h"

#include "analysis/catalogue.h"
#include "tests/f/power_f.h"
#include "tests/f/power_f_anova_global.h"

void RegisterFTests() {
    FTestList.push_back(new PowerFAnovaGlobal);
    // The generic test closes the family.
    FTestList.push_back(new PowerF(10.0, 20.0, 0.0));
}
