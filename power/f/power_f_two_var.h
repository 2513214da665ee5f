#pragma once

#include <string>

#include "power/f/power_f.h"

class FDistribution;

// Test of the equality of the variances of two independent normal
// populations, with the ratio r = var1/var0 as effect size. The ratio of
// the sample variances follows the central F distribution with N1 - 1 and
// N2 - 1 df under H0 and r times that distribution under H1: the
// noncentrality stays 0 and the alternative is the distribution's scale
// 1/r. One or two tails; a one-tailed test takes the side of r.
class PowerFTwoVar : public PowerF {
  public:
    PowerFTwoVar();

    PowerAnalysis* Clone() override { return CloneAs<PowerFTwoVar>(); }

    // Its sign picks the upper-tail (r >= 1) or lower-tail graph.
    double GetEffectSize() override { return effectSize - 1.0; }
    double GetLowerCriticalValue() override { return criticalValue2; }
    // The density near 0 of an F with one df grows without bound.
    double GetDensityCap() override { return 1000.0; }
    void SetCentralDistribution() override;
    void SetNoncentralDistribution() override;

    // A total alone stands for two equal groups.
    double ComputePower(double r, double alpha, double n) override;
    double ComputePower2(double r, double alpha, double n1, double n2) override;
    // beta of this test's own power, summed on its own side.
    double ComputeBeta(double r, double alphaValue, double n) override {
        return ComputeBeta2(r, alphaValue, n / 2.0, n / 2.0);
    }
    double ComputeBeta2(double r, double alphaValue, double n1, double n2);
    double GetBeta() override { return ComputeBeta2(effectSize, alpha, groupSize1, groupSize2); }
    // From the smallest total that leaves each group two subjects at the
    // allocation ratio, so that no df the search tries is below one.
    void BracketSampleSize() override;
    void BracketEffectSize() override { BracketFromStart(1e-6, 1000000.0, 1.0); }

    std::string GetTestName() override { return "Variance: Test of equality (two sample case)"; }
    bool IsGenericTest() override { return false; }
    bool UsesChiSquarePlot() override { return false; }
    ParameterId GetEffectSizeId() override { return kRatioVar1Var0Id; }
    TestId GetTestId() override { return kVarianceRatioTestId; }
    void SetStandardValues() override;

    void BuildInputList(AnalysisType type, PropertyList* inputs) override;
    CalculateStatus Calculate(AnalysisType type, PropertyList* inputs) override;
    OutputTable Outputs(AnalysisType type) override;
    bool CheckSampleSize(int, double n) override;
    bool CheckGroupSizes(int, double n1, double n2) override;
    bool CheckEffectSize(int type, double r) override;

    // The Sensitivity search looks for r on the side of 1 that
    // effectDirection names; the objective is positive all over the other
    // side.
    double SensitivityObjective(double x) override;
    double CriterionObjective(double x) override;
    double CompromiseObjective(double x) override;
    double APrioriObjective(double x) override;

  private:
    FDistribution& F();
    // Sets the df and both critical values and returns the power; *beta,
    // when given, receives beta.
    double Tails(double r, double alphaValue, double n1, double n2, double* beta);
};
