#pragma once

#include <string>

#include "power/z/power_z.h"

// The z test of the difference between two Pearson correlations of two
// independent groups. The effect is Cohen's q, the difference of the two
// correlations on Fisher's z scale; the statistic is q over the standard
// error sqrt(1/(N1 - 3) + 1/(N2 - 3)), standard normal under H0.
//
// A group of three or fewer has no finite standard error: every check
// admits groups from four, and the A priori search starts where both
// groups have four.
class PowerZTwoCorr : public PowerZ {
  public:
    PowerZTwoCorr();

    PowerAnalysis* Clone() override;

    void SetCentralDistribution() override;
    void SetNoncentralDistribution() override;
    // Splits N into two equal halves.
    double ComputePower(double effect, double alpha, double n) override;
    double ComputePower2(double effect, double alpha, double n1, double n2) override;
    bool HasTwoGroups() override { return true; }

    void BracketSampleSize() override;
    void BracketEffectSize() override;

    std::string GetTestName() override { return "Correlations: Two independent Pearson r's"; }
    bool IsGenericTest() override { return false; }
    ParameterId GetEffectSizeId() override { return kEffectSizeQId; }
    TestId GetTestId() override { return kTwoCorrelationsTestId; }
    void SetStandardValues() override;

    void BuildInputList(AnalysisType type, PropertyList* inputs) override;
    CalculateStatus Calculate(AnalysisType type, PropertyList* inputs) override;
    OutputTable Outputs(AnalysisType type) override;

    bool CheckSampleSize(int type, double n) override;
    bool CheckGroupSizes(int type, double n1, double n2) override;

    // The standard error of the difference of the Fisher z values for the
    // current group sizes, stored in nullSD.
    double GetNoncentralSD() override;
};
