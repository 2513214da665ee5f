#pragma once

#include <string>

#include "power/t/power_t.h"

// Asymptotic relative efficiencies of the signed-rank test against the
// t test, by parent distribution; the t tests of one mean use entry 0.
inline constexpr double OneSampleAREFactors[6] = {
    1.0, 1.0, 1.5, 0.954929658551372, 1.096622711232151, 0.864,
};

// The one-sample t test of a mean against a constant: effect size
// d = (mu - mu0)/sigma, df = N - 1 and delta = d sqrt(N).
class PowerTOneMean : public PowerT {
  public:
    PowerTOneMean();

    PowerAnalysis* Clone() override;

    double EffectFromNoncentrality(double delta) override;
    double NoncentralityFromEffect(double d) override;
    double SampleSizeFromNoncentrality(double delta) override;

    void BracketSampleSize() override;
    void BracketEffectSize() override;

    std::string GetTestName() override;
    bool IsGenericTest() override { return false; }
    ParameterId GetEffectSizeId() override { return kEffectSizeDId; }
    TestId GetTestId() override { return kOneMeanTestId; }
    void SetStandardValues() override;

    void BuildInputList(AnalysisType type, PropertyList* inputs) override;
    CalculateStatus Calculate(AnalysisType type, PropertyList* inputs) override;

    // The checks the X-Y plot makes per point (the first argument is the
    // analysis type); false leaves the reason in the message text.
    bool CheckSampleSize(int type, double n) override;
    bool CheckEffectSize(int type, double d) override;

    double UpdateDf() override;
    // The efficiency factor f of df and noncentrality: 1 for this test.
    virtual double AREFactor();

    int areIndex = 0;

  protected:
    // The effect-size conventions shown with the effect input.
    virtual std::string EffectHelpText();
};

// The same computation for matched pairs, with the effect size dz: the
// mean of the differences divided by their standard deviation.
class PowerTPairedMean : public PowerTOneMean {
  public:
    PowerAnalysis* Clone() override;
    std::string GetTestName() override;
    ParameterId GetEffectSizeId() override { return kEffectSizeDzId; }
    TestId GetTestId() override { return kMatchedPairsTestId; }

  protected:
    std::string EffectHelpText() override;
};
