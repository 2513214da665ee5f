#pragma once

#include <string>

#include "power/t/power_t.h"

// The t test of a point-biserial correlation rho against 0: the effect size
// is |rho|, df = N - 2 and delta = sqrt(rho^2 N/(1 - rho^2)).
class PowerTCorr : public PowerT {
  public:
    PowerTCorr();

    PowerAnalysis* Clone() override;

    double NoncentralityFromEffect(double rho) override;
    double SampleSizeFromNoncentrality(double delta) override;

    void BracketSampleSize() override;
    void BracketEffectSize() override;

    std::string GetTestName() override { return "Correlation: Point biserial model"; }
    bool IsGenericTest() override { return false; }
    ParameterId GetEffectSizeId() override { return kEffectSizeAbsRhoId; }
    TestId GetTestId() override { return kPointBiserialTestId; }
    void SetStandardValues() override;

    void BuildInputList(AnalysisType type, PropertyList* inputs) override;
    CalculateStatus Calculate(AnalysisType type, PropertyList* inputs) override;

    // The checks the X-Y plot makes per point.
    bool CheckSampleSize(int type, double n) override;
    bool CheckEffectSize(int type, double rho) override;

    double UpdateDf() override;
};
