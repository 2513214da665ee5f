#pragma once

#include <string>

#include "analysis/ids.h"
#include "analysis/power_analysis.h"
#include "analysis/read_check_solve.h"

// Base of the t tests: owns the noncentral t distribution of the statistic
// and computes the one- and two-tailed power from the df (UpdateDf) and the
// noncentrality (NoncentralityFromEffect) that each test defines.
class PowerT : public PowerAnalysis {
  public:
    PowerT();

    // Splits N into two equal halves.
    double ComputePower(double effect, double alpha, double n) override;
    // Stores the group sizes, effect, alpha and N, sets df from UpdateDf and
    // the critical value on the side of the effect (upper for effect >= 0),
    // and returns the power. Nothing else is stored.
    double ComputePower2(double effect, double alpha, double n1, double n2) override;
    double GetBeta() override;

    std::string GetFamilyName() override { return "t tests"; }
    std::string GetStatisticName() override { return "t"; }
    ParameterId GetCriticalValueId() override { return kCriticalTId; }
    ParameterId GetNoncentralityId() override { return kNoncentralityDeltaId; }
    int GetDfOutputMask() override { return 1; }

    // The searches run over the stored group sizes.
    double SensitivityObjective(double x) override;
    double CriterionObjective(double x) override;
    double CompromiseObjective(double x) override;

    // The df for the current group sizes.
    virtual double UpdateDf() = 0;

  protected:
    // A test's own hook on the family's path, held in place inside the
    // path's hook that calls it.
    template <class Signature>
    using OwnHook = SmallFunction<Signature, 64>;
    // The family's read-check-solve path for Calculate. The test's own
    // inputs (readOwn: the row of a failure, else -1) are read ahead of the
    // tails, the tails ahead of the given inputs, whose effect is the test's
    // effect input. Once the checks have passed, takeOwn takes the test's
    // own design (and may adjust a value the solve gets), then the tails
    // and the sample are taken: N and its two halves, or the allocation
    // ratio of the groups (the one asked for in A priori, else N2/N1). The
    // total an A priori search finds is halved like a given N; after
    // Criterion the critical value is that of the alpha found. The lambdas
    // keep a reference to `tails` and hold the hooks themselves.
    ReadCheckSolve FamilyPath(AnalysisType type, PropertyList* inputs, SampleInputs sample,
                              int& tails, OwnHook<int()> readOwn = {},
                              OwnHook<void(GivenValues&)> takeOwn = {});
    // The tails and the sample as FamilyPath takes them.
    void TakeFamilyDesign(AnalysisType type, SampleInputs sample, int tails, const GivenValues& v);
    // The family's order of checks: the effect, alpha, power and power above
    // alpha, then the sample, then the beta/alpha ratio.
    InputTable FamilyChecks(InputCheck effect, InputTable sample);
    // The test's tables, kept from one calculation to the next (of this
    // object only: a clone builds its own).
    CheckTables checkTables;
    // The same for two groups, after the check of the allocation ratio.
    InputTable TwoGroupFamilyChecks(InputCheck effect, InputTable groups);
    // The effect row of the X-Y plot's check (CheckEffectSize) for the type.
    InputCheck EffectSizeCheck(AnalysisType type);

    // The outputs of the two-group tests: A priori shows the groups it
    // found beside the total; the other types show the standard list.
    OutputTable TwoGroupOutputs(AnalysisType type);

    // Sets df and the distribution's df together.
    void SetDf(double value);
    // The critical value of the central t for this alpha and the tails, on
    // the side of the effect: the upper one for effect >= 0, else the lower.
    // Leaves the distribution central.
    double CriticalValueFor(double effect, double alphaValue);
    // Sets the design of one evaluation: sizes, df, critical value and the
    // noncentrality under H1.
    void SetUpEvaluation(double effect, double alphaValue, double n1, double n2);
    // beta = P(no rejection; H1), summed on its own side.
    virtual double ComputeBeta2(double effect, double alphaValue, double n1, double n2);
    // x is the total N, split by the allocation ratio N2/N1.
    double TwoGroupAPrioriObjective(double x);
    // The power of the current noncentral distribution against the
    // critical value cv: rejection above cv (upper side) or below it, and
    // with two tails also beyond -cv.
    double TailPower(double cv, bool upperSide);
    // beta of the same region: the acceptance region, summed on its own
    // side so that it keeps its digits far below 1e-16.
    double TailBeta(double cv, bool upperSide);
    bool TailIsCertain(double cv);

    // A sample size of the X-Y plot's checks as an int: truncated, held in
    // the int range, and NaN mapped to a value every check rejects.
    static int AsCount(double n);

  private:
    // P(T > x) of the current distribution, summed as a lower tail of the
    // reflected distribution so that a small power keeps its digits.
    double UpperTail(double x);
};
