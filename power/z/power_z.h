#pragma once

#include <string>

#include "analysis/ids.h"
#include "analysis/power_analysis.h"
#include "analysis/read_check_solve.h"

// Base of the z tests: owns the normal distribution of the statistic and
// computes the one- and two-tailed power of a statistic that is
// N(0, nullSD) under H0 and N(mu, noncentralSD) under H1. Each test
// computes the two standard deviations from its inputs (GetNullSD,
// GetNoncentralSD).
class PowerZ : public PowerAnalysis {
  public:
    PowerZ();

    void SetCentralDistribution() override;
    void SetNoncentralDistribution() override;
    // Stores effect, alpha and N, takes the standard deviations from
    // GetNullSD and GetNoncentralSD and returns the power. The critical
    // values lie on the side of the effect; with two tails and a negative
    // effect the lower one is shown first.
    double ComputePower(double effect, double alpha, double n) override;
    // beta = P(no rejection; H1) of ComputePower and of ComputePower2,
    // summed on its own side: with alpha far below 1e-16 beta can be too,
    // where 1 - power is 0. Every test of the family computes its power
    // through PowerOfShift and so has beta with it.
    double ComputeBeta(double effect, double alpha, double n) override;
    virtual double ComputeBeta2(double effect, double alpha, double n1, double n2);
    // beta at the stored inputs: one sample, or two groups for the tests
    // that have them.
    double GetBeta() override;

    // A test with two groups searches over the stored group sizes, A priori
    // over the total split by the allocation ratio N2/N1.
    double SensitivityObjective(double x) override;
    double CriterionObjective(double x) override;
    double CompromiseObjective(double x) override;
    double APrioriObjective(double x) override;

    std::string GetFamilyName() override { return "z tests"; }
    std::string GetStatisticName() override { return "z"; }
    ParameterId GetCriticalValueId() override { return kCriticalZId; }
    ParameterId GetNoncentralityId() override { return kNoncentralityMuId; }
    int GetDfOutputMask() override { return 0; }

    // The standard deviations of the statistic under H0 and H1 for the
    // current state; a test that does not compute one keeps the member.
    virtual double GetNullSD() { return nullSD; }
    virtual double GetNoncentralSD() { return noncentralSD; }

    // The standard deviations of the statistic under H0 and H1 of the last
    // power computed.
    double nullSD = 1.0;
    double noncentralSD = 1.0;

  protected:
    void CopyStateTo(PowerAnalysis& target) const override;

    // The test's own inputs on the family's path: the readers return the
    // row of a failure, else -1; `take` takes the design once every check
    // has passed.
    struct OwnInputs {
        Hook<int()> beforeTails;
        Hook<int()> afterTails;
        Hook<void(GivenValues&)> take;
        // The Sensitivity list holds the effect direction, read after the
        // own inputs and taken with them.
        bool sensitivityDirection = false;
        // The direction as read, until the design is taken.
        int direction = 0;
    };
    // The family's read-check-solve path for Calculate: the test's own
    // inputs around the tails, then the given inputs, whose effect is the
    // test's effect input. Once the checks have passed, the own design is
    // taken, then the tails and, for two groups, the allocation ratio (the
    // one asked for in A priori, else N2/N1). The lambdas keep references
    // to `tails` and to `own` (the caller's, not a copy), which must
    // outlive the path.
    ReadCheckSolve FamilyPath(AnalysisType type, PropertyList* inputs, SampleInputs sample,
                              int& tails, OwnInputs* own = nullptr);
    // The family's order of checks: the allocation ratio of two groups, the
    // effect's, alpha, power and power above alpha, the sample's, then the
    // beta/alpha ratio.
    InputTable FamilyChecks(InputTable effect, InputTable sample);
    // The test's tables, kept from one calculation to the next (of this
    // object only: a clone builds its own).
    CheckTables checkTables;
    // The effect within [lo, hi], named `name` in the message.
    InputCheck EffectInRange(const char* name, double lo, double hi);
    // The Sensitivity bracket of a correlation on the side of h0 that
    // effectDirection names, up to +-edge.
    void BracketCorrelationSide(double h0, double edge);

    // Sets the distribution to N(mean, sd).
    void SetNormal(double mean, double sd);

    // The rejection region of the family under H0 = N(0, sd0) and the power
    // under H1 = N(mean1, sd1). `side` is the effect's sign: with one tail
    // the region lies above the upper critical value for side > 0 and below
    // the lower one otherwise (no effect takes the lower tail); with two
    // tails it lies outside both, and for side < 0 the lower critical value
    // becomes criticalValue. Sets criticalValue and criticalValue2, leaves
    // the distribution at H1 and returns the power.
    // beta of that evaluation goes to shiftBeta.
    double PowerOfShift(double side, double alphaValue, double sd0, double mean1, double sd1);
    // Whether GetBeta takes the two group sizes.
    virtual bool HasTwoGroups() { return false; }
    // The last beta PowerOfShift summed.
    double shiftBeta = 0.0;

    // Only the critical values of that rule, the distribution left at H0.
    void SetCriticalValues(double side, double alphaValue, double sd0);

    // The outputs of the concrete z tests: "Critical z", then A priori the
    // two groups of a test that has them, the sample size `sampleId` and the
    // actual power, Sensitivity the effect `effectId` (none for -1), Post
    // hoc the power, Criterion alpha, Compromise alpha, beta and power.
    OutputTable TestOutputs(AnalysisType type, ParameterId effectId,
                            ParameterId sampleId = kTotalSampleSizeId);

    // A mean or standard deviation that no range check bounds can still be
    // given as an infinite or undefined value by a formula; every power
    // computed from it would be one too. False with the message.
    bool CheckFinite(double value);

    // A sample size of the X-Y plot's checks as an int: truncated, held in
    // the int range, and NaN mapped to a value every check rejects.
    static int AsCount(double n);
};
