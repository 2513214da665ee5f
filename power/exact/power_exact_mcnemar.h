#pragma once

#include <algorithm>
#include <string>

#include "power/exact/power_exact_binomial.h"

// McNemar's test of two dependent proportions: N pairs with a yes/no outcome
// measured twice. Only the discordant pairs count: given d of them, the test
// is the binomial test on d trials with p1 = 0.5 under H0 and
// p2 = OR/(OR + 1) under H1, OR = p12/p21 the odds ratio of the two kinds of
// discordant pairs and pd = p12 + p21 their proportion.
//
// The approximation takes the number of discordant pairs as fixed,
// d = ceil(N pd); the exact power averages the conditional power over the
// binomial number D ~ Bin(N, pd). The exact power is used only with the
// approximation option off and N at most exactLimit; its searches start from
// the approximation's answer.
class PowerExactMcNemar : public PowerExactBinomial {
  public:
    PowerExactMcNemar();

    PowerAnalysis* Clone() override;
    TestOptions Options() override;
    void SetCentralDistribution() override;
    void SetNoncentralDistribution() override;

    double SolveEffectSize(double alpha, double power, double n) override;
    double ComputePower(double effect, double alpha, double n) override;
    double SolveAlpha(double effect, double power, double n) override;
    double SolveCompromise(double effect, double q, double n) override;
    double SolveSampleSize(double effect, double alpha, double power, bool round) override;

    std::string GetTestName() override {
        return "Proportions: Inequality, two dependent groups (McNemar) ";
    }
    bool IsGenericTest() override { return false; }
    bool HasDistributionPlot() override { return Approximates(sampleSize); }
    ParameterId GetEffectSizeId() override { return kOddsRatioId; }
    TestId GetTestId() override { return kMcNemarTestId; }
    std::string GetMethodText() override;
    void SetStandardValues() override;
    OutputTable Outputs(AnalysisType type) override;
    void GetOutputs(AnalysisType type, PropertyList* outputs) override;
    bool CheckEffectSize(int, double oddsRatio) override;
    void UpdateProportionH1() override;

    // Whether the power of N pairs is the approximation's.
    bool Approximates(double n) const { return useApproximation || n > exactLimit; }
    // The number of discordant pairs the approximation takes for N pairs.
    double DiscordantPairs(double n) const;
    // The average of the conditional power over D ~ Bin(N, pd); the actual
    // alpha is averaged alike.
    double ExactPower(double oddsRatio, double alpha, double n);
    // The exact Sensitivity search from a start on either side of the null,
    // never across it: the odds ratio whose exact power meets the target,
    // nearest the null, on the side that reaches it.
    double ExactEffectSize(double alpha, double target, double n, double start);

    bool useApproximation = true;
    bool effectIsDifference = false;
    double exactLimit = 1000000.0;

    // The proportion of discordant pairs and its two cells p12 and p21.
    double discordantProportion = 0.0;
    double proportionP12 = 0.0;
    double proportionP21 = 0.0;

  protected:
    void CopyStateTo(PowerAnalysis& target) const override;

    double EffectForProportionH1(double p2) override;
    void AddEffectInput(PropertyList* inputs) override;
    void AddNullProportionInput(PropertyList* inputs) override;
    ParameterId EffectInputId() override { return kOddsRatioId; }
    bool ReadNullProportion(PropertyList* inputs, double* pd, int* row) override;
    void StoreNullProportion(double pd) override;
    bool CheckEffectInput(AnalysisType type, double oddsRatio, double pd) override;

  private:
    // Whether the ladders give the exact power: one tail, or two with
    // alpha/2 on each side.
    bool LaddersApply(double alpha) const;
    // The exact power over first..last pairs by ladders of the tails.
    double LadderPower(double alpha, double n, double first, double last);
    double ApproximatePower(double oddsRatio, double alpha, double n);
    double ApproximateSampleSize(double oddsRatio, double alpha, double target);
    double ApproximateEffectSize(double alpha, double target, double n);
    double ExactSampleSize(double oddsRatio, double alpha, double target, double start);
    double ExactAlpha(double oddsRatio, double target, double n, double start);
    double ExactCompromise(double oddsRatio, double q, double n);
    // The odds ratio set as effect, the proportions rebuilt, and its power.
    double PowerAtOddsRatio(double oddsRatio);
    // beta of the conditional test on k pairs over its acceptance region,
    // the counts between the last rejected below and the first rejected
    // above (one tail reads the count on the side of p2).
    double ConditionalBeta(double k, double lower, double upper) const;
    // The counts BinomialPower has just left in the critical values.
    double LowerShown() const { return std::min(criticalValue, criticalValue2); }
    double UpperShown() const { return std::max(criticalValue, criticalValue2); }
    // beta plus the numbers of pairs outside first..last, which the power
    // leaves out: their mass is below 1e-20, but beta can be smaller still.
    double BetaOutside(double oddsRatio, double alpha, double n, double first, double last,
                       double beta);

    // beta of the last ExactPower, summed over the acceptance regions, and
    // whether ExactPower sums it (Compromise only: the other searches pay
    // nothing for it).
    double exactBeta_ = 0.0;
    bool wantBeta_ = false;
};
