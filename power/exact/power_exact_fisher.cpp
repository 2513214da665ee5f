#include "power/exact/power_exact_fisher.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <limits>
#include <map>
#include <utility>

#include "analysis/family_support.h"
#include "distributions/normal.h"
#include "numerics/cancel.h"
#include "numerics/quorix_error.h"
#include "numerics/rounding.h"
#include "power/exact/exact_search.h"
#include "power/exact/exact_solve.h"
#include "power/exact/restore.h"

namespace {

// The A priori scan steps at most this many totals beyond the start of the
// approximation; the exact power follows the approximate one closely.
constexpr double kMaxScan = 1e5;

double Infinity() {
    return std::numeric_limits<double>::infinity();
}

// The standard normal distribution function, and the quantile of the upper
// tail a taken from the lower tail, so that a small a keeps its digits.
double Phi(double x) {
    NormalDistribution standard(0.0, 1.0);
    return standard.Cdf(x);
}
double UpperQuantile(double a) {
    NormalDistribution standard(0.0, 1.0);
    return -standard.Quantile(a);
}

// P(N(w, s) > 0), also for s = 0, where every observation is the same.
double AbovePoint(double w, double s) {
    if (s > 0.0) return Phi(w / s);
    return w > 0.0 ? 1.0 : (w < 0.0 ? 0.0 : 0.5);
}

class CancelPoll : public FisherExactPower::Poll {
  public:
    explicit CancelPoll(PowerAnalysis& test) : test_(test) {}
    void operator()() override {
        if (test_.IsCancelled()) throw CancelledError();
    }

  private:
    PowerAnalysis& test_;
};

int AsInt(long n) {
    return static_cast<int>(std::clamp<long>(n, INT_MIN, INT_MAX));
}

[[noreturn]] void NotFound(const char* what, double value) {
    throw QuorixError(std::string("Exact-Fisher: no ") + what + " found",
                      QuorixError::kAboveUpperBound, value);
}

}  // namespace

PowerExactFisherTwoProp::PowerExactFisherTwoProp() {
    distribution = new NormalDistribution(0.0, 1.0);
    maxSampleSize = 1000000.0;
    exactFlag = true;
    effectDirection = 1.0;
    PowerExactFisherTwoProp::SetStandardValues();
}

void PowerExactFisherTwoProp::SetStandardValues() {
    alpha = 0.05;
    power = 0.95;
    effectSize = 0.5;
    proportion1 = 0.5;
    proportion2 = 0.6;
    sampleSize = 100.0;
    groupSize1 = RoundTo(50.0, 0);
    groupSize2 = sampleSize - groupSize1;
    allocationRatio = 1.0;
    ratio = kStandardRatio;
    SetCentralDistribution();
}

PowerAnalysis* PowerExactFisherTwoProp::Clone() {
    auto* copy = CloneAs<PowerExactFisherTwoProp>();
    copy->useApproximation = useApproximation;
    copy->exactThreshold = exactThreshold;
    copy->statistic = statistic;
    copy->alphaBalancing = alphaBalancing;
    copy->continuityCorrection = continuityCorrection;
    return copy;
}

std::string PowerExactFisherTwoProp::GetMethodText() {
    return UsesApproximation(sampleSize) ? "Large Sample z-Approximation" : "Exact distribution";
}

// ------------------------------------------------------------ the plot

void PowerExactFisherTwoProp::SetCentralDistribution() {
    distribution->SetParam(0, 0.0);
    distribution->SetParam(1, 1.0);
}

// The standardized difference of the proportions under H1.
void PowerExactFisherTwoProp::SetNoncentralDistribution() {
    const double p1 = effectSize, p2 = proportion2;
    const double n1 = groupSize1, n2 = groupSize2;
    const double pooled = (n2 * p2 + n1 * p1) / (n1 + n2);
    double sd0 = std::sqrt(pooled * (1.0 - pooled) * (1.0 / n1 + 1.0 / n2));
    double sd1 = std::sqrt(p1 * (1.0 - p1) / n1 + p2 * (1.0 - p2) / n2);
    if (sd0 == 0.0) sd0 = 1e-6;
    if (sd1 == 0.0) sd1 = 1e-6;
    distribution->SetParam(0, (p1 - p2) / sd0);
    distribution->SetParam(1, sd1 / sd0);
}

// ------------------------------------------------------------ the power

double PowerExactFisherTwoProp::ApproximatePower(double p1, double alphaValue, double n1,
                                                 double n2) {
    const double p2 = proportion2;
    const bool firstSmaller = p1 <= p2;
    const double ps = firstSmaller ? p1 : p2, ns = firstSmaller ? n1 : n2;
    const double pl = firstSmaller ? p2 : p1, nl = firstSmaller ? n2 : n1;
    const double d = pl - ps;
    const double pooled = (nl * pl + ns * ps) / (nl + ns);
    const double k = 1.0 / n1 + 1.0 / n2;
    const double cc = continuityCorrection && pl > ps ? 0.5 * k : 0.0;
    const double sd1 = std::sqrt(ps * (1.0 - ps) / ns + pl * (1.0 - pl) / nl);
    const double sd0 = std::sqrt(pooled * (1.0 - pooled) * k);

    // The critical values of the standardized statistic, on the side of
    // p1 - p2 first.
    const bool lowerSide = p1 - p2 < 0.0;
    if (oneTailed) {
        criticalValue = criticalValue2 =
            lowerSide ? -UpperQuantile(alphaValue) : UpperQuantile(alphaValue);
    } else {
        criticalValue = UpperQuantile(alphaValue / 2.0);
        criticalValue2 = -criticalValue;
        if (lowerSide) std::swap(criticalValue, criticalValue2);
    }

    // Both proportions 0 or both 1: no difference to find, and the
    // approximation's power of no difference is alpha.
    // beta beside it from the acceptance region itself, below the upper
    // critical point of d >= 0 (less the far tail with two).
    if (sd1 == 0.0 && d == 0.0) {
        approximateBeta_ = 1.0 - alphaValue;
        return alphaValue;
    }
    if (oneTailed) {
        const double z = sd0 * UpperQuantile(alphaValue);
        approximateBeta_ = AbovePoint(z - (d - cc), sd1);
        return AbovePoint((d - cc) - z, sd1);
    }
    const double z = sd0 * UpperQuantile(alphaValue / 2.0);
    approximateBeta_ =
        std::max(AbovePoint(z - (d - cc), sd1) - AbovePoint(-z - (d + cc), sd1), 0.0);
    return AbovePoint(-z - (d + cc), sd1) + AbovePoint((d - cc) - z, sd1);
}

FisherExactPower::Design PowerExactFisherTwoProp::ExactDesign(double p1, double alphaValue,
                                                              double n1, double n2, double* pa,
                                                              double* pb) const {
    const double p2 = proportion2;
    FisherExactPower::Design design;
    design.alpha = alphaValue;
    design.oneTailed = oneTailed;
    design.statistic = statistic;
    design.balancing = alphaBalancing;
    // One tail tests the counts of the group with the smaller proportion;
    // two tails those of group 2.
    *pa = p2;
    *pb = p1;
    design.referenceSize = static_cast<int>(n2);
    design.otherSize = static_cast<int>(n1);
    if (oneTailed && p1 <= p2) {
        *pa = p1;
        *pb = p2;
        design.referenceSize = static_cast<int>(n1);
        design.otherSize = static_cast<int>(n2);
    }
    return design;
}

double PowerExactFisherTwoProp::ExactPower(double p1, double alphaValue, double n1, double n2) {
    double pa, pb;
    const FisherExactPower::Design design = ExactDesign(p1, alphaValue, n1, n2, &pa, &pb);
    CancelPoll poll(*this);
    const FisherExactPower::Result result =
        exact_.Compute(design, pa, pb, proportion2, poll, wantBeta_);
    actualAlpha = result.size;
    exactBeta_ = result.beta;
    return result.power;
}

double PowerExactFisherTwoProp::ComputePower2(double p1, double alphaValue, double n1, double n2) {
    effectSize = p1;
    alpha = alphaValue;
    groupSize1 = n1;
    groupSize2 = n2;
    sampleSize = n1 + n2;
    UpdateProportionH1();
    if (UsesApproximation(sampleSize)) {
        actualPower = ApproximatePower(p1, alphaValue, n1, n2);
        actualAlpha = alphaValue;
    } else {
        actualPower = ExactPower(p1, alphaValue, n1, n2);
    }
    return actualPower;
}

void PowerExactFisherTwoProp::Split(double n, double* n1, double* n2) const {
    *n1 = std::max(1.0, RoundTo(n / (allocationRatio + 1.0), 0));
    *n2 = std::max(1.0, RoundTo(*n1 * allocationRatio, 0));
}

double PowerExactFisherTwoProp::ComputePower(double p1, double alphaValue, double n) {
    double n1, n2;
    Split(n, &n1, &n2);
    return ComputePower2(p1, alphaValue, n1, n2);
}

double PowerExactFisherTwoProp::SolveEffectSize(double alphaValue, double target, double n) {
    double n1, n2;
    Split(n, &n1, &n2);
    return SolveEffectSize2(alphaValue, target, n1, n2);
}

double PowerExactFisherTwoProp::SolveAlpha(double p1, double target, double n) {
    double n1, n2;
    Split(n, &n1, &n2);
    return SolveAlpha2(p1, target, n1, n2);
}

double PowerExactFisherTwoProp::SolveCompromise(double p1, double q, double n) {
    double n1, n2;
    Split(n, &n1, &n2);
    return SolveCompromise2(p1, q, n1, n2);
}

bool PowerExactFisherTwoProp::IsTargetPowerUnreachable(const double* p1, double alphaValue,
                                                       double target) {
    double n1, n2;
    Split(maxSampleSize, &n1, &n2);
    return ApproximatePower(*p1, alphaValue, n1, n2) < target;
}

// ------------------------------------------------------------ objectives

double PowerExactFisherTwoProp::SensitivityObjective(double x) {
    const double d = ApproximatePower(x, alpha, groupSize1, groupSize2) - power;
    if (effectDirection > 0.0) return x >= proportion2 ? d : d + 1.0;
    return x <= proportion2 ? -d : d + 1.0;
}

double PowerExactFisherTwoProp::CriterionObjective(double x) {
    return ApproximatePower(effectSize, x, groupSize1, groupSize2) - power;
}

double PowerExactFisherTwoProp::CompromiseObjective(double x) {
    ApproximatePower(effectSize, x, groupSize1, groupSize2);
    return 1.0 - approximateBeta_ / (x * ratio);
}

double PowerExactFisherTwoProp::APrioriObjective(double x) {
    groupSize1 = x / (allocationRatio + 1.0);
    groupSize2 = x - groupSize1;
    return ApproximatePower(effectSize, alpha, groupSize1, groupSize2) - power;
}

void PowerExactFisherTwoProp::BracketSampleSize() {
    BracketSampleSizeFrom(2.0, 100.0);
}

void PowerExactFisherTwoProp::BracketEffectSize() {
    const double p2 = proportion2;
    if (effectDirection > 0.0) {
        BracketFromStart(p2, 1.0, (p2 + 1.0) / 2.0);
    } else {
        BracketFromStart(0.0, p2, p2 / 2.0);
    }
}

// ------------------------------------------------------------- A priori

// The approximation with continuity correction gives the first total; the
// exact power is a sawtooth in N, so the totals are scanned: up from there
// to the first whose exact power reaches the target, down from the
// uncorrected approximation's total to the first that does not, and up
// again from that one.
double PowerExactFisherTwoProp::SolveSampleSize(double p1, double alphaValue, double target, bool) {
    effectSize = p1;
    alpha = alphaValue;
    power = target;
    UpdateProportionH1();
    analysisType = kAPriori;
    BracketSampleSize();
    const double start = SolveInBracket("Solver-SampleSize", 300, true);
    double n1, n2;
    Split(start, &n1, &n2);
    while (n1 + n2 < start) {
        n1 += 1.0;
        n2 = std::max(1.0, RoundTo(n1 * allocationRatio, 0));
    }
    groupSize1 = n1;
    groupSize2 = n2;
    sampleSize = n1 + n2;
    actualPower = ApproximatePower(p1, alphaValue, n1, n2);
    actualAlpha = alphaValue;
    if (!UsesApproximation(sampleSize)) {
        // Each split is computed once; the scans meet the same ones again.
        // The scans only compare each power with the target: where part of
        // the margins settles that, the split keeps a bound on the right
        // side of it (decided), and the answer's power and size are
        // summed in full at the end.
        struct Known {
            double power, size;
            bool decided;
        };
        std::map<std::pair<double, double>, Known> seen;
        CancelPoll cancel(*this);
        auto powerOf = [&](double total) {
            double a, b;
            Split(total, &a, &b);
            auto it = seen.find({a, b});
            if (it == seen.end()) {
                double pa, pb;
                const FisherExactPower::Design design = ExactDesign(p1, alphaValue, a, b, &pa, &pb);
                const int verdict = exact_.Reaches(design, pa, pb, target, cancel);
                Known k{0.0, 0.0, verdict != 0};
                if (verdict == 0) {
                    k.power = ExactPower(p1, alphaValue, a, b);
                    k.size = actualAlpha;
                } else {
                    // A stand-in that every comparison of the scans with
                    // the target takes the same way as the power.
                    k.power = verdict > 0 ? 1.0 + target : -1.0;
                }
                it = seen.emplace(std::make_pair(a, b), k).first;
            }
            groupSize1 = a;
            groupSize2 = b;
            sampleSize = a + b;
            actualPower = it->second.power;
            actualAlpha = it->second.size;
            return actualPower;
        };
        const auto poll = exact_search::StopCheck(*this);
        exact_search::SampleSizeRules scan;
        scan.maxSteps = kMaxScan;
        const double first = sampleSize;
        // The uncorrected approximation's total, where the second scan
        // starts (none where its solver fails).
        double down = -1.0;
        try {
            const Restore<bool> plain(continuityCorrection, false);
            BracketSampleSize();
            down = std::max(std::floor(SolveInBracket("Solver-SampleSize", 300, true)), 2.0);
        } catch (const QuorixError&) {
        }
        if (down < 0.0 || down > first) {
            // The second scan starts at the first scan's answer where that
            // lies below the uncorrected total or that total is unknown.
            const double upper = exact_search::SampleSizeReaching(powerOf, target, first, scan,
                                                                  poll, "Exact-Fisher");
            exact_search::SampleSizeReachingBelow(
                powerOf, target, down < 0.0 ? upper : std::min(down, upper), 2.0, poll);
        } else {
            // The first scan's answer lies at or above `first`, so the second
            // scan starts at `down` whatever that answer is: only whether the
            // first scan finds one matters. The second scan runs first; where
            // it ends at or above `first` its answer is the first scan's too,
            // and where it ends below, one total beyond `first` that reaches
            // the target shows the first scan would end, without stepping
            // through the totals before it.
            const double n = exact_search::SampleSizeReachingBelow(
                powerOf, target, down, 2.0, poll, first + kMaxScan, "Exact-Fisher");
            if (n < first) {
                const double probe = std::min(first + 2.0 * (first - n), first + kMaxScan);
                if (!(powerOf(probe) >= target)) {
                    exact_search::SampleSizeReaching(powerOf, target, first, scan, poll,
                                                     "Exact-Fisher");
                }
                powerOf(n);
            }
        }
        const Known& answer = seen.at({groupSize1, groupSize2});
        if (answer.decided) {
            actualPower = ExactPower(p1, alphaValue, groupSize1, groupSize2);
        }
    }
    power = target;
    return sampleSize;
}

// ---------------------------------------------------------- Sensitivity

double PowerExactFisherTwoProp::SolveEffectSize2(double alphaValue, double target, double n1,
                                                 double n2) {
    alpha = alphaValue;
    actualAlpha = alphaValue;
    power = target;
    groupSize1 = n1;
    groupSize2 = n2;
    sampleSize = n1 + n2;
    analysisType = kSensitivity;
    const double boundary = effectDirection > 0.0 ? 1.0 : 0.0;
    const bool exact = !UsesApproximation(sampleSize);
    double p1 = boundary;
    if (ApproximatePower(boundary, alphaValue, n1, n2) >= target || !exact) {
        BracketEffectSize();
        p1 = SolveInBracket("Solver-EffectSize", 100);
    }
    effectSize = p1;
    UpdateProportionH1();
    actualPower = ApproximatePower(p1, alphaValue, n1, n2);
    if (exact) p1 = ExactSensitivity(target, p1);
    alpha = alphaValue;
    power = target;
    return p1;
}

// Bisection over p1 between the approximation's answer and the end of the
// chosen side (or p2), keeping the half whose ends bracket the target.
double PowerExactFisherTwoProp::ExactSensitivity(double target, double start) {
    const double n1 = groupSize1, n2 = groupSize2;
    const double boundary = effectDirection > 0.0 ? 1.0 : 0.0;
    auto powerAt = [&](double p1) {
        actualPower = ExactPower(p1, alpha, n1, n2);
        return actualPower;
    };
    if (powerAt(boundary) < target) NotFound("effect size", boundary);
    double reach = boundary, other = start;
    if (start == boundary) {
        other = proportion2;
    } else if (powerAt(start) >= target) {
        reach = start;
        other = proportion2;
    }
    reach = exact_search::EffectReaching(powerAt, target, other, reach, 1e-10);
    effectSize = reach;
    UpdateProportionH1();
    return reach;
}

// ------------------------------------------------------------ Criterion

double PowerExactFisherTwoProp::SolveAlpha2(double p1, double target, double n1, double n2) {
    effectSize = p1;
    power = target;
    actualPower = target;
    groupSize1 = n1;
    groupSize2 = n2;
    sampleSize = n1 + n2;
    UpdateProportionH1();
    analysisType = kCriterion;
    const bool exact = !UsesApproximation(sampleSize);
    double a = 0.5;
    try {
        BracketAlpha();
        a = SolveInBracket("Solver-Alpha", 300);
    } catch (const QuorixError&) {
        // The exact search needs only a start.
        if (!exact) throw;
    }
    alpha = a;
    actualAlpha = a;
    if (exact) return ExactCriterion(target, a);
    actualPower = ApproximatePower(p1, a, n1, n2);
    return a;
}

// The exact power rises with alpha in steps: the smallest alpha (to 1e-7,
// and below 1e-7 to 1e-7 of itself) whose power reaches the target, by
// bisection from the approximation's. A target that even alpha 1 misses
// is a failure, as in the unconditional tests, and so is one that alpha
// 1e-99 already reaches.
double PowerExactFisherTwoProp::ExactCriterion(double target, double start) {
    const double n1 = groupSize1, n2 = groupSize2;
    auto powerAt = [&](double x) {
        actualPower = ExactPower(effectSize, x, n1, n2);
        return actualPower;
    };
    // The largest alpha a user can type back.
    const double largest = exact_search::kLargestAlpha;
    start = std::min(start, largest);
    double lo = start, hi = largest;
    if (powerAt(start) >= target) {
        lo = 0.0;
        hi = start;
    } else if (powerAt(largest) < target) {
        powerAt(start);
        throw QuorixError("Solver-Alpha: target power not reachable", QuorixError::kAboveUpperBound,
                          1.0);
    }
    alpha = exact_search::SmallestAlphaReaching(powerAt, target, lo, hi, "Exact-Fisher");
    return alpha;
}

// ----------------------------------------------------------- Compromise

double PowerExactFisherTwoProp::SolveCompromise2(double p1, double q, double n1, double n2) {
    ratio = q;
    groupSize1 = n1;
    groupSize2 = n2;
    sampleSize = n1 + n2;
    effectSize = p1;
    UpdateProportionH1();
    analysisType = kCompromise;
    const bool exact = !UsesApproximation(sampleSize);
    double a = 0.05;
    try {
        BracketCompromiseAlpha();
        a = SolveInBracket("Solver-Compromise", 100);
    } catch (const QuorixError&) {
        if (!exact) throw;
    }
    alpha = a;
    actualAlpha = a;
    power = ApproximatePower(p1, a, n1, n2);
    actualPower = power;
    if (exact) return ExactCompromise(q);
    compromiseBeta = approximateBeta_;
    return approximateBeta_ / a;
}

// From the size the approximation's alpha attains, the walk and halving of
// the exact family. beta is summed over the accepted tables, so that a ratio
// met far below 1e-16 keeps its digits.
double PowerExactFisherTwoProp::ExactCompromise(double q) {
    const Restore<bool> withBeta(wantBeta_, true);
    const double n1 = groupSize1, n2 = groupSize2, p1 = effectSize;
    auto at = [&](double x) {
        alpha = x;
        power = ExactPower(p1, x, n1, n2);
        actualPower = power;
        compromiseBeta = exactBeta_;
        return exact_search::Step{actualAlpha > 0.0 ? exactBeta_ / actualAlpha : Infinity(),
                                  actualAlpha};
    };
    exact_search::CompromiseRules rules;
    rules.nearestTried = true;
    rules.bracketFromStart = true;
    const double start = std::clamp(alpha, exact_search::kAlphaFloor, exact_search::kLargestAlpha);
    const exact_search::CompromiseResult found = exact_search::ShownCompromiseAlpha(
        at, q, exact_search::CompromiseAlpha(at, q, start, rules));
    alpha = found.alpha;
    return found.ratio;
}

// --------------------------------------------------------------- checks

bool PowerExactFisherTwoProp::CheckSampleSize(int, double n) {
    ClearMessage();
    return CheckSampleSizeMinimum(static_cast<int>(std::clamp(n, -1.0, 2147483647.0)), 1);
}

bool PowerExactFisherTwoProp::CheckGroupSizes(int, double n1, double n2) {
    ClearMessage();
    auto count = [](double n) { return static_cast<int>(std::clamp(n, -1.0, 2147483647.0)); };
    return CheckSampleSizeMinimum(count(n1 + n2), 1) && CheckSampleSizeMinimum(count(n1), 1) &&
           CheckSampleSizeMinimum(count(n2), 1);
}

bool PowerExactFisherTwoProp::CheckEffectSize(int, double p1) {
    ClearMessage();
    return CheckNamedRangeInclusive("Proportion p1", p1, 0.0);
}

// --------------------------------------------------------- lists and run

void PowerExactFisherTwoProp::BuildInputList(AnalysisType type, PropertyList* inputs) {
    inputs->Clear();
    AddTailsInput(inputs);
    if (type == kSensitivity) {
        AddEffectDirectionInput(inputs, "p1$\\le$p2", "p1$\\ge$p2");
    } else {
        AddEffectSizeInput(inputs, kProportionP1Id, kFisherTestId, std::string(), true);
    }
    AddProportionP2Input(inputs, proportion2);
    AddGivenInputs(*this, type, inputs, [] {});
    if (GivenInputsOf(type).sampleSize) {
        AddSampleSize1Input(inputs);
        AddSampleSize2Input(inputs);
    } else {
        AddAllocationRatioInput(inputs, kAllocationRatioId);
    }
}

namespace {

// Whether the table of no successes (or of all) has so much of the mass
// under H1 that every other table together holds less than the smallest
// power a user can ask for: no region of the exact test then reaches it,
// whatever alpha (p1 1e-12, p2 2e-12 ended in the search's own failure).
bool OneTableCertain(double p1, double p2, double n1, double n2) {
    const double noSuccess = n1 * std::log1p(-p1) + n2 * std::log1p(-p2);
    const double allSuccess = n1 * std::log(p1) + n2 * std::log(p2);
    return -std::expm1(std::max(noSuccess, allSuccess)) < 1e-7;
}

}  // namespace

CalculateStatus PowerExactFisherTwoProp::Calculate(AnalysisType type, PropertyList* inputs) {
    double p2 = 0.0;
    int p2Row = -1, tails = 0, direction = 1;
    ReadCheckSolve path;
    path.effectId = kProportionP1Id;
    path.sample = SampleInputs::kGroups;
    path.readDesign = [&] {
        p2 = ReadProportionP2(inputs, &p2Row);
        if (!CheckNamedRangeInclusive("Proportion p2", p2, 0.0)) return p2Row;
        int tailsRow = -1;
        tails = ReadTails(inputs, &tailsRow);
        return -1;
    };
    InputTable p1{{Given::kEffect, [this](const GivenValues& v) {
                       return CheckNamedRangeInclusive("Proportion p1", v.effect, 0.0);
                   }}};
    // Equal proportions leave the power at alpha for every N. Only a
    // difference within rounding of the proportions themselves counts as
    // none: 1e-6 against 2e-6 doubles the proportion, as 0.1 against 0.2
    // does, and some N detects it.
    if (type == kAPriori) {
        p1.push_back({Given::kEffect, [&](const GivenValues& v) {
                          const double nearerBound =
                              std::max(std::min(v.effect, 1.0 - v.effect), std::min(p2, 1.0 - p2));
                          if (std::fabs(v.effect - p2) > 1e-6 * nearerBound) return true;
                          return CheckAprioriEffectNonZero("p1 != p2", p2, p2);
                      }});
    }
    InputTable groups{
        {Given::kSampleSize1,
         [this](const GivenValues& v) { return CheckSampleSizeMinimum(AsInt(v.sampleSize1), 1); }},
        {Given::kSampleSize2,
         [this](const GivenValues& v) { return CheckSampleSizeMinimum(AsInt(v.sampleSize2), 1); }},
        {Given::kSampleSize1,
         [this](const GivenValues& v) {
             return CheckTotalSampleSize(GroupSizeSum(v.sampleSize1, v.sampleSize2), 3,
                                         kLargestExactTotalSampleSize);
         },
         Given::kSampleSize2},
    };
    if (type == kSensitivity) {
        // The direction of the search is read once the sizes are.
        InputCheck readDirection{Given::kSampleSize2, [&](const GivenValues&) {
                                     int directionRow = -1;
                                     direction = ReadEffectDirection(inputs, &directionRow);
                                     return true;
                                 }};
        readDirection.whenRead = true;
        groups.push_back(readDirection);
    }
    path.checks = JoinChecks({{AllocationRatioAbove(*this, 0.01)},
                              std::move(p1),
                              AlphaPowerChecks(*this),
                              {RatioInRange(*this, 0.01, 100.0)},
                              std::move(groups)});
    // Under H0 both groups have p2; at 0 or 1 every table of the exact test
    // is certain, so its alpha is 0 at every critical value and there is no
    // alpha for Criterion and Compromise to find (they ended in alpha 1 with
    // power 0, or in the generic message). Sensitivity searches p1 on the
    // side the direction names, and with p2 at that end of [0, 1] there is
    // no p1 left to search, exact or approximate.
    path.checkDesign = [&](const GivenValues& v) {
        const double n1 = static_cast<double>(v.sampleSize1);
        const double n2 = static_cast<double>(v.sampleSize2);
        const bool exact = !UsesApproximation(n1 + n2);
        const bool noSide = type == kSensitivity && (direction == 0 ? p2 == 0.0 : p2 == 1.0);
        const bool noSize =
            (type == kCriterion || type == kCompromise) && (p2 == 0.0 || p2 == 1.0) && exact;
        if (noSide || noSize) {
            messages << "A proportion p2 of 0 or 1 leaves no error probability to choose:\n"
                     << "$\\alpha$ is 0 at every critical value. Please use a proportion in (0, "
                        "1).";
            return p2Row;
        }
        if (type == kCriterion && exact && OneTableCertain(v.effect, p2, n1, n2)) {
            messages << "With proportions this near 0 or 1 one table is all but certain:\n"
                     << "no $\\alpha$ gives a power of 1e-07 or more.";
            return v.Row(Given::kEffect);
        }
        return -1;
    };
    path.takeDesign = [&](GivenValues& v) {
        // Any other type reads the design and takes nothing.
        if (!(kAPriori <= type && type <= kCompromise)) return;
        proportion2 = p2;
        oneTailed = tails == 0;
        if (type != kSensitivity) effectSize = v.effect;
        UpdateProportionH1();
        if (type == kAPriori) {
            allocationRatio = v.allocationRatio;
            return;
        }
        groupSize1 = static_cast<double>(v.sampleSize1);
        groupSize2 = static_cast<double>(v.sampleSize2);
        sampleSize = groupSize1 + groupSize2;
        allocationRatio = groupSize2 / groupSize1;
        if (type == kSensitivity) effectDirection = direction == 0 ? -1.0 : 1.0;
    };
    path.solve = [&](const GivenValues& v) { SolveExactType(*this, type, path, v); };
    return RunReadCheckSolve(*this, type, inputs, path);
}

OutputTable PowerExactFisherTwoProp::Outputs(AnalysisType type) {
    switch (type) {
        case kAPriori:
            return {SampleSize1Row(), SampleSize2Row(), TotalSampleSizeRow(), ActualPowerRow(),
                    ActualAlphaRow()};
        case kSensitivity:
            return {EffectSizeRow(kProportionP1Id), ActualPowerRow(), ActualAlphaRow()};
        case kPostHoc:
            return {PowerRow(), ActualAlphaRow()};
        case kCriterion:
            return {AlphaRow(), ActualAlphaRow(), ActualPowerRow()};
        case kCompromise:
            return {AlphaRow(), ActualAlphaRow(), BetaRow(), PowerRow(), ActualRatioRow()};
    }
    return {};
}
