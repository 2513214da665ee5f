#pragma once

#include <functional>
#include <string>

#include "analysis/ids.h"
#include "analysis/power_analysis.h"
#include "analysis/read_check_solve.h"

// Base of the F tests and itself the generic F test: the user gives the
// noncentrality lambda and both degrees of freedom. The statistic is judged
// against an F distribution: the critical value is the upper alpha quantile
// of the central distribution, the power the upper tail of the noncentral
// one beyond it. The effect of the generic test is lambda itself, so the
// sample size plays no part in it.
class PowerF : public PowerAnalysis {
  public:
    // Creates the owned F distribution with the given noncentrality; the
    // degrees of freedom and every other input then get the standard values.
    explicit PowerF(double numeratorDf = 10.0, double denominatorDf = 20.0,
                    double noncentrality = 0.0);

    PowerAnalysis* Clone() override;
    double ComputePower(double effect, double alpha, double n) override;
    // The generic test has no groups: the group-size members stay as they are.
    double ComputePower2(double effect, double alpha, double n1, double n2) override;

    std::string GetTestName() override { return "$\\bullet$ Generic F test"; }
    std::string GetFamilyName() override { return "F tests"; }
    std::string GetStatisticName() override { return "F"; }
    ParameterId GetCriticalValueId() override { return kCriticalFId; }
    ParameterId GetNoncentralityId() override { return kNoncentralityLambdaId; }
    TestId GetTestId() override { return kGenericFTestId; }
    void SetStandardValues() override;

    void GetAnalysisTypes(PropertyList* list) override { GetGenericAnalysisTypes(list); }
    void BuildInputList(AnalysisType type, PropertyList* inputs) override;
    CalculateStatus Calculate(AnalysisType type, PropertyList* inputs) override;
    void BuildOutputList(AnalysisType type, PropertyList* outputs) override {
        BuildGenericOutputList(type, outputs);
    }
    void GetOutputs(AnalysisType type, PropertyList* outputs) override {
        GetGenericOutputs(type, outputs);
    }
    bool CheckEffectSize(int, double lambda) override;

    // Recomputes the df members and the distribution's df from the design
    // and the stored N; the generic test has no design.
    virtual void UpdateDf() {}
    virtual double GetNumeratorDf() { return numeratorDf; }
    virtual double GetDenominatorDf() { return denominatorDf; }

  protected:
    // The read-check-solve path of a design with one total N: readDesign
    // reads and checks the design inputs ahead of the given ones, takeDesign
    // takes them once every check has passed. A Sensitivity search runs at
    // the N given; after a Criterion search the critical value is that of
    // the alpha found.
    ReadCheckSolve DesignPath(AnalysisType type, std::function<int()> readDesign,
                              std::function<void(const GivenValues&)> takeDesign);
    // The checks of the effect (`effectPasses`), alpha, power and power
    // above alpha, in this order.
    InputTable EffectAlphaPowerChecks(std::function<bool(double)> effectPasses);
    // Each of two given groups at least `smallest` subjects, then their
    // total (`totalPasses`) on the row of N1.
    InputTable GroupChecks(int smallest, std::function<bool(int total)> totalPasses);

    // Lambda of the generic test in [0, kLargestLambda].
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
};
