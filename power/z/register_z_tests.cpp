#include "power/z/register_z_tests.h"

#include "analysis/catalogue.h"
#include "power/z/power_z_generic.h"
#include "power/z/power_z_logistic_regress.h"
#include "power/z/power_z_poisson_regress.h"
#include "power/z/power_z_tetrachoric_corr.h"
#include "power/z/power_z_two_corr.h"
#include "power/z/power_z_two_dep_corr.h"
#include "power/z/power_z_two_prop.h"

namespace {

// The constructors leave every test at its standard values; the catalogue
// shows the prototypes with these starting inputs.
template <class Test>
void Append(const TestMenuItem& item) {
    auto* test = new Test;
    test->SetStandardValues();
    RegisterTest(ZTestList, test, item);
}

}  // namespace

void RegisterZTests() {
    // Catalogue order by test id: 309, 306, 307, 302, 310, 308, 301, 300;
    // each further z test takes its place in it, with its item of the
    // Tests menu: command, popup, place in the popup and caption.
    using enum TestMenuPopup;
    Append<PowerZTetrachoricCorr>({32907, kCorrelation, 30, "Correlation: Tetrachoric model"});
    Append<PowerZTwoDepCorrCI>(
        {32901, kCorrelation, 40, "Correlations: Two dependent Pearson r's (common index)"});
    Append<PowerZTwoDepCorrNCI>(
        {32903, kCorrelation, 50, "Correlations: Two dependent Pearson r's (no common index)"});
    Append<PowerZTwoCorr>({32802, kCorrelation, 60, "Correlations: Two independent Pearson r's"});
    Append<PowerZLogisticRegress>({32910, kCorrelation, 140, "Logistic regression"});
    Append<PowerZPoissonRegress>({32904, kCorrelation, 150, "Poisson regression"});
    Append<PowerZTwoProp>({32868, kProportions, 70, "Two independent groups: Inequality, z-Test"});
    // The generic test keeps the values its constructor gave it.
    RegisterTest(ZTestList, new PowerZGeneric, {32854, kGeneric, 50, "Generic z"});
}
