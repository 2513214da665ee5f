#pragma once

#include <string>

#include "analysis/ids.h"
#include "power/exact/fisher_exact_power.h"
#include "power/exact/power_exact.h"

// Fisher's exact test of two independent proportions: p1 in group 1 (the
// effect), p2 in group 2, which is also the common proportion under H0. The
// conditional test of the 2x2 table is averaged over the random number of
// successes (FisherExactPower). One tail tests on the side of p1 - p2; two
// tails order the tables by the chosen statistic and balance alpha by
// alphaBalancing.
//
// Above exactThreshold subjects, or with useApproximation, the whole
// analysis takes the large-sample z test of the difference (continuity
// corrected), which also gives every search of the exact analysis its start.
class PowerExactFisherTwoProp : public PowerExact {
  public:
    PowerExactFisherTwoProp();

    PowerAnalysis* Clone() override;
    TestOptions Options() override;
    // p1 - p2: its sign chooses the side of the plot.
    double GetEffectSize() override { return effectSize - proportion2; }
    double GetLowerCriticalValue() override { return criticalValue2; }
    void SetCentralDistribution() override;
    void SetNoncentralDistribution() override;

    // The work is done by the two-group variants; a total N is split by the
    // allocation ratio.
    double SolveEffectSize(double alpha, double power, double n) override;
    double ComputePower(double p1, double alpha, double n) override;
    double SolveAlpha(double p1, double power, double n) override;
    double SolveCompromise(double p1, double q, double n) override;
    double SolveEffectSize2(double alpha, double power, double n1, double n2) override;
    double ComputePower2(double p1, double alpha, double n1, double n2) override;
    double SolveAlpha2(double p1, double power, double n1, double n2) override;
    double SolveCompromise2(double p1, double q, double n1, double n2) override;
    double SolveSampleSize(double p1, double alpha, double power, bool round) override;

    void BracketSampleSize() override;
    void BracketEffectSize() override;

    std::string GetTestName() override {
        return "Proportions: Inequality, two independent groups (Fisher's exact test) ";
    }
    std::string GetStatisticName() override { return "z"; }
    bool IsGenericTest() override { return false; }
    bool IsContinuous() override { return UsesApproximation(sampleSize); }
    bool UsesChiSquarePlot() override { return false; }
    // The exact test has no distribution of a statistic to draw.
    bool HasDistributionPlot() override { return UsesApproximation(sampleSize); }
    ParameterId GetCriticalValueId() override { return kCriticalZId; }
    ParameterId GetNoncentralityId() override { return kProportionP1Id; }
    ParameterId GetEffectSizeId() override { return kProportionP1Id; }
    TestId GetTestId() override { return kFisherTestId; }
    std::string GetMethodText() override;
    void SetStandardValues() override;

    void BuildInputList(AnalysisType type, PropertyList* inputs) override;
    CalculateStatus Calculate(AnalysisType type, PropertyList* inputs) override;
    OutputTable Outputs(AnalysisType type) override;

    bool IsTargetPowerUnreachable(const double* p1, double alpha, double target) override;
    bool CheckSampleSize(int, double n) override;
    bool CheckGroupSizes(int, double n1, double n2) override;
    bool CheckEffectSize(int, double p1) override;

    // Objectives of the z approximation over the stored group sizes.
    double SensitivityObjective(double x) override;
    double CriterionObjective(double x) override;
    double CompromiseObjective(double x) override;
    double APrioriObjective(double x) override;

    // Copies p1 (the effect) into proportion1, which the searches read.
    void UpdateProportionH1() { proportion1 = effectSize; }

    bool UsesApproximation(double n) const { return useApproximation || n > exactThreshold; }
    // The z approximation; sets the critical values of the plot.
    double ApproximatePower(double p1, double alpha, double n1, double n2);
    // The exact power; sets actualAlpha to the size of the rejected tables.
    double ExactPower(double p1, double alpha, double n1, double n2);

    // Options.
    bool useApproximation = false;
    double exactThreshold = 10000.0;
    int statistic = FisherExactPower::kFisher;
    int alphaBalancing = FisherExactPower::kSymmetrical;
    bool continuityCorrection = true;

  private:
    // Group sizes of a total by the allocation ratio N2/N1, each at least 1.
    void Split(double n, double* n1, double* n2) const;
    double ExactSensitivity(double target, double start);
    double ExactCriterion(double target, double start);
    double ExactCompromise(double q);

    // The design and the proportions of group a and b of ExactPower.
    FisherExactPower::Design ExactDesign(double p1, double alpha, double n1, double n2, double* pa,
                                         double* pb) const;

    FisherExactPower exact_;
    // beta of the last ExactPower, summed over the accepted tables, and
    // whether ExactPower sums it (Compromise only).
    double exactBeta_ = 0.0;
    bool wantBeta_ = false;
    // beta of the last ApproximatePower, from its acceptance region.
    double approximateBeta_ = 0.0;
};
