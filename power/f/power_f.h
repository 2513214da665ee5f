#pragma once

#include <functional>
#include <string>

#include "analysis/ids.h"
#include "analysis/power_analysis.h"
#include "analysis/read_check_solve.h"

// Base of the F tests. The statistic is judged against an F distribution:
// the critical value is the upper alpha quantile of the central
// distribution, the power the upper tail of the noncentral one beyond it.
class PowerF : public PowerAnalysis {
  public:
    // Creates the owned F distribution, central with 10 and 20 df; each test
    // sets its own standard values.
    PowerF();

    double ComputePower(double effect, double alpha, double n) override;
    // The power at the total of both groups; the group-size members stay
    // as they are.
    double ComputePower2(double effect, double alpha, double n1, double n2) override;

    std::string GetFamilyName() override { return "F tests"; }
    std::string GetStatisticName() override { return "F"; }
    ParameterId GetCriticalValueId() override { return kCriticalFId; }
    ParameterId GetNoncentralityId() override { return kNoncentralityLambdaId; }
    // The X-Y plot's check of an effect: the range of lambda, which the
    // generic test's effect is. The multivariate tests keep this check; the
    // other tests check their own effect size.
    bool CheckEffectSize(int, double lambda) override;

    // Recomputes the df members and the distribution's df from the design
    // and the stored N; a test whose df do not follow N leaves them.
    virtual void UpdateDf() {}

    // The count of the design that is neither groups nor predictors: the
    // covariates, the response variables or the measurements.
    double extraCount = 0.0;

  protected:
    void CopyStateTo(PowerAnalysis& target) const override;

    // The read-check-solve path of a design with one total N: readDesign
    // reads and checks the design inputs ahead of the given ones, takeDesign
    // takes them once every check has passed. A Sensitivity search runs at
    // the N given; after a Criterion search the critical value is that of
    // the alpha found.
    ReadCheckSolve DesignPath(AnalysisType type, Hook<int()> readDesign,
                              SmallFunction<void(const GivenValues&), 64> takeDesign);
    // The checks of the effect (`effectPasses`), alpha, power and power
    // above alpha, in this order.
    InputTable EffectAlphaPowerChecks(SmallFunction<bool(double), 32> effectPasses);
    // Each of two given groups at least `smallest` subjects, then their
    // total (`totalPasses`) on the row of N1.
    InputTable GroupChecks(int smallest, SmallFunction<bool(int total), 32> totalPasses);

    // Lambda in [0, kLargestLambda].
    bool CheckLambda(double lambda);
    // The F distribution computes noncentralities up to kLargestLambda; a
    // design beyond it (two billion measurements) is refused with this
    // sentence rather than failing in the power.
    bool CheckNoncentralityComputable(double lambda);
    // The m measurements of a compound-symmetric covariance with a common
    // correlation rho: positive definite only for rho above -1/(m - 1).
    bool CheckCompoundCorrelation(double rho, int m);
    // Runs the path. A priori and Sensitivity meet the noncentrality and df
    // of the design only inside their searches, where the other types check
    // them before solving: a search that takes the F distribution out of
    // its range is refused on `designRow` with the sentence `explain`
    // writes (false when the failure has another cause, which then passes
    // on unchanged).
    CalculateStatus RunSearchingDesign(AnalysisType type, PropertyList* inputs,
                                       const ReadCheckSolve& path, const int& designRow,
                                       const std::function<bool()>& explain);
    // Both df, in the members and in the distribution.
    void SetDf(double numerator, double denominator);
    // Criterion (compromise false: the alpha whose power is `given`) or
    // Compromise (true: the alpha at which beta is `given` times alpha) of
    // a test whose power is that of PowerF::ComputePower, solved for the
    // critical value c instead of alpha: the alpha is then the central tail
    // beyond c, and each step sums one noncentral tail where a step in
    // alpha also inverts the central distribution. Leaves the df of N and
    // stores nothing else; false where that alpha lies outside [1e-99, 1]
    // or c cannot be bracketed, where the searches over alpha decide.
    bool SolveOnCriticalValue(double effect, double given, double n, bool compromise,
                              double* result);
    // The test's tables, kept from one calculation to the next (of this
    // object only: a clone builds its own). Only a table whose checks read
    // nothing of one calculation alone can be kept.
    CheckTables checkTables;
};
