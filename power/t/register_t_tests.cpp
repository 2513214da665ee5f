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
void Append() {
    auto* test = new Test;
    test->SetStandardValues();
    TTestList.push_back(test);
}

}  // namespace

void RegisterTTests() {
    // Catalogue order by test id: 202, 211, 209, 208, 210, 204, 201, 203,
    // 207, 205, 206, 200; each further t test takes its place in it.
    Append<PowerTCorr>();
    Append<PowerTLinRegression>();
    Append<PowerTLinReg2Interc>();
    Append<PowerTLinReg2Slopes>();
    Append<PowerTMRC1Pred>();
    Append<PowerTPairedMean>();
    Append<PowerTMeans>();
    Append<PowerTOneMean>();
    Append<PowerTWilcoxPair>();
    Append<PowerTWilcox1>();
    Append<PowerTWilcox2>();
    // The generic test keeps the values its constructor gave it.
    TTestList.push_back(new PowerTGeneric);
}
