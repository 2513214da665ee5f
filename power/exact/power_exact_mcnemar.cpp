#include "power/exact/power_exact_mcnemar.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "analysis/family_support.h"
#include "numerics/cancel.h"
#include "numerics/quorix_error.h"
#include "power/exact/exact_search.h"
#include "power/exact/restore.h"

namespace {

constexpr double kProportionMargin = 1e-6;
constexpr double kSmallestOddsRatio = 1e-6;
constexpr double kLargestOddsRatio = 1e6;
// The binomial tails of D below this are left out of the exact power.
constexpr double kNegligibleTail = 1e-20;
// The most steps of a walk in N.
constexpr int kMaxExpansions = 100;

double Infinity() {
    return std::numeric_limits<double>::infinity();
}

void Poll(PowerAnalysis& test) {
    if (test.IsCancelled()) throw CancelledError();
}

// A term below exp(kNoTerm) is 0 as a double, whatever the rounding of its
// two factors (the least double is some exp(-744)).
constexpr double kNoTerm = -800.0;

// The Kullback-Leibler divergence of proportion a from p, 0 < p < 1.
double Divergence(double a, double p) {
    double d = 0.0;
    if (a > 0.0) d += a * std::log(a / p);
    if (a < 1.0) d += (1.0 - a) * std::log((1.0 - a) / (1.0 - p));
    return d;
}

// Logarithmic bounds, by Chernoff's inequality, on the terms that beta
// sums over the numbers of discordant pairs k left out of the power: the
// mass P(D = k) <= exp(-N D(k/N, pd)), and the conditional beta of k pairs
// at H1 proportion p2 against 1/2 under H0. A count c whose H0 tail is at
// most exp(-k D(c/k, 1/2)) <= limit lies in the rejected region, which so
// reaches at least as near to k/2 on each side tested, and beta is at most
// the H1 mass beyond that count's neighbour: exp(-k D((c - 1)/k, p2)) on
// the upper side, the mirror image on the lower. Two tails take the
// smaller of the two.
struct BetaTermBound {
    double n, pd, p2, logLimit;
    bool upper, lower;
    // The log of the bound on P(D = k), which falls away from N pd.
    double LogMass(double k) const {
        const double share = k / n;
        return share != pd ? -n * Divergence(share, pd) : 0.0;
    }
    // The log of a bound on P(D = k) times the conditional beta of k pairs.
    double operator()(double k) const {
        const double logMass = LogMass(k);
        if (!(k > 0.0)) return logMass;
        // The least count above k/2 whose bound on the H0 tail is within
        // the limit: the divergence grows with c there.
        double lo = std::floor(k / 2.0), hi = k + 1.0;
        while (hi - lo > 1.0) {
            const double mid = std::floor((lo + hi) / 2.0);
            if (-k * Divergence(mid / k, 0.5) <= logLimit - 1e-9) {
                hi = mid;
            } else {
                lo = mid;
            }
        }
        if (hi > k) return logMass;
        double logBeta = 0.0;
        const double above = (hi - 1.0) / k, below = (k - hi + 1.0) / k;
        if (upper && above < p2) logBeta = std::min(logBeta, -k * Divergence(above, p2));
        if (lower && below > p2) logBeta = std::min(logBeta, -k * Divergence(below, p2));
        return logMass + logBeta;
    }
};

}  // namespace

PowerExactMcNemar::PowerExactMcNemar() {
    strictCriticalRegion = true;
    PowerExactMcNemar::SetStandardValues();
}

void PowerExactMcNemar::SetStandardValues() {
    distribution->SetParam(0, 40.0);
    distribution->SetParam(1, 0.5);
    proportion1 = 0.5;
    alpha = 0.05;
    power = 0.95;
    discordantProportion = 0.3;
    effectSize = 1.5;
    UpdateProportionH1();
    sampleSize = 100.0;
    ratio = kStandardRatio;
}

void PowerExactMcNemar::CopyStateTo(PowerAnalysis& target) const {
    PowerExactBinomial::CopyStateTo(target);
    auto& copy = static_cast<PowerExactMcNemar&>(target);
    copy.discordantProportion = discordantProportion;
    copy.proportionP12 = proportionP12;
    copy.proportionP21 = proportionP21;
}

PowerAnalysis* PowerExactMcNemar::Clone() {
    auto* copy = CloneAs<PowerExactMcNemar>();
    CopyOptionsTo(*copy);
    copy->useApproximation = useApproximation;
    copy->effectIsDifference = effectIsDifference;
    copy->exactLimit = exactLimit;
    return copy;
}

void PowerExactMcNemar::UpdateProportionH1() {
    if (useApproximation && effectIsDifference) {
        proportion2 = proportion1 + effectSize;
        return;
    }
    proportionP21 = discordantProportion / (effectSize + 1.0);
    proportionP12 = proportionP21 * effectSize;
    proportion2 = proportionP12 / discordantProportion;
}

double PowerExactMcNemar::EffectForProportionH1(double p2) {
    return effectIsDifference ? p2 - proportion1 : p2 / (1.0 - p2);
}

// ceil(N pd), without the rounding noise of the product: 0.7 * 10 is
// 7.000000000000001 in doubles and still 7 pairs.
double PowerExactMcNemar::DiscordantPairs(double n) const {
    const double x = n * discordantProportion;
    const double nearest = std::round(x);
    if (std::fabs(x - nearest) <= 1e-9 * std::max(1.0, x)) return nearest;
    return std::ceil(x);
}

void PowerExactMcNemar::SetCentralDistribution() {
    distribution->SetParam(1, proportion1);
    if (Approximates(sampleSize)) distribution->SetParam(0, DiscordantPairs(sampleSize));
}

void PowerExactMcNemar::SetNoncentralDistribution() {
    distribution->SetParam(1, proportion2);
    if (Approximates(sampleSize)) distribution->SetParam(0, DiscordantPairs(sampleSize));
}

std::string PowerExactMcNemar::GetMethodText() {
    std::string text = PowerExactBinomial::GetMethodText();
    if (Approximates(sampleSize)) {
        if (!text.empty()) text += ", ";
        text += "approximation";
    }
    return text;
}

// ---------------------------------------------------------------- power

double PowerExactMcNemar::ComputePower(double oddsRatio, double alphaValue, double n) {
    effectSize = oddsRatio;
    alpha = alphaValue;
    sampleSize = n;
    UpdateProportionH1();
    const double result = Approximates(n) ? ApproximatePower(oddsRatio, alphaValue, n)
                                          : ExactPower(oddsRatio, alphaValue, n);
    sampleSize = n;
    return result;
}

// The conditional test on ceil(N pd) pairs, its counts clamped to 0..d.
double PowerExactMcNemar::ApproximatePower(double oddsRatio, double alphaValue, double n) {
    const Restore<bool> clamped(strictCriticalRegion, false);
    actualPower = BinomialPower(oddsRatio, alphaValue, DiscordantPairs(n));
    sampleSize = n;
    return actualPower;
}

// The conditional tests on k pairs with an empty tail where no count fits,
// weighted by P(D = k) over the k where D has mass. D = 0 rejects nothing.
double PowerExactMcNemar::ExactPower(double oddsRatio, double alphaValue, double n) {
    const Restore<bool> strict(strictCriticalRegion, true);
    const BinomialTails pairs(n, discordantProportion);
    const double first = std::max(1.0, pairs.LowerCount(kNegligibleTail));
    const double last = std::min(n, pairs.UpperCount(kNegligibleTail));
    if (LaddersApply(alphaValue)) return LadderPower(alphaValue, n, first, last);
    double powerSum = 0.0, alphaSum = 0.0, betaSum = 0.0;
    for (double k = first; k <= last; k += 1.0) {
        Poll(*this);
        const double weight = pairs.Exactly(k);
        if (weight == 0.0) continue;
        powerSum += weight * BinomialPower(oddsRatio, alphaValue, k);
        alphaSum += weight * actualAlpha;
        if (wantBeta_) betaSum += weight * ConditionalBeta(k, LowerShown(), UpperShown());
    }
    exactBeta_ = wantBeta_ ? BetaOutside(oddsRatio, alphaValue, n, first, last, betaSum) : 0.0;
    sampleSize = n;
    actualAlpha = alphaSum;
    actualPower = std::min(1.0, powerSum);
    return actualPower;
}

double PowerExactMcNemar::ConditionalBeta(double k, double lower, double upper) const {
    const BinomialTails h1(k, proportion2);
    if (oneTailed) {
        // The region X >= count on the side of p2 >= p1, else X <= count.
        return proportion2 >= proportion1 ? h1.AtMost(upper - 1.0) : h1.AtLeast(lower + 1.0);
    }
    // The counts strictly between, from the side away from the bulk of H1.
    const double beta = k * proportion2 >= 0.5 * (lower + upper)
                            ? h1.AtMost(upper - 1.0) - h1.AtMost(lower)
                            : h1.AtLeast(lower + 1.0) - h1.AtLeast(upper);
    return std::max(beta, 0.0);
}

double PowerExactMcNemar::BetaOutside(double oddsRatio, double alphaValue, double n, double first,
                                      double last, double beta) {
    const BinomialTails pairs(n, discordantProportion);
    const double savedPower = actualPower, savedAlpha = actualAlpha;
    const double saved1 = criticalValue, saved2 = criticalValue2;
    const double trials = distribution->GetParam(0);
    // Where the regions are those of the ladders, bounds on the terms tell
    // which of them are 0 as doubles, without their regions: at a large
    // effect every term is, beta stays 0, and the walks below would go on
    // to the last pairs of positive mass, each with its critical counts.
    const bool bounded = LaddersApply(alphaValue) && alphaValue < 1.0;
    const BetaTermBound bound{n,
                              discordantProportion,
                              proportion2,
                              std::log(oneTailed ? alphaValue : alphaValue / 2.0),
                              !oneTailed || proportion2 >= proportion1,
                              !oneTailed || proportion2 < proportion1};
    auto isZero = [&](double k) { return bounded && bound(k) < kNoTerm; };
    // Whether every term of from..to is 0: the walk would add nothing more.
    auto allZero = [&](double from, double to) {
        if (!bounded) return false;
        const double room = kNoTerm - std::log(std::fabs(to - from) + 1.0);
        const double step = from <= to ? 1.0 : -1.0;
        for (double k = from; step * (to - k) >= 0.0; k += step) {
            // The mass bound alone falls on from here: every term beyond
            // is 0 too.
            const bool outward =
                step < 0.0 ? k <= n * discordantProportion : k >= n * discordantProportion;
            if (outward && bound.LogMass(k) < room) return true;
            if (!(bound(k) < room)) return false;
        }
        return true;
    };
    // Outward from the counted pairs while the mass beyond could still
    // change beta's digits.
    bool spent = beta == 0.0 && allZero(first - 1.0, 0.0);
    for (double k = first - 1.0; !spent && k >= 0.0 && pairs.AtMost(k) > 1e-17 * beta; k -= 1.0) {
        Poll(*this);
        const double weight = pairs.Exactly(k);
        if (weight == 0.0 || isZero(k)) continue;
        // No pair, no rejection.
        if (k == 0.0) {
            beta += weight;
            continue;
        }
        BinomialPower(oddsRatio, alphaValue, k);
        beta += weight * ConditionalBeta(k, LowerShown(), UpperShown());
    }
    spent = beta == 0.0 && allZero(last + 1.0, n);
    for (double k = last + 1.0; !spent && k <= n && pairs.AtLeast(k) > 1e-17 * beta; k += 1.0) {
        Poll(*this);
        const double weight = pairs.Exactly(k);
        if (weight == 0.0 || isZero(k)) continue;
        BinomialPower(oddsRatio, alphaValue, k);
        beta += weight * ConditionalBeta(k, LowerShown(), UpperShown());
    }
    actualPower = savedPower;
    actualAlpha = savedAlpha;
    criticalValue = saved1;
    criticalValue2 = saved2;
    distribution->SetParam(0, trials);
    sampleSize = n;
    return beta;
}

// The ladders keep about 1e-13 of each tail; far below that alpha, a tail
// near alpha could be one that has underflowed on the way.
bool PowerExactMcNemar::LaddersApply(double alphaValue) const {
    return (oneTailed || alphaBalancing == kHalfEachSide) && alphaValue >= 1e-100;
}

namespace {

// Whether a tail from a ladder is at most (or, `strictly`, below) a limit.
// The ladder's rounding decides nothing: within 1e-9 of the limit the
// fresh tail does, so the counts are those of the conditional test itself.
template <class Fresh>
bool TailWithin(double tail, double limit, bool strictly, Fresh fresh) {
    if (std::fabs(tail - limit) <= 1e-9 * limit) tail = fresh();
    return strictly ? BinomialTails::BelowSize(tail, limit)
                    : BinomialTails::WithinSize(tail, limit);
}

}  // namespace

// The same regions and sums as BinomialPower on each k, with the tails
// under H0 and H1 carried from k to k + 1 by ladders: the critical counts
// move by a count at most per pair, so each k costs a few steps of the
// ladders where BinomialPower computes some ten incomplete beta ratios.
// One tail rejects on the side of p2 with at most alpha; two tails reject
// at most alpha/2 above and less than alpha/2 below.
double PowerExactMcNemar::LadderPower(double alphaValue, double n, double first, double last) {
    const BinomialTails pairs(n, discordantProportion);
    const double p1 = proportion1, p2 = proportion2;
    const bool upperOnly = oneTailed && p2 >= p1;
    const bool lowerOnly = oneTailed && p2 < p1;
    const double limit = oneTailed ? alphaValue : alphaValue / 2.0;
    BinomialLadder nullUpper(p1), nullLower(p1), altUpper(p2), altLower(p2);

    // The first count with P(X >= c) <= limit, from c on.
    auto upperCount = [&](double k, double c) {
        auto holds = [&](double x) {
            return TailWithin(nullUpper.AtLeast(x), limit, false,
                              [&] { return BinomialTails(k, p1).AtLeast(x); });
        };
        c = std::min(std::max(c, 0.0), k + 1.0);
        if (holds(c)) {
            while (c > 0.0 && holds(c - 1.0)) c -= 1.0;
        } else {
            while (!holds(c)) c += 1.0;
        }
        return c;
    };
    // The last count with P(X <= c) <= limit (one tail) or < limit (two
    // tails), -1 when none, from c on.
    auto lowerCount = [&](double k, double c) {
        auto holds = [&](double x) {
            return TailWithin(nullLower.AtMost(x), limit, !oneTailed,
                              [&] { return BinomialTails(k, p1).AtMost(x); });
        };
        c = std::min(std::max(c, -1.0), k);
        if (c < 0.0 || holds(c)) {
            while (c < k && holds(c + 1.0)) c += 1.0;
        } else {
            while (c >= 0.0 && !holds(c)) c -= 1.0;
        }
        return c;
    };

    double upper = 0.0, lower = 0.0, lastCounted = first;
    double upperShown = 0.0, lowerShown = 0.0;
    double powerSum = 0.0, alphaSum = 0.0, betaSum = 0.0;
    for (double k = first; k <= last; k += 1.0) {
        Poll(*this);
        if (k == first) {
            const BinomialTails h0(k, p1);
            upper = h0.UpperCount(limit);
            lower = h0.LowerCount(limit);
            for (BinomialLadder* ladder : {&nullUpper, &altUpper}) ladder->Start(k, upper);
            for (BinomialLadder* ladder : {&nullLower, &altLower}) ladder->Start(k, lower);
        } else {
            for (BinomialLadder* ladder : {&nullUpper, &nullLower, &altUpper, &altLower})
                ladder->AddTrial();
        }
        if (!lowerOnly) upper = upperCount(k, upper);
        if (!upperOnly) lower = lowerCount(k, lower);
        const double weight = pairs.Exactly(k);
        if (weight == 0.0) continue;
        double size = 0.0, reach = 0.0;
        if (!lowerOnly) {
            size += nullUpper.AtLeast(upper);
            reach += altUpper.AtLeast(upper);
        }
        if (!upperOnly) {
            size += nullLower.AtMost(lower);
            reach += altLower.AtMost(lower);
        }
        powerSum += weight * reach;
        alphaSum += weight * size;
        // beta from fresh tails: the ladders' recurrences cancel in the
        // tail of H1 away from its bulk, where the acceptance region lies.
        if (wantBeta_) betaSum += weight * ConditionalBeta(k, lower, upper);
        lastCounted = k;
        // The counts BinomialPower shows: the one on the side of p2 first.
        if (upperOnly) {
            upperShown = lowerShown = upper;
        } else if (lowerOnly) {
            upperShown = lowerShown = lower;
        } else if (p1 > p2) {
            upperShown = lower;
            lowerShown = upper;
        } else {
            upperShown = upper;
            lowerShown = lower;
        }
    }
    criticalValue = upperShown;
    criticalValue2 = lowerShown;
    distribution->SetParam(0, lastCounted);
    exactBeta_ = wantBeta_ ? BetaOutside(effectSize, alphaValue, n, first, last, betaSum) : 0.0;
    sampleSize = n;
    actualAlpha = alphaSum;
    actualPower = std::min(1.0, powerSum);
    return actualPower;
}

// ------------------------------------------------------------- A priori

namespace {

[[noreturn]] void Unreachable(const char* what, double value) {
    throw QuorixError(std::string("Exact-McNemar: no ") + what + " found",
                      QuorixError::kAboveUpperBound, value);
}

}  // namespace

// The first count of discordant pairs from the smooth start whose
// approximate power reaches the target, and the smallest N that gives that
// count: ceil(d/pd) pairs would often give d + 1 discordant pairs, whose
// power may be lower.
double PowerExactMcNemar::ApproximateSampleSize(double oddsRatio, double alphaValue,
                                                double target) {
    double d;
    {
        const Restore<bool> clamped(strictCriticalRegion, false);
        d = PowerExactBinomial::SolveSampleSize(oddsRatio, alphaValue, target, true);
    }
    double n = std::max(1.0, std::floor((d - 1.0) / discordantProportion) + 1.0);
    while (n > 1.0 && DiscordantPairs(n - 1.0) >= d) n -= 1.0;
    while (DiscordantPairs(n) < d) n += 1.0;
    ApproximatePower(oddsRatio, alphaValue, n);
    return n;
}

// From the approximation's N: up by factors 1.2 until the exact power
// reaches the target, or down by the same factor (at least one pair a step)
// while it still exceeds it, then bisection over whole N.
double PowerExactMcNemar::ExactSampleSize(double oddsRatio, double alphaValue, double target,
                                          double start) {
    exact_search::SampleSizeRules walk;
    walk.growth = 1.2;
    walk.largest = kMaxSampleSize;
    return exact_search::SampleSizeReaching(
        [&](double n) { return ExactPower(oddsRatio, alphaValue, n); }, target, start, walk,
        exact_search::StopCheck(*this), "Exact-McNemar");
}

double PowerExactMcNemar::SolveSampleSize(double oddsRatio, double alphaValue, double target,
                                          bool) {
    effectSize = oddsRatio;
    alpha = alphaValue;
    power = target;
    analysisType = kAPriori;
    UpdateProportionH1();
    double n;
    {
        const Restore<bool> approximate(useApproximation, true);
        n = ApproximateSampleSize(oddsRatio, alphaValue, target);
    }
    if (!Approximates(n)) n = ExactSampleSize(oddsRatio, alphaValue, target, n);
    effectSize = oddsRatio;
    UpdateProportionH1();
    power = target;
    sampleSize = n;
    return n;
}

// ---------------------------------------------------------- Sensitivity

double PowerExactMcNemar::PowerAtOddsRatio(double oddsRatio) {
    effectSize = oddsRatio;
    UpdateProportionH1();
    return ComputePower(oddsRatio, alpha, sampleSize);
}

// The binomial search over p2 above 0.5 on ceil(N pd) pairs; its effect is
// p2 - p1 for the time of the search, the answer the odds ratio of p2.
double PowerExactMcNemar::ApproximateEffectSize(double alphaValue, double target, double n) {
    double difference;
    {
        const Restore<bool> clamped(strictCriticalRegion, false);
        const Restore<bool> approximate(useApproximation, true);
        const Restore<bool> byDifference(effectIsDifference, true);
        difference = PowerExactBinomial::SolveEffectSize(alphaValue, target, DiscordantPairs(n));
    }
    const double p2 = proportion1 + difference;
    effectSize = p2 / (1.0 - p2);
    UpdateProportionH1();
    sampleSize = n;
    return effectSize;
}

// From the approximation's odds ratio: toward the null by factors 1.2
// while the power exceeds the target, or away from it by 1.2 and then 1.6
// until it reaches the target, then halving to the root. Above the null
// away is up, below it down.
double PowerExactMcNemar::ExactEffectSize(double alphaValue, double target, double n,
                                          double start) {
    alpha = alphaValue;
    sampleSize = n;
    const bool above = start >= 1.0;
    const double farthest = above ? kLargestOddsRatio : kSmallestOddsRatio;
    auto away = [&](double x, double factor) {
        return above ? std::min(x * factor, kLargestOddsRatio)
                     : std::max(x / factor, kSmallestOddsRatio);
    };
    // Toward the null, never across it: beyond OR 1 the two-tailed power
    // rises again, and the walk would end at a second, wrong odds ratio
    // with power 1.
    auto toward = [&](double x) {
        return exact_search::OnSideOfNull(above ? x / 1.2 : x * 1.2, 1.0, start);
    };
    double missing, reaching;
    if (PowerAtOddsRatio(start) > target) {
        double x = toward(start);
        while (x != 1.0 && PowerAtOddsRatio(x) > target) x = toward(x);
        missing = x;
        reaching = start;
    } else {
        double x = away(start, 1.2);
        double p = PowerAtOddsRatio(x);
        while (x != farthest && p < target) {
            x = away(x, 1.6);
            p = PowerAtOddsRatio(x);
        }
        if (p < target) Unreachable("effect size", x);
        missing = start;
        reaching = x;
    }
    return exact_search::EffectRoot([&](double x) { return PowerAtOddsRatio(x); }, target, missing,
                                    reaching);
}

double PowerExactMcNemar::SolveEffectSize(double alphaValue, double target, double n) {
    alpha = alphaValue;
    power = target;
    sampleSize = n;
    analysisType = kSensitivity;
    double oddsRatio = ApproximateEffectSize(alphaValue, target, n);
    if (!Approximates(n)) oddsRatio = ExactEffectSize(alphaValue, target, n, oddsRatio);
    alpha = alphaValue;
    power = target;
    sampleSize = n;
    return oddsRatio;
}

// ------------------------------------------------------------ Criterion

// The smallest alpha whose exact power reaches the target, from the
// approximation's alpha: a walk up by 1.2 while the power misses the target
// (the power may reach it only above the target itself where the effect is
// small or N tiny: OR 14.06 with 2 pairs reaches power 0.7434582 first at
// alpha 0.75), else the start reaches it and the answer lies below; then
// halving to the digits shown.
double PowerExactMcNemar::ExactAlpha(double oddsRatio, double target, double n, double start) {
    auto powerAt = [&](double x) {
        Poll(*this);
        return ComputePower(oddsRatio, x, n);
    };
    const double largest = exact_search::kLargestAlpha;
    start = std::min(start, largest);
    if (powerAt(start) >= target) {
        return exact_search::SmallestAlphaReaching(powerAt, target, 0.0, start, "Exact-McNemar");
    }
    double lo = start, x = start;
    while (x < largest) {
        lo = x;
        x = std::min(1.2 * x, largest);
        if (powerAt(x) >= target) {
            return exact_search::SmallestAlphaReaching(powerAt, target, lo, x, "Exact-McNemar");
        }
    }
    // No alpha reaches the target (no effect, or too small a one).
    Unreachable("alpha", largest);
}

double PowerExactMcNemar::SolveAlpha(double oddsRatio, double target, double n) {
    effectSize = oddsRatio;
    power = target;
    sampleSize = n;
    analysisType = kCriterion;
    UpdateProportionH1();
    double result;
    {
        const Restore<bool> clamped(strictCriticalRegion, false);
        const double pairs = DiscordantPairs(n);
        if (!Approximates(n)) {
            result = RegionAlpha(oddsRatio, target, pairs);
        } else if (oneTailed) {
            result = OneTailedAlpha(oddsRatio, target, pairs, "Exact-McNemar");
        } else {
            result = TwoTailedAlpha(oddsRatio, target, pairs, "Exact-McNemar");
        }
        sampleSize = n;
    }
    if (!Approximates(n)) {
        // The approximation's alpha is only a start, and no start lies
        // below the floor.
        result = ExactAlpha(oddsRatio, target, n, std::max(result, exact_search::kAlphaFloor));
    }
    alpha = result;
    power = target;
    sampleSize = n;
    return result;
}

// ----------------------------------------------------------- Compromise

// From the size the approximation's alpha attains, the walk and halving of
// the exact family, beta summed over the acceptance regions, never taken as
// 1 - power. The approximation's alpha stands unless the answer's ratio is
// nearer to q.
double PowerExactMcNemar::ExactCompromise(double oddsRatio, double q, double n) {
    const Restore<bool> withBeta(wantBeta_, true);
    auto at = [&](double x) {
        power = ComputePower(oddsRatio, x, n);
        compromiseBeta = exactBeta_;
        return exact_search::Step{actualAlpha > 0.0 ? exactBeta_ / actualAlpha : Infinity(),
                                  actualAlpha};
    };
    exact_search::CompromiseRules rules;
    rules.steps = exact_search::CompromiseRules::Steps::kSquareDownEachStep;
    rules.halving = exact_search::CompromiseRules::Halving::kLogarithm;
    rules.emptyStart = 1e-10;
    rules.maxHalvings = kMaxExpansions - 1;
    rules.startUnlessNearer = true;
    rules.nearestTried = true;
    rules.bracketFromStart = true;
    const double start = std::clamp(alpha, exact_search::kAlphaFloor, exact_search::kLargestAlpha);
    const exact_search::CompromiseResult found = exact_search::ShownCompromiseAlpha(
        at, q, exact_search::CompromiseAlpha(at, q, start, rules));
    alpha = found.alpha;
    return found.ratio;
}

double PowerExactMcNemar::SolveCompromise(double oddsRatio, double q, double n) {
    ratio = q;
    sampleSize = n;
    effectSize = oddsRatio;
    analysisType = kCompromise;
    UpdateProportionH1();
    double result;
    {
        const Restore<bool> clamped(strictCriticalRegion, false);
        result = PowerExactBinomial::SolveCompromise(oddsRatio, q, DiscordantPairs(n));
        sampleSize = n;
    }
    if (!Approximates(n)) result = ExactCompromise(oddsRatio, q, n);
    sampleSize = n;
    return result;
}

// ------------------------------------------------------ inputs, outputs

bool PowerExactMcNemar::CheckEffectSize(int, double oddsRatio) {
    return CheckOddsRatio(oddsRatio, kSmallestOddsRatio);
}

void PowerExactMcNemar::AddEffectInput(PropertyList* inputs) {
    AddEffectSizeInput(inputs, kOddsRatioId, GetTestId(), std::string(), true);
}

void PowerExactMcNemar::AddNullProportionInput(PropertyList* inputs) {
    AddDiscordantProportionInput(inputs, discordantProportion);
}

bool PowerExactMcNemar::ReadNullProportion(PropertyList* inputs, double* pd, int* row) {
    *pd = ReadDiscordantProportion(inputs, row);
    return CheckNamedRangeInclusive("Prop discordant pairs", *pd, kProportionMargin);
}

void PowerExactMcNemar::StoreNullProportion(double pd) {
    discordantProportion = pd;
    proportion1 = 0.5;
}

bool PowerExactMcNemar::CheckEffectInput(AnalysisType type, double oddsRatio, double) {
    if (!CheckOddsRatio(oddsRatio, kSmallestOddsRatio)) return false;
    // An odds ratio of 1 is no effect: the power is alpha at every N, and
    // A priori has no sample size to find.
    if (type == kAPriori && !(std::fabs(oddsRatio - 1.0) > 1e-6)) {
        messages
            << "In an a priori analysis, the odds ratio\nmust differ from 1 by more than 1e-06.";
        return false;
    }
    return true;
}

// The approximation's lists begin with the critical counts of the
// conditional test; its Compromise shows no actual alpha and no proportions.
OutputTable PowerExactMcNemar::Outputs(AnalysisType type) {
    const bool approximate = Approximates(sampleSize);
    OutputTable table;
    if (approximate) {
        AppendRows(table, {LowerCriticalRow(kLowerCriticalNId, true),
                           UpperCriticalRow(kUpperCriticalNId, true)});
    }
    switch (type) {
        case kAPriori:
            AppendRows(table, {TotalSampleSizeRow(), ActualPowerRow(), ActualAlphaRow()});
            break;
        case kCompromise:
            table.push_back(AlphaRow());
            if (!approximate) table.push_back(ActualAlphaRow());
            AppendRows(table, {BetaRow(), PowerRow(), ActualRatioRow()});
            if (approximate) return table;
            break;
        case kCriterion:
            AppendRows(table, {AlphaRow(), ActualPowerRow()});
            break;
        case kPostHoc:
            AppendRows(table, {PowerRow(), ActualAlphaRow()});
            break;
        case kSensitivity:
            AppendRows(table, {EffectSizeRow(kOddsRatioId), ActualAlphaRow()});
            break;
    }
    AppendRows(table, {Row(kProportionP12Id, [this] { return proportionP12; }),
                       Row(kProportionP21Id, [this] { return proportionP21; })});
    return table;
}

// The list is built again: whether the approximation was used may depend on
// the N just found.
void PowerExactMcNemar::GetOutputs(AnalysisType type, PropertyList* outputs) {
    // N decides the method, so the rows follow the last result.
    BuildOutputList(type, outputs);
    PowerAnalysis::GetOutputs(type, outputs);
}
