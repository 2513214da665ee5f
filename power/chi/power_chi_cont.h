#pragma once

#include <string>

#include "power/chi/power_chi.h"

// Chi-square goodness-of-fit test, contingency tables included, with
// Cohen's effect size w: the statistic follows the noncentral chi-square
// distribution with the given df and noncentrality lambda = w^2 N.
class PowerChiCont : public PowerChi {
  public:
    PowerChiCont();

    PowerAnalysis* Clone() override;

    double EffectFromNoncentrality(double lambda) override;
    double NoncentralityFromEffect(double w) override { return w * w * sampleSize; }
    double SampleSizeFromNoncentrality(double lambda) override {
        return lambda / (effectSize * effectSize);
    }
    void BracketSampleSize() override { BracketSampleSizeFrom(1.0, 100.0); }
    void BracketEffectSize() override { BracketSampleSizeFrom(1e-6, 0.5); }

    std::string GetTestName() override { return "Goodness-of-fit tests: Contingency tables"; }
    bool IsGenericTest() override { return false; }
    ParameterId GetEffectSizeId() override { return kEffectSizeWId; }
    int GetDfOutputMask() override { return 1; }  // "Df"
    TestId GetTestId() override { return kGoodnessOfFitTestId; }
    void SetStandardValues() override;

    void BuildInputList(AnalysisType type, PropertyList* inputs) override;
    CalculateStatus Calculate(AnalysisType type, PropertyList* inputs) override;
    bool CheckSampleSize(int, double n) override;
    // A priori needs w above zero; the other types admit w = 0.
    bool CheckEffectSize(int type, double w) override;
};
