#pragma once

#include <string>
#include <vector>

#include "power/exact/power_exact_uncond.h"

// The unconditional exact test of two independent proportions when H0
// states a value of the effect measure other than equality: p1 (index 0),
// p1 - p2 (1), p1/p2 (2) or the odds ratio (3), entered once under H1 and
// once under H0. The H0 value becomes the offset nullDifference = p1|H0 -
// p2, through which it enters the region, the side of a one-tailed test
// and the Sensitivity search. Besides the z and t statistics of the test
// of equality (codes 0 to 3 and 6) it offers the score statistics with the
// restricted maximum-likelihood estimates under H0: for the difference
// (codes 7 to 9), the risk ratio (10 to 12) and the odds ratio (13, 14),
// each by Farrington and Manning, by Miettinen and Nurminen (variance times
// N/(N - 1)) and, for the first two, by Gart and Nam (skewness corrected).
class PowerExactUncTwoPropOffset : public PowerExactUncondTwoProp {
  public:
    PowerExactUncTwoPropOffset();

    PowerAnalysis* Clone() override;
    std::string GetTestName() override {
        return "Proportions: Inequality (offset), two independent groups (unconditional) ";
    }
    ParameterId GetNoncentralityId() override;
    TestId GetTestId() override { return kUnconditionalOffsetTestId; }
    void SetStandardValues() override;
    bool TakesH0Value() const override { return true; }

    StatisticMoments GetStatisticMoments(double p1, double alpha, double n1, double n2) override;
    double StatisticValue(int code, double x2, double x1, double n2, double n1, double extra,
                          int side) override;
    bool AcceptsAnInterval(int x2, int m1, int m2, int side, double c) override;
    bool BoundsOverRow(int x2, int lo, int hi, int m1, int m2, double* near, double* far) override;
    bool OffersRowBounds() const override {
        return statistic == 2 || statistic == 6 || (7 <= statistic && statistic <= 14);
    }
    double RowDifference(int x2, int x1, int m1, int m2) const override;
    double RowCentre(int x2, int m2) const override;
    bool SkewOverRow(int x2, int lo, int hi, int m1, int m2, double* gLo, double* gHi) override;
    bool AcceptedReach(double c, int m1, int m2, double* rho, double* shift,
                       double* reach) const override;

    // The statistic codes offered for an effect measure, in the order of
    // the options dialog.
    static std::vector<int> OfferedStatistics(int index);
    // Whether the chosen statistic is offered for the chosen measure.
    bool OffersStatistic() const override;
    // Chooses the measure as the options dialog does: the statistic stays
    // when the new measure offers it, else the first one offered.
    void SelectEffectIndex(int index);

    // The restricted maximum-likelihood estimates under H0 for the outcome
    // (x1 of n1, x2 of n2), counts that need not be whole.
    void DifferenceEstimates(double x1, double n1, double x2, double n2, double* p1,
                             double* p2) const;
    void RatioEstimates(double x1, double n1, double x2, double n2, double* p1, double* p2) const;
    void OddsRatioEstimates(double x1, double n1, double x2, double n2, double* p1,
                            double* p2) const;

  private:
    // The score statistics (codes 7 to 14) of sample proportions h1, h2
    // from counts x1, x2.
    double ScoreValue(int code, double x1, double n1, double x2, double n2, bool floors);
    // BoundsOverRow for the score statistics of the odds ratio, and
    // SkewOverRow for the corrected score statistic of the ratio.
    bool OddsRatioBounds(int x2, int lo, int hi, int m1, int m2, double* near, double* far) const;
    bool RatioSkewOverRow(int x2, int lo, int hi, int m1, int m2, double* gLo, double* gHi);
    // The last centre of RowCentre for the ratio and odds-ratio statistics,
    // and what it was computed from.
    struct CentreKey {
        int x2 = -1, m2 = -1, code = -1;
        double p0 = -1.0, p2 = -1.0;
        bool operator==(const CentreKey&) const = default;
    };
    mutable CentreKey centreKey_;
    mutable double centre_ = 0.0;
};
