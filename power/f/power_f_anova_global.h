#pragma once

#include <string>

#include "power/f/power_f.h"

// One-way fixed-effects analysis of variance over k groups with Cohen's
// effect size f: numerator df k - 1, denominator df N - k, noncentrality
// lambda = f^2 N. The A priori total is a multiple of k; any other given
// total that is not one is used as it is, with a note.
class PowerFAnovaGlobal : public PowerF {
  public:
    PowerFAnovaGlobal();

    PowerAnalysis* Clone() override;

    double EffectFromNoncentrality(double lambda) override;
    double NoncentralityFromEffect(double f) override { return f * f * sampleSize; }
    double SampleSizeFromNoncentrality(double lambda) override {
        return lambda / (effectSize * effectSize);
    }
    void BracketSampleSize() override {
        BracketSampleSizeFrom(groupCount + 1.0, groupCount + 100.0);
    }
    void BracketEffectSize() override { BracketSampleSizeFrom(1e-6, 0.3); }
    // Up to the next multiple of k.
    double RoundSampleSize(double n) override;

    std::string GetTestName() override { return "ANOVA: Fixed effects, omnibus, one-way"; }
    bool IsGenericTest() override { return false; }
    ParameterId GetEffectSizeId() override { return kEffectSizeFId; }
    int GetDfOutputMask() override { return 6; }  // numerator and denominator df
    TestId GetTestId() override { return kAnovaGlobalTestId; }
    void SetStandardValues() override;

    void BuildInputList(AnalysisType type, PropertyList* inputs) override;
    CalculateStatus Calculate(AnalysisType type, PropertyList* inputs) override;
    bool CheckSampleSize(int, double n) override;
    // With the flag set f = 0 is admissible (every type but A priori).
    bool CheckEffectSize(int zeroAllowed, double f) override;

    void UpdateDf() override;

    // Stores k and the numerator df k - 1.
    virtual void SetGroups(double k);
};
