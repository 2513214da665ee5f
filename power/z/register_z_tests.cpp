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
void Append() {
    auto* test = new Test;
    test->SetStandardValues();
    ZTestList.push_back(test);
}

}  // namespace

void RegisterZTests() {
    // Catalogue order by test id: 309, 306, 307, 302, 310, 308, 301, 300;
    // each further z test takes its place in it.
    Append<PowerZTetrachoricCorr>();
    Append<PowerZTwoDepCorrCI>();
    Append<PowerZTwoDepCorrNCI>();
    Append<PowerZTwoCorr>();
    Append<PowerZLogisticRegress>();
    Append<PowerZPoissonRegress>();
    Append<PowerZTwoProp>();
    // The generic test keeps the values its constructor gave it.
    ZTestList.push_back(new PowerZGeneric);
}
