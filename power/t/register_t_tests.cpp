#include "power/t/register_t_tests.h"

#include "analysis/catalogue.h"
#include "power/t/power_t_corr.h"
#include "power/t/power_t_generic.h"
#include "power/t/power_t_lin_reg_two_groups.h"
#include "power/t/power_t_lin_regression.h"
#include "power/t/power_t_means.h"
#include "power/t/power_t_one_mean.h"
#include "power/t/power_t_regression_coefficient.h"
#include "power/t/power_t_wilcoxon.h"

namespace {

// The constructors leave every test at its standard values; the catalogue
// shows the prototypes with these starting inputs.
template <class Test>
void Append(const TestMenuItem& item) {
    auto* test = new Test;
    test->SetStandardValues();
    RegisterTest(TTestList, test, item);
}

}  // namespace

void RegisterTTests() {
    // Catalogue order by test id: 202, 211, 209, 208, 210, 204, 201, 203,
    // 207, 205, 206, 200; each further t test takes its place in it, with
    // its item of the Tests menu: command, popup, place in the popup and
    // caption.
    using enum TestMenuPopup;
    Append<PowerTCorr>({32800, kCorrelation, 20, "Correlation: Point biserial model"});
    Append<PowerTLinRegression>(
        {32902, kCorrelation, 70, "Linear bivariate regression: One group, size of slope"});
    Append<PowerTLinReg2Interc>(
        {32906, kCorrelation, 80,
         "Linear bivariate regression: Two groups, difference between intercepts"});
    Append<PowerTLinReg2Slopes>(
        {32905, kCorrelation, 90,
         "Linear bivariate regression: Two groups, difference between slopes"});
    Append<PowerTMRC1Pred>(
        {32908, kCorrelation, 120,
         "Linear multiple regression: Fixed model, single regression coefficient"});
    Append<PowerTPairedMean>({32830, kMeans, 30, "Two dependent groups (matched pairs)"});
    Append<PowerTMeans>({32829, kMeans, 50, "Two independent groups"});
    Append<PowerTOneMean>({32792, kMeans, 10, "One group: Difference from constant"});
    Append<PowerTWilcoxPair>(
        {32898, kMeans, 40, "Two dependent groups (matched pairs): Wilcoxon (non-parametric)"});
    Append<PowerTWilcox1>({32881, kMeans, 20, "One group: Wilcoxon (non-parametric)"});
    Append<PowerTWilcox2>({32882, kMeans, 60, "Two independent groups: Wilcoxon (non-parametric)"});
    // The generic test keeps the values its constructor gave it.
    RegisterTest(TTestList, new PowerTGeneric, {32849, kGeneric, 30, "Generic t"});
}
