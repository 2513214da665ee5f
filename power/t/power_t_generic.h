#pragma once

#include <string>

#include "analysis/ids.h"
#include "power/t/power_t.h"

// The generic t test: the user gives the noncentrality parameter delta and
// the degrees of freedom directly.
class PowerTGeneric : public PowerT {
  public:
    PowerTGeneric();

    PowerAnalysis* Clone() override;

    std::string GetTestName() override { return "$\\bullet$ Generic t test"; }
    TestId GetTestId() override { return kGenericTTestId; }
    void SetStandardValues() override;

    void GetAnalysisTypes(PropertyList* list) override;
    void BuildInputList(AnalysisType type, PropertyList* inputs) override;
    CalculateStatus Calculate(AnalysisType type, PropertyList* inputs) override;
    OutputTable Outputs(AnalysisType type) override;

    // The generic test keeps the df it was given.
    double UpdateDf() override { return df; }

  private:
    // Delta in [-kLargestDelta, kLargestDelta].
    bool CheckDeltaRange(double delta);
};
