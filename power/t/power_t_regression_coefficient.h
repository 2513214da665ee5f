#pragma once

#include <string>

#include "power/t/power_t.h"

// The t test of one coefficient in a fixed-model multiple regression with
// p predictors in all: effect size f^2 (the variance the tested predictor
// explains, relative to the residual variance), df = N - p - 1 and
// delta = sqrt(f^2 N).
class PowerTMRC1Pred : public PowerT {
  public:
    PowerTMRC1Pred();

    PowerAnalysis* Clone() override;

    double EffectFromNoncentrality(double delta) override;
    double NoncentralityFromEffect(double f2) override;
    double SampleSizeFromNoncentrality(double delta) override;

    void BracketSampleSize() override;
    void BracketEffectSize() override;

    std::string GetTestName() override;
    bool IsGenericTest() override { return false; }
    ParameterId GetEffectSizeId() override { return kEffectSizeF2Id; }
    TestId GetTestId() override { return kRegressionCoefficientTestId; }
    void SetStandardValues() override;

    void BuildInputList(AnalysisType type, PropertyList* inputs) override;
    CalculateStatus Calculate(AnalysisType type, PropertyList* inputs) override;

    // The checks the X-Y plot makes per point.
    bool CheckSampleSize(int type, double n) override;
    bool CheckEffectSize(int type, double f2) override;

    double UpdateDf() override;
};
