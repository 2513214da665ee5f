#pragma once

#include <string>

#include "power/exact/power_exact_binomial.h"

// The binomial tests whose effect is the difference g = p2 - p1 between the
// success probabilities under H1 and H0.

// One proportion against a constant p1 given as "Constant proportion".
class PowerExactBinomialOneProp : public PowerExactBinomial {
  public:
    PowerExactBinomialOneProp();

    PowerAnalysis* Clone() override;
    std::string GetTestName() override {
        return "Proportion: Difference from constant (binomial test, one sample case)";
    }
    bool IsGenericTest() override { return false; }
    ParameterId GetEffectSizeId() override { return kEffectSizeGId; }
    TestId GetTestId() override { return kProportionTestId; }
    void SetStandardValues() override;
    bool CheckEffectSize(int, double g) override;
    void UpdateProportionH1() override { proportion2 = proportion1 + effectSize; }

  protected:
    double EffectForProportionH1(double p2) override { return p2 - proportion1; }
    void AddEffectInput(PropertyList* inputs) override;
    void AddNullProportionInput(PropertyList* inputs) override;
    ParameterId EffectInputId() override { return kEffectSizeGId; }
    bool ReadNullProportion(PropertyList* inputs, double* p1, int* row) override;
    bool NullProportionServes(AnalysisType type, double p1) override;
    bool CheckEffectInput(AnalysisType type, double g, double p1) override;
};

// The sign test: the binomial test of p1 = 0.5.
class PowerExactBinomialSign : public PowerExactBinomial {
  public:
    PowerExactBinomialSign();

    PowerAnalysis* Clone() override;
    std::string GetTestName() override { return "Proportion: Sign test (binomial test)"; }
    bool IsGenericTest() override { return false; }
    ParameterId GetEffectSizeId() override { return kEffectSizeGId; }
    TestId GetTestId() override { return kSignTestId; }
    void SetStandardValues() override;
    bool CheckEffectSize(int, double g) override;
    void UpdateProportionH1() override { proportion2 = 0.5 + effectSize; }

  protected:
    double EffectForProportionH1(double p2) override { return p2 - 0.5; }
    void AddEffectInput(PropertyList* inputs) override;
    void AddNullProportionInput(PropertyList*) override {}
    ParameterId EffectInputId() override { return kEffectSizeGId; }
    bool ReadNullProportion(PropertyList*, double* p1, int*) override;
    bool CheckEffectInput(AnalysisType type, double g, double p1) override;
    bool ChecksEffectBeforeSampleSize() override { return true; }
};
