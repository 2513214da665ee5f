#pragma once

#include <string>

#include "analysis/ids.h"
#include "power/chi/power_chi.h"

// The generic chi-square test: the user gives the noncentrality lambda and
// the df. The effect is lambda itself, so the sample size plays no part in
// it.
class PowerChiGeneric : public PowerChi {
  public:
    // The df and every other input get the standard values.
    PowerChiGeneric();

    PowerAnalysis* Clone() override;

    std::string GetTestName() override { return "$\\bullet$ Generic $\\chi^2$ test"; }
    TestId GetTestId() override { return kGenericChiSquareTestId; }
    void SetStandardValues() override;

    void GetAnalysisTypes(PropertyList* list) override { GetGenericAnalysisTypes(list); }
    void BuildInputList(AnalysisType type, PropertyList* inputs) override;
    CalculateStatus Calculate(AnalysisType type, PropertyList* inputs) override;
    OutputTable Outputs(AnalysisType type) override { return GenericOutputs(type); }
    bool CheckEffectSize(int, double lambda) override;

  private:
    // Lambda in [0, kLargestLambda].
    bool CheckLambda(double lambda);
};
