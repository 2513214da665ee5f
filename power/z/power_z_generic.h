#pragma once

#include <string>

#include "analysis/ids.h"
#include "power/z/power_z.h"

// The generic z test: the user gives the mean mu of the statistic under H1
// and its standard deviation sigma directly; under H0 it is standard
// normal.
class PowerZGeneric : public PowerZ {
  public:
    PowerZGeneric();

    PowerAnalysis* Clone() override;

    std::string GetTestName() override { return "$\\bullet$ Generic z test"; }
    TestId GetTestId() override { return kGenericZTestId; }
    void SetStandardValues() override;

    void GetAnalysisTypes(PropertyList* list) override;
    void BuildInputList(AnalysisType type, PropertyList* inputs) override;
    CalculateStatus Calculate(AnalysisType type, PropertyList* inputs) override;
    OutputTable Outputs(AnalysisType type) override;
};
