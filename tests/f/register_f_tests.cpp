#include "tests/f/register_f_tests.h"

#include "analysis/catalogue.h"
#include "tests/f/power_f.h"
#include "tests/f/power_f_anova_global.h"
#include "tests/f/power_f_multivariate.h"

void RegisterFTests() {
    // Catalogue order by test id: 116, 101, 102, 108, 109, 110, 106, 107,
    // 114, 115, 111, 112, 113, 103, 104, 105, 100.
    FTestList.push_back(new PowerFAnovaGlobal);
    FTestList.push_back(new PowerFManovaGlobal);
    FTestList.push_back(new PowerFManovaSpecial);
    FTestList.push_back(new PowerFRepMMultiBetween);
    FTestList.push_back(new PowerFRepMMultiWithin);
    FTestList.push_back(new PowerFRepMMultiInter);
    // The generic test closes the family.
    FTestList.push_back(new PowerF(10.0, 20.0, 0.0));
}
