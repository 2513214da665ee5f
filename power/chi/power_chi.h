#pragma once

#include <string>

#include "analysis/ids.h"
#include "analysis/power_analysis.h"
#include "analysis/read_check_solve.h"

// Base of the chi-square tests and itself the generic chi-square test: the
// user gives the noncentrality lambda and the df. The critical value is the
// upper alpha quantile of the central chi-square distribution, the power the
// upper tail of the noncentral one beyond it. The effect of the generic test
// is lambda itself, so the sample size plays no part in it.
class PowerChi : public PowerAnalysis {
  public:
    // Creates the owned chi-square distribution (central, scale 1); the df
    // and every other input then get the standard values.
    explicit PowerChi(double df = 1.0, double noncentrality = 0.0);

    PowerAnalysis* Clone() override;
    double ComputePower(double effect, double alpha, double n) override;

    ParameterId GetCriticalValueId() override { return kCriticalChiSquareId; }
    ParameterId GetNoncentralityId() override { return kNoncentralityLambdaId; }
    std::string GetTestName() override { return "$\\bullet$ Generic $\\chi^2$ test"; }
    std::string GetFamilyName() override { return "$\\chi^2$ tests"; }
    // Labels the distribution graph.
    std::string GetStatisticName() override { return distribution->GetName(); }
    TestId GetTestId() override { return kGenericChiSquareTestId; }
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

    virtual double GetDf() { return df; }

  protected:
    // Lambda in [0, kLargestLambda].
    bool CheckLambda(double lambda);
    // df no larger than kLargestDf; `lowest` only shows in the message.
    bool CheckDfRange(double df, double lowest);
    // The df, in the member and in the distribution.
    void SetDf(double value);
};
