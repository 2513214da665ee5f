#pragma once

#include <string>

#include "analysis/ids.h"
#include "analysis/power_analysis.h"
#include "analysis/read_check_solve.h"

// Base of the chi-square tests. The critical value is the upper alpha
// quantile of the central chi-square distribution, the power the upper tail
// of the noncentral one beyond it. The tests and their standard values are
// the subclasses'.
class PowerChi : public PowerAnalysis {
  public:
    // Creates the owned chi-square distribution (central, 1 df, scale 1).
    PowerChi();

    double ComputePower(double effect, double alpha, double n) override;

    ParameterId GetCriticalValueId() override { return kCriticalChiSquareId; }
    ParameterId GetNoncentralityId() override { return kNoncentralityLambdaId; }
    std::string GetFamilyName() override { return "$\\chi^2$ tests"; }
    // Labels the distribution graph.
    std::string GetStatisticName() override { return distribution->GetName(); }

  protected:
    // df no larger than kLargestDf; `lowest` only shows in the message.
    bool CheckDfRange(double df, double lowest);
    // The df, in the member and in the distribution.
    void SetDf(double value);
    // The test's tables, kept from one calculation to the next (of this
    // object only: a clone builds its own).
    CheckTables checkTables;
};
