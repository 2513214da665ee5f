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

namespace {

// The constructors leave every test at its standard values.
template <class Test>
void Append(const TestMenuItem& item) {
    RegisterTest(FTestList, new Test, item);
}

}  // namespace

void RegisterFTests() {
    // Catalogue order by test id: 116, 101, 102, 108, 109, 110, 106, 107,
    // 114, 115, 111, 112, 113, 103, 104, 105, 100; each test with its item
    // of the Tests menu: command, popup, place in the popup and caption.
    using enum TestMenuPopup;
    Append<PowerFAncova>({32815, kMeans, 70, "Many groups: ANCOVA: Main effects and interactions"});
    Append<PowerFAnovaGlobal>(
        {32817, kMeans, 80, "Many groups: ANOVA: One-way (one independent variable)"});
    Append<PowerFAnovaSpecial>(
        {32818, kMeans, 90,
         "Many groups: ANOVA: Main effects and interactions (two or more independent variables)"});
    Append<PowerFRepMBetween>(
        {32839, kMeans, 100, "Repeated measures: Between factors, ANOVA-approach"});
    Append<PowerFRepMWithin>(
        {32841, kMeans, 120, "Repeated measures: Within factors, ANOVA-approach"});
    Append<PowerFRepMInteraction>(
        {32845, kMeans, 140, "Repeated measures: Within-between interactions, ANOVA-approach"});
    Append<PowerFHotellingT2One>({32831, kMeans, 160, "Multivariate: Hotelling T², one group"});
    Append<PowerFHotellingT2Two>({32832, kMeans, 170, "Multivariate: Hotelling T², two groups"});
    Append<PowerFManovaGlobal>({32858, kMeans, 180, "Multivariate: MANOVA: Global effects"});
    Append<PowerFManovaSpecial>(
        {32860, kMeans, 190, "Multivariate: MANOVA: Special effects and interactions"});
    Append<PowerFRepMMultiBetween>(
        {32840, kMeans, 110, "Repeated measures: Between factors, MANOVA-approach"});
    Append<PowerFRepMMultiWithin>(
        {32842, kMeans, 130, "Repeated measures: Within factors, MANOVA-approach"});
    Append<PowerFRepMMultiInter>(
        {32846, kMeans, 150, "Repeated measures: Within-between interactions, MANOVA-approach"});
    Append<PowerFMRCGlobal>({32833, kCorrelation, 100,
                             "Linear multiple regression: Fixed model, R² deviation from zero"});
    Append<PowerFMRCSpecial>(
        {32834, kCorrelation, 110, "Linear multiple regression: Fixed model, R² increase"});
    Append<PowerFTwoVar>({32799, kVariances, 20, "Two groups"});
    // The generic test closes the family.
    Append<PowerFGeneric>({32848, kGeneric, 20, "Generic F"});
}
