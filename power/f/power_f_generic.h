#pragma once

#include <string>

#include "analysis/ids.h"
#include "power/f/power_f.h"

// The generic F test: the user gives the noncentrality lambda and both
// degrees of freedom. The effect is lambda itself, so the sample size plays
// no part in it.
class PowerFGeneric : public PowerF {
  public:
    // The df and every other input get the standard values.
    PowerFGeneric();

    PowerAnalysis* Clone() override;

    std::string GetTestName() override { return "$\\bullet$ Generic F test"; }
    TestId GetTestId() override { return kGenericFTestId; }
    void SetStandardValues() override;

    void GetAnalysisTypes(PropertyList* list) override { GetGenericAnalysisTypes(list); }
    void BuildInputList(AnalysisType type, PropertyList* inputs) override;
    CalculateStatus Calculate(AnalysisType type, PropertyList* inputs) override;
    OutputTable Outputs(AnalysisType type) override { return GenericOutputs(type); }
};
