#pragma once

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>
#include <utility>
#include <vector>

#include "analysis/ids.h"
#include "power/exact/exact_search.h"
#include "power/exact/power_exact.h"

// What the large-sample approximation knows of a statistic: the mean of its
// numerator under H1 for the lower-tail and for the upper-tail test, its
// standard deviation under H0 and under H1, and the tail tested (0 lower,
// 1 upper, 2 both). The t statistic keeps its noncentrality in lowerMean and
// N in upperMean.
struct StatisticMoments {
    double lowerMean = 0.0;
    double upperMean = 0.0;
    double nullSd = 0.0;
    double alternativeSd = 0.0;
    int side = 0;
};

// Common base of the unconditional exact tests of two independent
// proportions. Group 1 (n1 subjects) has proportion p1, group 2 (n2) has
// p2 under both hypotheses; under H0 group 1 has p0 = p2 + nullDifference.
// H0 is p1 = p2, or, in the test that takes an H0 value of its effect
// measure, the offset that value stands for; the base reads, checks and
// solves for both, and names the statistics from one table.
// A statistic of the derived test, large for p1 above p0, rejects an outcome
// (x1, x2) when it passes a critical value; the exact power and size sum the
// two binomial masses over the outcomes kept. Above exactLimit, or with the
// largeSample option, a normal or t approximation takes over.
//
// The sums never visit all (n1 + 1)(n2 + 1) outcomes: the outer walk over x2
// and the inner walk over the accepted x1 of each x2 start at the modes and
// stop once their frontier terms fall below 1e-15 of the sum, so an
// evaluation costs some sqrt(n1 n2) terms, and a statistic per outcome
// visited in the rows judged outcome by outcome. The region kept (for each
// x2 the interval of accepted x1) is found by a gallop from the H0 boundary
// and bisection where the derived test proves that the accepted x1 form an
// interval, and otherwise by judging each x1 the sums visit. The region is
// kept between evaluations as long as the statistic, the critical value,
// the groups, p2 and the offset stay the same: the Sensitivity search moves
// p1 alone and reuses one region throughout. The statistics of the outcomes
// judged one by one are kept when only the critical value changes: the
// Criterion and Compromise searches compute each of them once.
class PowerExactUncondTwoProp : public PowerExact {
  public:
    PowerExactUncondTwoProp();
    // A new effect measure converts the effect from what the screen shows.
    TestOptions Options() override;

    // p1 under H1 minus its H0 value: the side of the test and of the plot.
    double GetEffectSize() override;
    double GetCriticalValue() override;
    double GetLowerCriticalValue() override;
    void SetCentralDistribution() override;
    void SetNoncentralDistribution() override;

    // The one-sample forms split N by the allocation ratio N2/N1.
    double SolveEffectSize(double alpha, double power, double n) override;
    double ComputePower(double effect, double alpha, double n) override;
    double SolveAlpha(double effect, double power, double n) override;
    double SolveCompromise(double effect, double q, double n) override;

    double SolveEffectSize2(double alpha, double power, double n1, double n2) override;
    double ComputePower2(double p1, double alpha, double n1, double n2) override;
    double SolveAlpha2(double p1, double power, double n1, double n2) override;
    double SolveCompromise2(double p1, double q, double n1, double n2) override;
    // How the exact Compromise walks and halves over alpha.
    static exact_search::CompromiseRules CompromiseSearchRules();
    double SolveSampleSize(double p1, double alpha, double power, bool round) override;

    void BracketSampleSize() override;
    void BracketEffectSize() override;

    std::string GetTestName() override {
        return "Proportions: Inequality, two independent groups (unconditional test) ";
    }
    std::string GetStatisticName() override { return "z"; }
    bool IsGenericTest() override { return false; }
    bool IsContinuous() override;
    // The approximation draws its z scale; the t statistic has none.
    bool HasDistributionPlot() override;
    ParameterId GetCriticalValueId() override { return kCriticalZId; }
    ParameterId GetNoncentralityId() override { return kProportionP1H1Id; }
    ParameterId GetEffectSizeId() override { return GetNoncentralityId(); }
    TestId GetTestId() override { return kUnconditionalTwoProportionsTestId; }
    // The effect measure (with an H0 value), the approximation and the
    // statistic.
    std::string GetMethodText() override;
    void SetStandardValues() override;

    void BuildInputList(AnalysisType type, PropertyList* inputs) override;
    CalculateStatus Calculate(AnalysisType type, PropertyList* inputs) override;
    OutputTable Outputs(AnalysisType type) override;

    bool IsTargetPowerUnreachable(const double* effect, double alpha, double target) override;
    bool CheckSampleSize(int type, double n) override;
    bool CheckGroupSizes(int type, double n1, double n2) override;
    bool CheckEffectSize(int type, double x) override;

    double SensitivityObjective(double x) override;
    double CriterionObjective(double x) override;
    double CompromiseObjective(double x) override;
    double APrioriObjective(double x) override;

    // ---- the hypotheses

    // Whether H0 is a value of the effect measure entered beside p2 (the
    // test with an offset) rather than p1 = p2. That test has the H0 input
    // and its own statistics, checks the effect before the sizes where two
    // inputs are refused, and lets an A priori search without an effect
    // fail instead of refusing the effect.
    virtual bool TakesH0Value() const { return false; }
    // The label of the H0 value of the measure (0 for no measure).
    ParameterId GetH0EffectId() const;
    // The offset of the H0 value x of the measure (p1|H0 - p2); also stored.
    double SetOffsetFromH0Effect(double x);
    // The H0 value of the measure for the offset d.
    double H0EffectFromOffset(double d) const;
    // Whether the chosen statistic is one this test computes (for the
    // chosen measure); a run refuses any other.
    virtual bool OffersStatistic() const;

    // ---- the statistic

    // Power of a statistic that is normal with sd0 under H0 and sd1 under
    // H1, its mean under H1 meanLower for the lower-tail test and meanUpper
    // for the upper one; side as in StatisticMoments. Sets the critical
    // values on the scale of the statistic.
    virtual double NormalApproximationPower(double meanLower, double meanUpper, double sd0,
                                            double sd1, double alpha, int side);
    // The t counterpart: noncentrality `mean`, n - 2 degrees of freedom.
    virtual double TApproximationPower(double mean, double n, double alpha, int side);
    // The moments of the chosen statistic at p1. The base has those of the
    // statistics both tests share (the z tests, codes 0 to 3, and the t
    // test, 6); the derived tests add their own codes.
    virtual StatisticMoments GetStatisticMoments(double p1, double alpha, double n1, double n2);
    // The large-sample power: the t approximation for the t statistic, else
    // the normal one.
    double LargeSamplePower(double p1, double alpha, double n1, double n2);
    // Its beta, from the acceptance region on the side away from the bulk
    // of the statistic: alpha and beta of a Compromise can lie far below
    // 1e-16, where 1 - power is 0.
    double LargeSampleBeta(double p1, double alpha, double n1, double n2);
    // The statistic of the outcome (x1 of n1, x2 of n2) for the side tested
    // (0 upper tail, 1 lower tail, 2 both), large for p1 above its H0
    // value. The base has the pooled and unpooled z and the t (codes 0, 2
    // and 6); the continuity corrections differ between the tests.
    virtual double StatisticValue(int code, double x2, double x1, double n2, double n1,
                                  double extra, int side);
    // p1 from the effect as entered, in the chosen measure.
    void UpdateProportionFromEffect() { proportion1 = Convert23(effectSize); }
    // The effect from p1, in the chosen measure.
    void SetEffectFromP1() { effectSize = Convert24(proportion1); }
    // Whether the x1 that the statistic accepts for this x2 (of m2, against
    // m1 subjects in group 1) are known to form one interval when the side
    // tested (as in StatisticValue) is held against the critical value c:
    // the x1 at or below c a run from 0 when the upper tail is tested, the
    // x1 at or above -c a run up to n1 when the lower one is. Only a proof
    // may say so, since the interval's ends are then found by bisection;
    // the rows of any other x2 are scanned over the x1 the sums visit.
    // It may depend on c through its sign alone: a Compromise search reuses
    // an evaluation across critical values of the same sign (see
    // NoteAtMost). Base: false.
    virtual bool AcceptsAnInterval(int x2, int m1, int m2, int side, double c);
    // Whether the statistic of every outcome (x1, x2) with x1 in lo..hi
    // (of m1, x2 of m2) lies between d near and d far, d = RowDifference,
    // 0 < near <= far: bounds that hold for the value as computed, which
    // spare computing it where they decide. Base: false.
    virtual bool BoundsOverRow(int x2, int lo, int hi, int m1, int m2, double* near, double* far);
    // The numerator d = x1/m1 - RowCentre(x2) of the statistic of
    // BoundsOverRow, and the proportion of group 1 where it vanishes. Base:
    // the difference less the offset, centre x2/m2 + offset.
    virtual double RowDifference(int x2, int x1, int m1, int m2) const;
    virtual double RowCentre(int x2, int m2) const;
    // Whether BoundsOverRow may hold for the chosen statistic. Base: false.
    virtual bool OffersRowBounds() const { return false; }
    // For a statistic that corrects a z for skewness, the value w solving
    // z = w + g (w^2 - 1) (the root that tends to z as g tends to 0, w = 2
    // (z + g) where no real root exists), an increasing function of z: the
    // bounds on g over the outcomes of BoundsOverRow, which then bounds z.
    // False where g is not bounded. Base: g is 0.
    virtual bool SkewOverRow(int x2, int lo, int hi, int m1, int m2, double* gLo, double* gHi);
    // Whether every outcome the chosen statistic accepts against the
    // critical value c > 0 (m1 and m2 subjects), but for the four corners
    // of the table, keeps |x1/m1 - rho x2/m2 - shift| within reach: beta is
    // then bounded by the spread of the two proportions alone. Base: false.
    virtual bool AcceptedReach(double c, int m1, int m2, double* rho, double* shift,
                               double* reach) const;
    // Whether the ratio beta/size of the exact test at p1 (n1, n2 subjects)
    // is proven below q at the floor of the alpha searches, by a bound on
    // beta there and one on the size: the ratio only rises as alpha falls,
    // so no alpha the search may show meets q. Cheap against one exact
    // evaluation; false where the bounds do not decide.
    bool CompromiseBelowFloor(double p1, double q, double n1, double n2);

    // The value x of the chosen effect measure (effectIndex: 0 p1,
    // 1 p1 - p2, 2 p1/p2, 3 odds ratio) as p1, and p1 as that value.
    double Convert23(double x) const;
    double Convert24(double p1) const;

    // Chooses the statistic and the distribution its critical value comes
    // from, as the options dialog does.
    void SetStatistic(int code);
    // Chooses the effect measure (an index outside 0 to 3 changes nothing).
    // The effect is converted so that it describes the same p1, and texts
    // typed into the effect inputs of the measures are forgotten: they
    // stood for other values.
    void SetEffectIndex(int index);

    // Whether a total of n subjects uses the approximation.
    bool UsesLargeSample(int n) const { return largeSample || n > exactLimit; }
    bool UsesLargeSample(double n1, double n2) const;
    // The exact power at p1, leaving the size at p0 in actualAlpha.
    double ExactPower(double p1, double alpha, double n1, double n2);

    // ---- options (the options dialog writes them)
    bool largeSample = false;
    double exactLimit = 10000.0;
    int statistic = 0;
    // 0 standard normal, 1 t with N - 2 df, 2 chi-square with 1 df.
    int referenceDistribution = 0;
    int effectIndex = 0;

    // The difference p1 - p2 under H0: 0, or the offset of the test with
    // one.
    double nullDifference = 0.0;

  protected:
    void CopyStateTo(PowerAnalysis& target) const override;

    // beta of NormalApproximationPower and TApproximationPower (which they
    // call for the critical values).
    double NormalApproximationBeta(double meanLower, double meanUpper, double sd0, double sd1,
                                   double alpha, int side);
    double TApproximationBeta(double mean, double n, double alpha, int side);
    // Copies the options into a clone.
    void CopyOptionsTo(PowerExactUncondTwoProp& target) const;
    // The moments of one of the shared statistics at p1, and its value for
    // the outcome x1 of n1, x2 of n2 with the sample proportions h1, h2.
    // The value is inline: the derived tests call it for every outcome
    // judged.
    StatisticMoments SharedMoments(int code, double p1, double n1, double n2) const;
    double SharedValue(int code, double x1, double n1, double x2, double n2, double h1,
                       double h2) const;
    // The standard deviation of the difference of the sample proportions
    // of x1 of n1 and x2 of n2: pooled, 0 where all or none of the subjects
    // succeeded; unpooled, from the proportions h1 and h2.
    static double PooledSd(double x1, double n1, double x2, double n2);
    static double UnpooledSd(double h1, double n1, double h2, double n2);
    // The value of a statistic whose standard deviation vanishes with the
    // difference d still standing: beyond every critical value on its side.
    static double Beyond(double d);
    // The t statistic of the 0/1 outcomes of both groups (counts x1, x2
    // that need not be whole) against the offset delta.
    static double TValue(double x1, double n1, double x2, double n2, double delta);
    // The value x of the measure describes a p1 the test takes, with p2 as
    // given; false with the message.
    bool CheckEffectFor(double x, double p2);
    // The H0 proportion of group 1.
    double NullProportion() const { return proportion2 + nullDifference; }
    // Sets p1, the groups and the analysis type of a search over alpha and
    // returns the approximation's answer, solve(), as its start: the exact
    // search takes `fallback` where the approximation has none, while the
    // approximation's own failure stands.
    template <class Approximation>
    double ApproximateStart(AnalysisType type, double p1, double n1, double n2, double fallback,
                            Approximation solve);
    // The groups of a total k split by the allocation ratio.
    void SplitTotal(double k, double* n1, double* n2) const;
    // The exact power at p1 with the failure rule of the searches.
    double PowerAt(double p1, double alpha, double n1, double n2);

  private:
    // The binomial masses of one group at one proportion, each computed
    // once (-1 not yet computed).
    struct MassCache {
        int n = -1;
        double q = -1.0;
        // Which hypothesis the masses belong to (0 H1, 1 H0) for the rows
        // sorted by their statistics; -1 none.
        int slot = -1;
        std::vector<double> mass;
        void Reset(int trials, double proportion);
        double At(int x);
        // The first and last x of positive mass (found once per proportion):
        // outside them every mass has underflowed to 0.
        void PositiveRange(int* first, int* last);
        int positiveFirst = 0, positiveLast = -1;
        bool positiveKnown = false;
        // The mass over lo..hi to the rounding of a sum near 1, in one step:
        // running sums over the x whose masses are not negligible against
        // the mode's (built once per proportion) go from each end of that
        // window towards the mode, so a range is a difference of sums of its
        // own side. A small sum that must keep its digits is SumRange's.
        double RangeSum(int lo, int hi);
        int mode = -1, windowLo = 0, windowHi = -1;
        // fromLow[x - windowLo]: the mass over windowLo..x, x below the
        // mode; fromHigh[x - mode]: over x..windowHi, x from the mode on.
        std::vector<double> fromLow, fromHigh;
    };

    // The accepted x1 of one x2, for the region of the current key: their
    // interval where AcceptsAnInterval holds, else a row to scan.
    void FindAcceptanceBounds(int x2);
    // P(X2 = x2) times the mass of group 1 over the accepted x1 of that x2;
    // a scanned row is summed from `start` outwards.
    double SumAcceptedRow(int x2, int start, MassCache& group1);
    // The mass of group 1 over lo..hi, from the end nearer to `start` (or
    // from `start` within) outwards, each term on its own: a small sum keeps
    // its digits.
    double SumRange(MassCache& group1, int lo, int hi, int start);
    // P(X2 = x2) times the mass of group 1 over the rejected (or accepted)
    // x1 of that x2, such that a small sum keeps its digits: the tails
    // beyond the accepted interval summed from its ends, a scanned row
    // until its masses are negligible against `running`, the sum of the
    // rows before, plus its own.
    double SumRowTail(int x2, int start, MassCache& group1, bool rejected, double running);
    // The same for a scanned row: every x1 from `start` outwards, each
    // judged by its own statistic, until the masses left are negligible.
    double SumScannedRow(int x2, int start, MassCache& group1);
    // The x1 of a scanned row from `start` outwards, the larger next mass
    // first, visit(x1, mass) for each, until spent(total, down, up) says
    // that the next masses down and up are negligible (total: the mass
    // visited); without `spent`, negligible against the row's mass, as
    // SumScannedRow sums them.
    template <class Visit, class Spent>
    void VisitScannedRow(int start, MassCache& group1, Visit visit, Spent spent);
    template <class Visit>
    void VisitScannedRow(int start, MassCache& group1, Visit visit);
    // Whether the statistic accepts the outcome (x1, x2).
    bool Accepts(int x2, int x1);
    // The accepted mass of all outcomes, the rows of group 2 summed from
    // its mode outwards. With a target power above 0 the walk stops as
    // soon as its rows decide whether 1 minus the whole sum reaches the
    // target: the sum returned is then part of the accepted mass, and 1
    // minus it lies on the same side of the target as 1 minus the whole.
    double WalkRows(MassCache& group1, double target = 0.0);
    // The rejected (or accepted) mass of all outcomes, each row from
    // SumRowTail.
    double WalkTail(MassCache& group1, bool rejected);
    // The rows of group 2 from its mode outwards, rowSum(x2, running)
    // giving each; until the masses of group 2 left are negligible, or
    // with a target above 0, until the rows summed decide on which side of
    // it 1 minus the whole sum lies.
    template <class RowSum>
    double WalkRowsWith(RowSum rowSum, double target = 0.0);
    // The critical value of the exact test (on the oriented scale).
    double ExactCriticalValue(double alpha, int side) const;
    // The statistic with the likelihood ratio turned into its signed root,
    // so that every statistic grows with x1.
    double OrientedValue(int x2, int x1);

    // The region and what it was found for. The statistic of an outcome
    // depends on everything here but the critical value: a search over
    // alpha keeps the values of the rows judged outcome by outcome and
    // compares them with each new critical value, rather than computing
    // them again at every step.
    struct RegionKey {
        int m1 = -1, m2 = -1, code = -1, reference = -1, side = -1;
        // p2 as well: the ratio statistics test the H0 ratio (p2 + offset)/p2.
        double critical = 0.0, offset = 0.0, p2 = -1.0;
        bool operator==(const RegionKey&) const = default;
    };
    RegionKey regionKey_;
    // The key of the values kept in scanned_ (its critical value unused).
    RegionKey valuesKey_;
    // Per x2: the ends of the accepted interval (lower -1 not yet known,
    // kScannedRow for a row judged outcome by outcome).
    std::vector<int> acceptLower_;
    std::vector<int> acceptUpper_;
    // The oriented statistics of the x1 of one x2 (NaN not yet computed),
    // held for the span of x1 the sums have visited only: a row of a large
    // group is visited near its modes alone.
    struct ScannedRow {
        int base = 0;
        std::vector<double> values;
        double& At(int x1, int m1);
        // Whether keeping x1 would at most double the span, as the walks
        // from a mode outwards grow it.
        bool Near(int x1) const {
            const int size = static_cast<int>(values.size());
            return size == 0 || (x1 >= base - size && x1 < base + 2 * size);
        }
        // The value kept for x1, NaN where none is.
        double Known(int x1) const {
            const int i = x1 - base;
            return i >= 0 && i < static_cast<int>(values.size())
                       ? values[static_cast<size_t>(i)]
                       : std::numeric_limits<double>::quiet_NaN();
        }
    };
    std::vector<ScannedRow> scanned_;
    // A search over alpha at one p1 (Criterion, Compromise) sums each
    // scanned row at every step over the same x1 with the same masses, and
    // only the critical value moves: the row's outcomes sorted by the value
    // held against it (keys ascending), with the running sums of their
    // masses, give its accepted mass by one binary search.
    struct SortedRow {
        std::vector<double> keys;
        std::vector<double> cumulative;
        double Kept(double c) const;
    };
    const SortedRow& SortedRowFor(int x2, int start, MassCache& group1);
    // Whether the searches' rows are sorted (set while one runs), and the
    // sorted rows of each hypothesis with the proportion they are for.
    bool sortRows_ = false;
    double sortedQ_[2] = {-1.0, -1.0};
    std::vector<SortedRow> sorted_[2];
    std::vector<std::pair<double, double>> sortScratch_;
    // A tail walk of a scanned row that wants nothing from the rows before
    // visits, while it finds nothing wanted, outcomes set by the masses
    // alone, until the row's mass times what is left rounds to 0. Where one
    // such walk found nothing, the least and greatest keys it visited (as
    // SortedRow's) tell at any later critical value whether it would find
    // nothing again, without visiting them. Per hypothesis (slot) and sum
    // (accepted 0, rejected 1), with the proportion they are for; lo NaN
    // where none is known.
    struct EmptyWalk {
        double lo = std::numeric_limits<double>::quiet_NaN(), hi = 0.0;
    };
    // What is kept per row of group 2 for each hypothesis (the slot) and
    // sum (accepted 0, rejected 1), cleared when the proportion it was
    // kept for changes.
    template <class T>
    struct PerRow {
        double q[2][2] = {{-1.0, -1.0}, {-1.0, -1.0}};
        std::vector<T> rows[2][2];
        T& At(int x2, int m2, const MassCache& group1, bool rejected) {
            const size_t slot = static_cast<size_t>(group1.slot), sum = rejected ? 1 : 0;
            std::vector<T>& kept = rows[slot][sum];
            if (q[slot][sum] != group1.q || kept.size() != static_cast<size_t>(m2) + 1) {
                q[slot][sum] = group1.q;
                kept.assign(static_cast<size_t>(m2) + 1, {});
            }
            return kept[static_cast<size_t>(x2)];
        }
        void Clear() {
            for (auto& each : q) each[0] = each[1] = -1.0;
        }
    };
    PerRow<EmptyWalk> emptyWalks_;
    // While a Compromise search traces its comparisons: a row's tail sum
    // with what it was summed with (the interval's ends, or kScannedRow
    // with the span, the critical values [from, below) for which its
    // comparisons come out the same, and the running sums before it for
    // which its walk stops at the same outcome: 0 alone, or [runningLo,
    // runningHi)). Per hypothesis and sum, with the proportion they are for.
    struct RowMemo {
        bool known = false;
        int lower = 0, upper = 0;
        bool spanned = false;
        int first = 0, last = 0;
        double from = 0.0, below = 0.0;
        bool runningZero = false;
        double runningLo = 0.0, runningHi = 0.0;
        double sum = 0.0;
    };
    PerRow<RowMemo> rowMemos_;
    // The running sums for which each verdict of a walk's stopping rule
    // stays: from lo (the step it stopped at) below hi (the steps before).
    struct StopRange {
        double lo = 0.0, hi = std::numeric_limits<double>::infinity();
    };
    // SumRowTail of a scanned row with its span (spanned, first, last) from
    // AcceptedSpan; `stops`, where given, gets the running sums for which
    // its walk stops where it did.
    double SumScannedTail(int x2, int start, MassCache& group1, bool rejected, double running,
                          bool spanned, int first, int last, StopRange* stops);
    // The ends of each row's interval while a search traces its
    // comparisons, with the critical values [from, below) they hold for.
    struct BoundsMemo {
        bool known = false;
        double from = 0.0, below = 0.0;
        int lower = -1, upper = -1;
    };
    std::vector<BoundsMemo> boundsMemos_;
    // FindAcceptanceBounds, or its ends again where they hold.
    void AcceptanceBoundsOf(int x2);
    // Group 2's masses, and group 1's under H1 and under H0: kept while the
    // proportions and groups stay, as they do over a search for alpha.
    MassCache group2_, group1H1_, group1H0_;
    int m1_ = 0, m2_ = 0, side_ = 2;
    // The x1 of weight under either hypothesis (mass above 1e-15 of the
    // mode's, where the sums of scanned rows stop), and per x2 the bounds of
    // BoundsOverRow over them (near NaN not yet known, 0 none); the key
    // they were found for.
    int weightLo_ = 0, weightHi_ = -1;
    RegionKey boundsKey_;
    int boundsLo_ = 0, boundsHi_ = -1;
    std::vector<double> rowNear_, rowFar_, rowSkewLo_, rowSkewHi_;
    // Per x2, the thresholds of z at +-c from the row's skewness bounds
    // (SkewThreshold, greatest and least), for the critical value c (NaN
    // none yet).
    struct RowThresholds {
        double critical = std::numeric_limits<double>::quiet_NaN();
        double upperMost = 0.0, upperLeast = 0.0, lowerLeast = 0.0, lowerMost = 0.0;
    };
    std::vector<RowThresholds> rowThresholds_;
    // The verdict of the bounds on (x1, x2): +1 accepted, -1 rejected, 0
    // the value must be computed.
    int Screen(int x2, int x1);
    // The x1 of row x2 that may be accepted at the current critical value,
    // from BoundsOverRow over the whole row; false without bounds.
    bool AcceptedSpan(int x2, int* first, int* last);
    // Whether rowMass times any sum of at most `count` masses, none above
    // `largest`, rounds to 0.
    static bool ProductUnderflows(double rowMass, double largest, int count);
    // Whether the large-sample beta lies far below the ones the exact walk
    // sums to their digits (false where it cannot be had): it only orders
    // the exact sums.
    bool ApproximateBetaIsTiny(double p1, double alpha, double n1, double n2);
    double critical_ = 0.0;
    // While a Compromise search evaluates the exact power: the critical
    // values c' in [sameFrom_, sameBelow_) for which every comparison the
    // evaluation made with its critical value c comes out as it did, and
    // the spans AcceptedSpan gave. Every sum then visits the same outcomes
    // in the same order with the same verdicts, so an evaluation at such a
    // c' whose spans are the same gives the same bits, and the search takes
    // them without summing again.
    struct SpanRecord {
        int x2;
        bool found;
        int first, last;
    };
    bool traceCritical_ = false;
    double sameFrom_ = 0.0, sameBelow_ = 0.0;
    std::vector<SpanRecord> spanRecords_;
    // Notes the comparison v <= c that came out `atMost`.
    void NoteAtMost(double v, bool atMost) {
        if (!traceCritical_) return;
        if (atMost) {
            sameFrom_ = std::max(sameFrom_, v);
        } else {
            sameBelow_ = std::min(sameBelow_, v);
        }
    }
    // Whether AcceptedSpan gives each recorded row the same span at c.
    bool SpansStay(const std::vector<SpanRecord>& spans, double c);
    // Whether ExactPower sums a small beta on its own side (the Compromise
    // search: the other searches pay nothing for it), and beta so summed.
    bool wantTails_ = false;
    // Whether ExactPower sums a small size, and a small power, on its own
    // side (over the rejected outcomes). The searches for N, alpha and p1
    // decide by the power alone and leave it to the evaluation at their
    // answer, which every analysis shows.
    bool sizeOnItsSide_ = true;
    // Above 0, ExactPower only decides whether the power reaches this
    // target (the A priori scan, which asks nothing else of a total): the
    // size is not summed, and the power it returns lies on the right side
    // of the target but is the power of the rows summed so far only.
    double decideTarget_ = 0.0;
    // Above 0, a Compromise's probe asks ExactPower only whether beta over
    // the size lies below this bar: where beta is small and the rejected
    // outcomes under H0 summed so far already put the ratio below it, the
    // rest is not summed and `probeBounded_` says so (the size is then that
    // part of it).
    double probeBar_ = 0.0;
    bool probeBounded_ = false;
    // The rejected walk under H0 stops once its sum reaches this.
    double tailStopAt_ = std::numeric_limits<double>::infinity();
    double exactBeta_ = 0.0;
};

inline double PowerExactUncondTwoProp::Beyond(double d) {
    if (d > 0.0) return 1e30;
    if (d < 0.0) return -1e30;
    return 0.0;
}

inline double PowerExactUncondTwoProp::PooledSd(double x1, double n1, double x2, double n2) {
    const double pooled = (x1 + x2) / (n1 + n2);
    if (!(pooled > 0.0 && pooled < 1.0)) return 0.0;
    return std::sqrt((1.0 / n1 + 1.0 / n2) * pooled * (1.0 - pooled));
}

inline double PowerExactUncondTwoProp::UnpooledSd(double h1, double n1, double h2, double n2) {
    return std::sqrt(h2 * (1.0 - h2) / n2 + h1 * (1.0 - h1) / n1);
}

inline double PowerExactUncondTwoProp::TValue(double x1, double n1, double x2, double n2,
                                              double delta) {
    const double n = n1 + n2;
    const double g = (n2 - x2 - delta * n2) * x1 - (x2 + delta * n2) * (n1 - x1);
    if (std::fabs(g) < 1e-12) return 0.0;
    const double w = (x1 * n2 * (n1 - x1) + x2 * n1 * (n2 - x2)) * n;
    if (w > 0.0) return std::sqrt((n - 2.0) / w) * g;
    return g > 0.0 ? 1e30 : -1e30;
}

inline double PowerExactUncondTwoProp::SharedValue(int code, double x1, double n1, double x2,
                                                   double n2, double h1, double h2) const {
    const double d = h1 - h2 - nullDifference;
    switch (code) {
        case 0: {
            // All or none of the subjects succeeded: the outcome says
            // nothing against H0, whatever the offset makes of its
            // difference.
            const double sd = PooledSd(x1, n1, x2, n2);
            return sd > 0.0 ? d / sd : 0.0;
        }
        case 2: {
            // Without spread in either group the difference stands over a
            // zero standard deviation.
            const double sd = UnpooledSd(h1, n1, h2, n2);
            return sd > 0.0 ? d / sd : Beyond(d);
        }
        case 6:
            return TValue(x1, n1, x2, n2, nullDifference);
        default:
            return 0.0;
    }
}
