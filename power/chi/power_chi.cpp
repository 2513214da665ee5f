#include "power/chi/power_chi.h"

#include "analysis/family_support.h"
#include "analysis/parameter_names.h"
#include "distributions/chi.h"

PowerChi::PowerChi() {
    distribution = new ChiDistribution(1.0, 0.0, 1.0);
    distribution->SetNoncentrality(0.0);
}

void PowerChi::SetDf(double value) {
    df = value;
    distribution->SetParam(1, value);
}

double PowerChi::ComputePower(double effect, double alphaValue, double n) {
    // The distribution may have been drawn with other df since.
    distribution->SetParam(1, df);
    return PowerAnalysis::ComputePower(effect, alphaValue, n);
}

bool PowerChi::CheckDfRange(double dfValue, double lowest) {
    return CheckValueRange(ParameterNames[kDfId], dfValue, lowest, kLargestDf);
}
