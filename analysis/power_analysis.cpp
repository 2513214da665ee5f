#include "analysis/power_analysis.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "numerics/cancel.h"
#include "numerics/quorix_error.h"
#include "numerics/rounding.h"

namespace {

constexpr double kSolveTolerance = 1e-10;

// Bounds of the bracket walks. A walk that halves its distance to a bound
// gets close enough long before this many steps (2^-400 of the distance),
// and one that grows by 1.6 per step covers 1.6^100 (about 2.6e20) times
// its first interval: beyond that the target counts as unreachable.
constexpr int kMaxHalvings = 400;
constexpr int kMaxGrowthSteps = 100;
constexpr double kGrowth = 1.6;

constexpr double kAlphaFloor = 1e-99;

// The first of `points` at which `stops` holds, or points.size() where it
// holds at none, for a predicate that holds from some point on: the power
// and beta/alpha move one way with alpha. The first points are tried one by
// one, as a plain walk would try them; beyond them the step doubles and the
// last interval is halved, so that a walk all the way to its bound (a
// target no alpha down to 1e-99 misses) takes some twenty evaluations
// instead of hundreds. An evaluation that fails beyond the first points,
// which the plain walk might never have reached, sends the search back to
// that walk from the last point known not to stop.
size_t FirstStop(const std::vector<double>& points, const std::function<bool(double)>& stops) {
    constexpr size_t kOneByOne = 6;
    const size_t n = points.size();
    for (size_t i = 0; i < n && i < kOneByOne; ++i) {
        if (stops(points[i])) return i;
    }
    if (n <= kOneByOne) return n;
    size_t pass = kOneByOne - 1, fail = n;
    try {
        for (size_t step = 2;; step *= 2) {
            const size_t j = std::min(pass + step, n - 1);
            if (stops(points[j])) {
                fail = j;
                break;
            }
            pass = j;
            if (j == n - 1) return n;
        }
        while (fail - pass > 1) {
            const size_t m = pass + (fail - pass) / 2;
            (stops(points[m]) ? fail : pass) = m;
        }
        return fail;
    } catch (const QuorixError&) {
        for (size_t j = pass + 1; j < n; ++j) {
            if (stops(points[j])) return j;
        }
        return n;
    }
}

}  // namespace

PowerAnalysis::PowerAnalysis() = default;

PowerAnalysis::~PowerAnalysis() {
    delete distribution;
}

double PowerAnalysis::Evaluate(double x) {
    switch (analysisType) {
        case kAPriori:
            return APrioriObjective(x);
        case kSensitivity:
            return SensitivityObjective(x);
        case kCriterion:
            return CriterionObjective(x);
        case kCompromise:
            return CompromiseObjective(x);
        default:
            return 0.0;
    }
}

double PowerAnalysis::Probe(double x) {
    if (IsCancelled()) throw CancelledError();
    return Evaluate(x);
}

void PowerAnalysis::SetCentralDistribution() {
    distribution->SetNoncentrality(0.0);
}

void PowerAnalysis::SetNoncentralDistribution() {
    distribution->SetNoncentrality(NoncentralityFromEffect(effectSize));
}

// ------------------------------------------------------------- power

double PowerAnalysis::ComputePower(double effect, double alphaValue, double n) {
    effectSize = effect;
    alpha = alphaValue;
    sampleSize = n;
    SetCentralCriticalValue(alpha);
    distribution->SetNoncentrality(NoncentralityFromEffect(effectSize));
    // The power from the upper tail itself, like the critical value.
    return distribution->Survival(criticalValue);
}

void PowerAnalysis::SetCentralCriticalValue(double alphaValue) {
    distribution->SetNoncentrality(0.0);
    criticalValue = distribution->UpperQuantile(alphaValue);
}

double PowerAnalysis::ComputeBeta(double effect, double alphaValue, double n) {
    // A power that is not a number leaves no beta either.
    if (std::isnan(ComputePower(effect, alphaValue, n))) return std::nan("");
    return distribution->Cdf(criticalValue);
}

double PowerAnalysis::ComputePower2(double effect, double alphaValue, double n1, double n2) {
    groupSize1 = n1;
    groupSize2 = n2;
    return ComputePower(effect, alphaValue, n1 + n2);
}

// ---------------------------------------------------------- objectives

double PowerAnalysis::APrioriObjective(double x) {
    return ComputePower(effectSize, alpha, x) - power;
}

double PowerAnalysis::SensitivityObjective(double x) {
    return ComputePower(x, alpha, sampleSize) - power;
}

double PowerAnalysis::CriterionObjective(double x) {
    return ComputePower(effectSize, x, sampleSize) - power;
}

double PowerAnalysis::CompromiseObjective(double x) {
    const double beta = ComputeBeta(effectSize, x, sampleSize);
    return 1.0 - beta / (ratio * x);
}

// ------------------------------------------------------------- solvers

double PowerAnalysis::SolveInBracket(const char* where, int maxitArg, bool lowEndIsAnswer) {
    const double root = Solve(bracketLow, bracketHigh, kSolveTolerance, maxitArg);
    const std::string prefix = std::string(where) + ": ";
    switch (status) {
        case kConverged:
            return root;
        case kIterationLimit: {
            // The zero lies between c and the previous iterate a; the last
            // iterate b is an answer when that interval has closed in.
            const double spread =
                std::max(std::fabs(brent.c - brent.b), std::fabs(brent.a - brent.b));
            if (spread <= kSolveTolerance * std::fabs(brent.b)) return root;
            throw QuorixError(prefix + "no convergence", QuorixError::kNoConvergence, root);
        }
        case kNoSignChange: {
            // Every objective here grows with the unknown: positive at both
            // ends means the answer lies below the interval.
            if (Probe(bracketLow) > 0.0) {
                if (lowEndIsAnswer) return bracketLow;
                throw QuorixError(prefix + "answer below lower search bound",
                                  QuorixError::kBelowLowerBound, bracketLow);
            }
            throw QuorixError(prefix + "answer above upper search bound",
                              QuorixError::kAboveUpperBound, bracketHigh);
        }
        default:
            throw QuorixError(prefix + "function value is not a number", QuorixError::kUnknown,
                              root);
    }
}

double PowerAnalysis::SolveSampleSize(double effect, double alphaValue, double powerValue,
                                      bool round) {
    effectSize = effect;
    alpha = alphaValue;
    power = powerValue;
    analysisType = kAPriori;
    BracketSampleSize();
    sampleSize = SolveInBracket("Solver-SampleSize", 300, true);
    if (round) sampleSize = RoundSampleSize(sampleSize);
    if (sampleSize < bracketLow) {
        sampleSize = bracketLow;
        if (round) sampleSize = RoundSampleSize(bracketLow);
    }
    actualPower = ComputePower(effectSize, alpha, sampleSize);
    return sampleSize;
}

double PowerAnalysis::SolveEffectSize(double alphaValue, double powerValue, double n) {
    alpha = alphaValue;
    power = powerValue;
    sampleSize = n;
    analysisType = kSensitivity;
    BracketEffectSize();
    return SolveInBracket("Solver-EffectSize", 100);
}

double PowerAnalysis::SolveEffectSize2(double alphaValue, double powerValue, double n1, double n2) {
    groupSize1 = n1;
    groupSize2 = n2;
    return SolveEffectSize(alphaValue, powerValue, n1 + n2);
}

double PowerAnalysis::SolveAlpha(double effect, double powerValue, double n) {
    effectSize = effect;
    power = powerValue;
    sampleSize = n;
    analysisType = kCriterion;
    BracketAlpha();
    alpha = SolveInBracket("Solver-Alpha", 300);
    return alpha;
}

double PowerAnalysis::SolveAlpha2(double effect, double powerValue, double n1, double n2) {
    groupSize1 = n1;
    groupSize2 = n2;
    return SolveAlpha(effect, powerValue, n1 + n2);
}

double PowerAnalysis::SolveCompromise(double effect, double q, double n) {
    effectSize = effect;
    ratio = q;
    sampleSize = n;
    analysisType = kCompromise;
    BracketCompromiseAlpha();
    return SolveInBracket("Solver-Compromise", 100);
}

double PowerAnalysis::SolveCompromise2(double effect, double q, double n1, double n2) {
    groupSize1 = n1;
    groupSize2 = n2;
    return SolveCompromise(effect, q, n1 + n2);
}

double PowerAnalysis::RoundSampleSize(double n) {
    return std::ceil(std::floor(n * 1e10 + 0.5) / 1e10);
}

bool PowerAnalysis::IsTargetPowerUnreachable(const double* effect, double alphaValue,
                                             double targetPower) {
    return ComputePower(*effect, alphaValue, maxSampleSize) < targetPower;
}

// ------------------------------------------------------------ brackets

void PowerAnalysis::BracketSampleSize() {
    BracketSampleSizeFrom(1.0, 100.0);
}

void PowerAnalysis::BracketEffectSize() {
    bracketLow = 1e-6;
    bracketHigh = 100.0;
    // A starting range: where the power at its top still falls short, it
    // grows as the sample-size searches do, until the distributions refuse
    // the effect (their error ends the search) or the bound of the walk.
    for (int i = 0; i < kMaxGrowthSteps && Probe(bracketHigh) < 0.0; ++i) {
        bracketLow = bracketHigh;
        bracketHigh *= kGrowth;
    }
}

void PowerAnalysis::BracketSampleSizeFrom(double lo, double hi) {
    double lower, upper;
    if (Probe(hi) >= 0.0) {
        // Walk down from the middle; each step halves the distance to lo,
        // so for lo > 0 the point soon falls below lo.
        upper = hi;
        lower = (lo + hi) / 2.0;
        for (int i = 0; lower >= lo; ++i) {
            if (!(Probe(lower) > 0.0)) break;
            upper = lower;
            const double next = (lower + lo) / 2.0 - lo;
            if (next == lower || i == kMaxHalvings) {
                lower = lo;
                break;
            }
            lower = next;
        }
    } else {
        lower = hi;
        upper = kGrowth * hi;
        for (int i = 0; i < kMaxGrowthSteps; ++i) {
            if (!(Probe(upper) < 0.0)) break;
            const double next = kGrowth * upper;
            if (!std::isfinite(next)) break;
            lower = upper;
            upper = next;
        }
    }
    if (lower < lo) lower = lo;
    bracketLow = lower;
    bracketHigh = upper;
}

void PowerAnalysis::BracketFromStart(double lo, double hi, double start) {
    double lower, upper;
    if (Probe(start) > 0.0) {
        upper = start;
        lower = (start + lo) / 2.0;
        for (int i = 0; lower >= lo; ++i) {
            if (!(Probe(lower) > 0.0)) break;
            upper = lower;
            const double next = (lower + lo) / 2.0;
            if (next == lower || i == kMaxHalvings) {
                lower = lo;
                break;
            }
            lower = next;
        }
    } else {
        lower = start;
        upper = (start + hi) / 2.0;
        for (int i = 0; upper <= hi; ++i) {
            if (!(Probe(upper) < 0.0)) break;
            lower = upper;
            const double next = (upper + hi) / 2.0;
            if (next == upper || i == kMaxHalvings) {
                upper = hi;
                break;
            }
            upper = next;
        }
    }
    if (lower < lo) lower = lo;
    if (upper > hi) upper = hi;
    bracketLow = lower;
    bracketHigh = upper;
}

// The alpha bracket of a walk from 0.5 like any started bracket
// (BracketFromStart(1e-99, 1, 0.5)): halving the distance to 1e-99 or to 1;
// since the floor is far below the spacing of doubles at 0.25, the first
// step down lands on 0.25 exactly. The walk's points are laid out first and
// searched by FirstStop, which gives the walk's own bracket with a handful
// of evaluations where the walk would take up to 400.
void PowerAnalysis::BracketAlpha() {
    constexpr double lo = kAlphaFloor, hi = 1.0, start = 0.5;
    std::vector<double> points;
    double lower, upper;
    if (Probe(start) > 0.0) {
        for (double x = (start + lo) / 2.0; x >= lo;) {
            points.push_back(x);
            const double next = (x + lo) / 2.0;
            if (next == x || points.size() > static_cast<size_t>(kMaxHalvings)) break;
            x = next;
        }
        const size_t j = FirstStop(points, [this](double x) { return !(Probe(x) > 0.0); });
        if (j < points.size()) {
            lower = points[j];
            upper = j == 0 ? start : points[j - 1];
        } else {
            lower = lo;
            upper = points.empty() ? start : points.back();
        }
    } else {
        for (double x = (start + hi) / 2.0; x <= hi;) {
            points.push_back(x);
            const double next = (x + hi) / 2.0;
            if (next == x || points.size() > static_cast<size_t>(kMaxHalvings)) break;
            x = next;
        }
        const size_t j = FirstStop(points, [this](double x) { return !(Probe(x) < 0.0); });
        if (j < points.size()) {
            upper = points[j];
            lower = j == 0 ? start : points[j - 1];
        } else {
            upper = hi;
            lower = points.empty() ? start : points.back();
        }
    }
    bracketLow = std::max(lower, lo);
    bracketHigh = std::min(upper, hi);
}

void PowerAnalysis::SplitTotal(double total, double allocation, double* n1, double* n2) {
    *n1 = RoundTo(total / (allocation + 1.0), 0);
    *n2 = std::ceil(total - *n1);
    if (std::fabs(allocation - 1.0) < 1e-8 && std::fabs(*n1 - *n2) > 1e-8) {
        if (*n1 <= *n2) {
            *n1 += 1.0;
        } else {
            *n2 += 1.0;
        }
    }
    *n1 = std::max(*n1, 1.0);
    *n2 = std::max(*n2, 1.0);
}

double PowerAnalysis::SmallestSplitTotal(double allocation, double minGroup, double bound) {
    for (double total = 2.0 * minGroup; total < bound; total += 1.0) {
        double n1 = 0.0, n2 = 0.0;
        SplitTotal(total, allocation, &n1, &n2);
        if (n1 >= minGroup && n2 >= minGroup) return total;
    }
    return bound;
}

void PowerAnalysis::StepDownAPrioriTotal(double allocation, double minGroup, double effect,
                                         double alphaValue, double target) {
    double best1 = groupSize1, best2 = groupSize2;
    // Only near the lowest total, where the real split of the answer leaves
    // the small group less than one subject above the least it may have.
    const double real1 = (best1 + best2) / (allocation + 1.0);
    if (!(std::min(real1, best1 + best2 - real1) < minGroup + 1.0)) return;
    for (;;) {
        if (IsCancelled()) throw CancelledError();
        double n1 = 0.0, n2 = 0.0;
        SplitTotal(best1 + best2 - 1.0, allocation, &n1, &n2);
        if (n1 < minGroup || n2 < minGroup || n1 + n2 >= best1 + best2) break;
        if (ComputePower2(effect, alphaValue, n1, n2) < target) break;
        best1 = n1;
        best2 = n2;
    }
    actualPower = ComputePower2(effect, alphaValue, best1, best2);
    groupSize1 = best1;
    groupSize2 = best2;
    sampleSize = best1 + best2;
}

void PowerAnalysis::SplitAPrioriTotal(double n, double allocation, double effect, double alphaValue,
                                      double target) {
    // A split that needs more than this many further subjects is a failed
    // search, not a rounding loss.
    constexpr int kMaxExtraSubjects = 1000;
    for (int extra = 0;; ++extra) {
        double n1 = 0.0, n2 = 0.0;
        SplitTotal(n + extra, allocation, &n1, &n2);
        if (IsCancelled()) throw CancelledError();
        actualPower = ComputePower2(effect, alphaValue, n1, n2);
        groupSize1 = n1;
        groupSize2 = n2;
        sampleSize = n1 + n2;
        if (actualPower >= target) return;
        if (extra == kMaxExtraSubjects) {
            throw QuorixError("Solver-SampleSize: no convergence", QuorixError::kNoConvergence,
                              sampleSize);
        }
    }
}

// ------------------------------------------------------------ messages

void PowerAnalysis::ClearMessage() {
    // Most checks clear a message that nothing has written since the last
    // clearing: then there is nothing to do.
    if (messages.rdstate() == std::ios_base::goodbit && messages.view().empty()) return;
    messages.str(std::string());
    messages.clear();
}

bool PowerAnalysis::CheckAlpha(int, double alphaValue) {
    ClearMessage();
    return CheckAlphaRange(alphaValue);
}

bool PowerAnalysis::CheckPower(int, double powerValue) {
    ClearMessage();
    return CheckPowerRange(powerValue);
}

// -------------------------------------------------------------- clones

void PowerAnalysis::CopyStateTo(PowerAnalysis& t) const {
    t.maxSampleSize = maxSampleSize;
    t.bracketLow = bracketLow;
    t.bracketHigh = bracketHigh;
    t.effectDirection = effectDirection;
    t.df = df;
    t.numeratorDf = numeratorDf;
    t.denominatorDf = denominatorDf;
    t.criticalValue = criticalValue;
    t.criticalValue2 = criticalValue2;
    t.ratio = ratio;
    t.alpha = alpha;
    t.power = power;
    t.groupSize1 = groupSize1;
    t.groupSize2 = groupSize2;
    t.allocationRatio = allocationRatio;
    t.effectSize = effectSize;
    t.effectSize2 = effectSize2;
    t.sampleSize = sampleSize;
    t.groupCount = groupCount;
    t.predictorCount = predictorCount;
    t.relativeSD = relativeSD;
    t.actualPower = actualPower;
    t.actualAlpha = actualAlpha;
    t.actualRatio = actualRatio;
    t.exactFlag = exactFlag;
    t.oneTailed = oneTailed;
    t.analysisType = analysisType;
    inputTexts.CopyTo(t.inputTexts);
    if (distribution != nullptr && t.distribution != nullptr) {
        t.distribution->CopyParametersFrom(*distribution);
    }
}
