#pragma once

#include <string>

#include "analysis/ids.h"
#include "power/exact/balanced_steps.h"
#include "power/exact/binomial_tails.h"
#include "power/exact/power_exact.h"

// The exact binomial test of one proportion and itself the generic binomial
// test: X successes in N trials, success probability p1 under H0
// (proportion1) and p2 under H1 (proportion2). The effect of the generic test
// is p2 itself; the tests derived from it give the effect other meanings and
// rebuild p2 from it in UpdateProportionH1.
//
// One tail rejects on the side of p2. Two tails split alpha over both sides
// by the rule in alphaBalancing. Where a critical count falls outside 0..N,
// the count is clamped to 0 or N, unless strictCriticalRegion is set, in
// which case that tail is empty.
class PowerExactBinomial : public PowerExact {
  public:
    // The ways of splitting alpha over the two tails.
    enum AlphaBalancing : int {
        kHalfEachSide = 0,       // alpha/2 on each side
        kRestToMajorTail = 1,    // alpha/2 to the minor tail, the rest to the major one
        kIncreaseToMinimum = 2,  // grow both alpha/2 regions while the total stays below alpha
    };

    PowerExactBinomial();

    PowerAnalysis* Clone() override;
    TestOptions Options() override;
    double GetEffectSize() override { return proportion2 - proportion1; }
    // The count on the side opposite to criticalValue (two tails only).
    double GetLowerCriticalValue() override { return criticalValue2; }
    void SetCentralDistribution() override;
    void SetNoncentralDistribution() override;

    double SolveEffectSize(double alpha, double power, double n) override;
    double ComputePower(double effect, double alpha, double n) override;
    double SolveAlpha(double effect, double power, double n) override;
    double SolveCompromise(double effect, double q, double n) override;
    double SolveSampleSize(double effect, double alpha, double power, bool round) override;

    std::string GetTestName() override { return "$\\bullet$ Generic binomial test"; }
    std::string GetStatisticName() override { return "N"; }
    bool IsContinuous() override { return false; }
    bool UsesChiSquarePlot() override { return false; }
    ParameterId GetCriticalValueId() override { return kCriticalNId; }
    ParameterId GetNoncentralityId() override { return kProportionP2Id; }
    ParameterId GetEffectSizeId() override { return kProportionP2Id; }
    TestId GetTestId() override { return kGenericBinomialTestId; }
    std::string GetMethodText() override;
    void SetStandardValues() override;

    void BuildInputList(AnalysisType type, PropertyList* inputs) override;
    CalculateStatus Calculate(AnalysisType type, PropertyList* inputs) override;
    OutputTable Outputs(AnalysisType type) override;

    bool IsTargetPowerUnreachable(const double* effect, double alpha, double target) override;
    bool CheckSampleSize(int, double n) override;
    bool CheckEffectSize(int, double p2) override;

    // p2 from the effect: the effect itself in the generic test.
    virtual void UpdateProportionH1() { proportion2 = effectSize; }

    // The first N that the A priori search tries: where the power of the
    // test continued to real counts and real N reaches the target.
    double StartSampleSize(double alpha, double target);

    int alphaBalancing = kHalfEachSide;
    bool strictCriticalRegion = false;

    // The largest N the A priori search tries: the largest the sample-size
    // field shows.
    static constexpr double kMaxSampleSize = 2147483647.0;
    // The Sensitivity search runs over p2 from p1 up to here.
    static constexpr double kHighestProportionH1 = 0.999999999;

  protected:
    // The effect that gives this p2; the Sensitivity search runs over p2.
    virtual double EffectForProportionH1(double p2) { return p2; }

    // How the concrete test shows its effect and the H0 proportion.
    virtual void AddEffectInput(PropertyList* inputs);
    virtual void AddNullProportionInput(PropertyList* inputs);
    virtual ParameterId EffectInputId() { return kProportionP2Id; }
    // Reads the H0 proportion into *p1; false (the message written) when it
    // is refused.
    virtual bool ReadNullProportion(PropertyList* inputs, double* p1, int* row);
    // Whether `type` can use the H0 proportion p1; false with the message.
    virtual bool NullProportionServes(AnalysisType, double) { return true; }
    // Checks the effect read for `type` against the H0 proportion p1.
    virtual bool CheckEffectInput(AnalysisType type, double effect, double p1);
    // Keeps what ReadNullProportion read.
    virtual void StoreNullProportion(double p1) { proportion1 = p1; }
    // Whether the effect is checked ahead of the sample size.
    virtual bool ChecksEffectBeforeSampleSize() { return false; }

    // The options of this class, which a clone carries besides the state
    // of PowerAnalysis.
    void CopyOptionsTo(PowerExactBinomial& target) const;

    // The tails of the statistic with N trials under H0 (p1) and H1 (p2).
    BinomialTails NullTails(double n) const { return BinomialTails(n, proportion1); }
    BinomialTails AlternativeTails(double n) const { return BinomialTails(n, proportion2); }

    // The critical counts of a two-tailed test with N trials under H0, by
    // alphaBalancing; `majorUpper` names the tail of the alternative.
    struct TwoSidedCounts {
        double lower;
        double upper;
        double actualAlpha;
    };
    TwoSidedCounts TwoSidedCriticalCounts(double alpha, double n, bool majorUpper) const;

    // The power of the binomial test with N trials, whatever the concrete
    // test makes of ComputePower; sets the critical counts and actual alpha.
    double BinomialPower(double effect, double alpha, double n);
    // The Criterion answer of the test with N trials: the H0 size of the
    // smallest region whose power reaches the target, however small.
    double RegionAlpha(double effect, double target, double n);
    // The Criterion answer for a region of this size, as the alpha output
    // shows it; where the size lies below the floor of the searches, the
    // failure of `where`.
    double ShownRegionAlpha(double size, const std::string& where);
    // The Criterion answer of one tail with N trials.
    double OneTailedAlpha(double effect, double target, double n, const std::string& where);
    // The Criterion answer of two tails with N trials: the smallest alpha
    // whose power by the balancing rule reaches the target.
    double TwoTailedAlpha(double effect, double target, double n, const std::string& where);
    // The same under a balancing rule whose power may fall where alpha
    // rises: the first step from below that reaches the target, over every
    // step of the regions. False where N has too many steps to list them.
    bool BalancedAlpha(double effect, double target, double n, const std::string& where,
                       double* shown);
    // The size of the region, found over the counts, whose ratio comes
    // nearest to q: the start of the Compromise search over alpha.
    double CompromiseStart(double effect, double q, double n);
    // beta over the counts the regions of the last BinomialPower accept.
    double AcceptedBeta(double n) const;
    // Whether the regions of two tails move both ways with alpha (a
    // balancing rule other than alpha/2 on each side), and that rule.
    bool Balanced() const;
    balanced_steps::Rule BalancingRule() const;
    // The alphas [lo, hi] outside which no step of two balanced tails has a
    // ratio within `deviation` of q; false where there are none.
    bool NearerRatioRange(double q, double deviation, double n, double* lo, double* hi);

  private:
    TwoSidedCounts HalfEachSide(const BinomialTails& h0, double alpha) const;
    TwoSidedCounts RestToMajorTail(const BinomialTails& h0, double alpha, bool majorUpper) const;
    TwoSidedCounts IncreaseToMinimum(const BinomialTails& h0, double alpha) const;

    double SmoothPower(double alpha, double n);
    // A bracket below..above, of some 1e-7 of N, about the N where the
    // smooth power crosses the target (below hi): secant steps from the
    // normal approximation's N, each end's side checked. False where none
    // was found.
    bool SmoothCrossing(double alpha, double target, double hi, double* below, double* above);
    // Alpha and actual power of the equal-tails region whose major tail
    // has power x under H1 (the two-tailed Criterion search).
    void CriterionTwoSided(double x, double n);
    void SetTrials(double n) { distribution->SetParam(0, n); }
};
