#include "power/f/register_f_tests.h"

#include "analysis/catalogue.h"
#include "power/f/power_f_anova_global.h"
#include "power/f/power_f_anova_special.h"
#include "power/f/power_f_generic.h"
#include "power/f/power_f_hotelling.h"
#include "power/f/power_f_multivariate.h"
#include "power/f/power_f_regression.h"
#include "power/f/power_f_repeated.h"
#include "power/f/power_f_two_var.h"

void RegisterFTests() {
    // Catalogue order by test id: 116, 101, 102, 108, 109, 110, 106, 107,
    // 114, 115, 111, 112, 113, 103, 104, 105, 100.
    FTestList.push_back(new PowerFAncova);
    FTestList.push_back(new PowerFAnovaGlobal);
    FTestList.push_back(new PowerFAnovaSpecial);
    FTestList.push_back(new PowerFRepMBetween);
    FTestList.push_back(new PowerFRepMWithin);
    FTestList.push_back(new PowerFRepMInteraction);
    FTestList.push_back(new PowerFHotellingT2One);
    FTestList.push_back(new PowerFHotellingT2Two);
    FTestList.push_back(new PowerFManovaGlobal);
    FTestList.push_back(new PowerFManovaSpecial);
    FTestList.push_back(new PowerFRepMMultiBetween);
    FTestList.push_back(new PowerFRepMMultiWithin);
    FTestList.push_back(new PowerFRepMMultiInter);
    FTestList.push_back(new PowerFMRCGlobal);
    FTestList.push_back(new PowerFMRCSpecial);
    FTestList.push_back(new PowerFTwoVar);
    // The generic test closes the family.
    FTestList.push_back(new PowerFGeneric);
}
