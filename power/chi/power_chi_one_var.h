#pragma once

#include <string>

#include "power/chi/power_chi.h"

class ChiDistribution;

// Test of the variance of one normal population against a constant, with
// the ratio r = var1/var0 as effect size. The statistic (N - 1) s^2/var0
// follows the central chi-square distribution with N - 1 df under H0 and r
// times that distribution under H1: the noncentrality stays 0 and the
// alternative is the distribution's scale 1/r. One or two tails; a
// one-tailed test takes the side of r.
class PowerChiOneVar : public PowerChi {
  public:
    PowerChiOneVar();

    PowerAnalysis* Clone() override;

    // Its sign picks the upper-tail (r >= 1) or lower-tail graph.
    double GetEffectSize() override { return effectSize - 1.0; }
    double GetLowerCriticalValue() override { return criticalValue2; }
    void SetCentralDistribution() override;
    void SetNoncentralDistribution() override;

    double ComputePower(double r, double alpha, double n) override;
    // beta of this test's own power, summed on its own side.
    double ComputeBeta(double r, double alphaValue, double n) override;
    void BracketSampleSize() override { BracketSampleSizeFrom(2.0, 100.0); }
    void BracketEffectSize() override { BracketFromStart(1e-6, 1000000.0, 1.0); }

    std::string GetTestName() override {
        return "Variance: Difference from constant (one sample case)";
    }
    bool IsGenericTest() override { return false; }
    ParameterId GetEffectSizeId() override { return kRatioVar1Var0Id; }
    TestId GetTestId() override { return kVarianceTestId; }
    void SetStandardValues() override;

    void BuildInputList(AnalysisType type, PropertyList* inputs) override;
    CalculateStatus Calculate(AnalysisType type, PropertyList* inputs) override;
    OutputTable Outputs(AnalysisType type) override;
    bool CheckSampleSize(int, double n) override;
    bool CheckEffectSize(int type, double r) override;

    // The df are N when set, else N - 1 (the mean estimated). Nothing in the
    // program sets it; a clone keeps it.
    bool useSampleSizeAsDf = false;

  private:
    ChiDistribution& Chi();
    // Sets the df and both critical values and returns the power; *beta,
    // when given, receives beta.
    double Tails(double r, double alphaValue, double n, double* beta);
};
