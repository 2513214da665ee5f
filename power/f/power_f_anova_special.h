#pragma once

#include <string>

#include "power/f/power_f.h"

// Fixed-effects analysis of variance of one main effect or interaction in a
// design of k cells, with Cohen's effect size f: the numerator df of the
// effect is given, the denominator df is N - k and lambda = f^2 N. Unlike
// the one-way test, a total need not be a multiple of k.
class PowerFAnovaSpecial : public PowerF {
  public:
    PowerFAnovaSpecial();

    PowerAnalysis* Clone() override { return CloneAs<PowerFAnovaSpecial>(); }

    double EffectFromNoncentrality(double lambda) override;
    double NoncentralityFromEffect(double f) override { return f * f * sampleSize; }
    double SampleSizeFromNoncentrality(double lambda) override {
        return lambda / (effectSize * effectSize);
    }
    // From the smallest N that leaves one denominator df.
    void BracketSampleSize() override {
        BracketSampleSizeFrom(ErrorTerms() + 1.0, ErrorTerms() + 100.0);
    }
    void BracketEffectSize() override { BracketSampleSizeFrom(1e-6, 0.3); }

    std::string GetTestName() override {
        return "ANOVA: Fixed effects, special, main effects and interactions";
    }
    bool IsGenericTest() override { return false; }
    ParameterId GetEffectSizeId() override { return kEffectSizeFId; }
    int GetDfOutputMask() override { return 4; }  // denominator df only
    TestId GetTestId() override { return kAnovaSpecialTestId; }
    void SetStandardValues() override;

    void BuildInputList(AnalysisType type, PropertyList* inputs) override;
    CalculateStatus Calculate(AnalysisType type, PropertyList* inputs) override;
    bool CheckSampleSize(int, double n) override;
    // With the flag set f = 0 is admissible (every type but A priori).
    bool CheckEffectSize(int zeroAllowed, double f) override;

    // Numerator df as given, denominator df N minus the error terms.
    void UpdateDf() override;

    // Stores k; the numerator df is an input of its own.
    virtual void SetGroups(double k) { groupCount = k; }

  protected:
    // Whether the design has covariates (held in extraCount).
    virtual bool HasCovariates() const { return false; }
    // What N loses to the error df: the cells, and the covariates if any.
    double ErrorTerms() const { return groupCount + (HasCovariates() ? extraCount : 0.0); }
};

// Analysis of covariance: the same test with q covariates, which take q
// more df from the error term: denominator df N - k - q.
class PowerFAncova : public PowerFAnovaSpecial {
  public:
    PowerFAncova();

    PowerAnalysis* Clone() override { return CloneAs<PowerFAncova>(); }

    std::string GetTestName() override {
        return "ANCOVA: Fixed effects, main effects and interactions";
    }
    TestId GetTestId() override { return kAncovaTestId; }
    void SetStandardValues() override;

    // A total must leave a denominator df after the cells and covariates.
    bool CheckSampleSize(int, double n) override;

  protected:
    bool HasCovariates() const override { return true; }
};
