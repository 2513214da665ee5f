#include "power/exact/power_exact_binomial.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <limits>
#include <vector>

#include "analysis/family_support.h"
#include "analysis/read_check_solve.h"
#include "distributions/binomial.h"
#include "distributions/normal.h"
#include "numerics/cancel.h"
#include "numerics/quorix_error.h"
#include "power/exact/balanced_steps.h"
#include "power/exact/exact_search.h"
#include "power/exact/exact_solve.h"

namespace {

// Proportions closer than this to 0 or 1 are refused.
constexpr double kProportionMargin = 1e-6;
// The A priori search steps at most this many N beyond its smooth start.
// The exact power only wanders about the smooth one, so a target that takes
// more is as good as unreachable: so it is with two tails about a constant
// proportion of 0, whose lower count, clamped to 0, keeps alpha at 1.
constexpr double kMaxSteps = 1e5;

double Infinity() {
    return std::numeric_limits<double>::infinity();
}

// The most counts whose tails the list of steps of two balanced tails
// holds, and the most steps it lists. Beyond them (N of some hundred
// thousand and more, where a count moves the power by little) the searches
// over alpha take the power as rising with alpha.
constexpr std::size_t kMostSteps = 20000;

// The alphas a search over the steps of the power tries: of each step in
// `starts` (ascending), the first alpha the row can show at or above its
// start (where rounding takes the start down, the one below as well), each
// once and in ascending order, within the alphas Post hoc takes.
// `visit(x)` returns true to end the walk.
template <class Visit>
void VisitShownAlphas(const std::vector<double>& starts, Visit visit) {
    auto shown = [](double x) {
        return std::clamp(x, exact_search::kAlphaFloor, exact_search::kLargestAlpha);
    };
    double last = 0.0;
    for (const double t : starts) {
        const double rounded = shown(ShownOutputValue(t));
        const double next = shown(ShownOutputAtLeast(std::nextafter(rounded, Infinity())));
        for (const double x : {rounded, next}) {
            if (!(x > last)) continue;
            last = x;
            if (visit(x)) return;
            // A rounded value clearly above the start lies on its step.
            if (x > t * (1.0 + 1e-9)) break;
        }
    }
}

}  // namespace

PowerExactBinomial::PowerExactBinomial() {
    distribution = new BinomialDistribution(10.0, 0.5);
    PowerExactBinomial::SetStandardValues();
}

void PowerExactBinomial::SetStandardValues() {
    distribution->SetParam(0, 40.0);
    distribution->SetParam(1, 0.5);
    proportion1 = 0.5;
    alpha = 0.05;
    power = 0.95;
    proportion2 = 0.8;
    effectSize = 0.8;
    sampleSize = 100.0;
    ratio = kStandardRatio;
    alphaBalancing = kHalfEachSide;
    strictCriticalRegion = false;
}

void PowerExactBinomial::CopyOptionsTo(PowerExactBinomial& target) const {
    target.alphaBalancing = alphaBalancing;
    target.strictCriticalRegion = strictCriticalRegion;
}

PowerAnalysis* PowerExactBinomial::Clone() {
    auto* copy = CloneAs<PowerExactBinomial>();
    CopyOptionsTo(*copy);
    return copy;
}

void PowerExactBinomial::SetCentralDistribution() {
    distribution->SetParam(1, proportion1);
}

void PowerExactBinomial::SetNoncentralDistribution() {
    distribution->SetParam(1, proportion2);
}

std::string PowerExactBinomial::GetMethodText() {
    if (oneTailed) return std::string();
    switch (alphaBalancing) {
        case kHalfEachSide:
            return "$\\alpha$ balancing: $\\alpha$/2 on each side";
        case kRestToMajorTail:
            return "$\\alpha$ balancing: ($\\alpha$2 = $\\alpha$/2, $\\alpha$1 = "
                   "$\\alpha$-$\\alpha$2)";
        case kIncreaseToMinimum:
            return "$\\alpha$ balancing: increase from $\\alpha$/2 until $\\alpha$ - ($\\alpha$1 + "
                   "$\\alpha$2) = min";
        default:
            return std::string();
    }
}

// ------------------------------------------------------ critical counts

PowerExactBinomial::TwoSidedCounts PowerExactBinomial::TwoSidedCriticalCounts(
    double alphaValue, double n, bool majorUpper) const {
    const BinomialTails h0 = NullTails(n);
    switch (alphaBalancing) {
        case kHalfEachSide:
            return HalfEachSide(h0, alphaValue);
        case kRestToMajorTail:
            return RestToMajorTail(h0, alphaValue, majorUpper);
        case kIncreaseToMinimum:
            return IncreaseToMinimum(h0, alphaValue);
        default: {
            const double half = alphaValue / 2.0;
            return {std::max(h0.LowerCount(half), 0.0), h0.UpperCount(half) - 1.0, 0.0};
        }
    }
}

namespace {

// The counts of the regions in which each tail of H0 is nearest to alpha/2:
// the last count whose lower tail does not exceed alpha/2 (0 when none
// does) and the count below the first whose upper tail does not exceed it.
void HalfCounts(const BinomialTails& h0, double alphaValue, double* lower, double* upper) {
    const double half = alphaValue / 2.0;
    *lower = std::max(h0.LowerCount(half), 0.0);
    *upper = h0.UpperCount(half) - 1.0;
}

}  // namespace

PowerExactBinomial::TwoSidedCounts PowerExactBinomial::HalfEachSide(const BinomialTails& h0,
                                                                    double alphaValue) const {
    const double half = alphaValue / 2.0;
    double lower, upper;
    HalfCounts(h0, alphaValue, &lower, &upper);
    const bool raiseUpper = !BinomialTails::WithinSize(h0.AtLeast(upper), half);
    const bool lowerLower = !BinomialTails::BelowSize(h0.AtMost(lower), half);
    if (raiseUpper) upper += 1.0;
    if (lowerLower) lower -= 1.0;
    if (!strictCriticalRegion) {
        upper = std::min(upper, h0.Trials());
        lower = std::max(lower, 0.0);
    }
    return {lower, upper, h0.AtLeast(upper) + h0.AtMost(lower)};
}

PowerExactBinomial::TwoSidedCounts PowerExactBinomial::RestToMajorTail(const BinomialTails& h0,
                                                                       double alphaValue,
                                                                       bool majorUpper) const {
    const double half = alphaValue / 2.0;
    double lower, upper;
    HalfCounts(h0, alphaValue, &lower, &upper);
    if (!BinomialTails::WithinSize(h0.AtLeast(upper), half)) upper += 1.0;
    if (!BinomialTails::WithinSize(h0.AtMost(lower), half)) lower -= 1.0;
    double upperTail = h0.AtLeast(upper);
    double lowerTail = h0.AtMost(lower);
    // What alpha/2 leaves unused goes to the tails, one count each at most,
    // the major tail first.
    if (BinomialTails::BelowSize(lowerTail + upperTail, alphaValue)) {
        auto widenUpper = [&] {
            if (BinomialTails::WithinSize(h0.AtLeast(upper - 1.0) + lowerTail, alphaValue)) {
                upper -= 1.0;
                upperTail = h0.AtLeast(upper);
            }
        };
        auto widenLower = [&] {
            if (BinomialTails::WithinSize(h0.AtMost(lower + 1.0) + upperTail, alphaValue)) {
                lower += 1.0;
                lowerTail = h0.AtMost(lower);
            }
        };
        if (majorUpper) {
            widenUpper();
            widenLower();
        } else {
            widenLower();
            widenUpper();
        }
    }
    if (!strictCriticalRegion) {
        upper = std::min(upper, h0.Trials());
        lower = std::max(lower, 0.0);
    }
    return {lower, upper, h0.AtLeast(upper) + h0.AtMost(lower)};
}

// Starts from the regions of alpha/2 on each side and adds the count next
// to a region, both at once while both fit below alpha, else the one of
// smaller probability. With no lower alpha/2 region there is nothing to
// balance, and the counts of alpha/2 on each side stand.
PowerExactBinomial::TwoSidedCounts PowerExactBinomial::IncreaseToMinimum(const BinomialTails& h0,
                                                                         double alphaValue) const {
    const double half = alphaValue / 2.0;
    double lower, upper;
    HalfCounts(h0, alphaValue, &lower, &upper);
    if (lower <= 0.0) return HalfEachSide(h0, alphaValue);
    // The largest count outside the upper alpha/2 region.
    if (!BinomialTails::WithinSize(h0.AtLeast(upper), half)) upper += 1.0;
    double u = upper - 1.0;
    // How far each region may grow before its own tail alone exceeds alpha.
    const double lowerRoom = std::max(h0.LowerCount(alphaValue), 0.0) - lower;
    const double upperRoom = u - (h0.UpperCount(alphaValue) - 1.0);
    double lowerTail = h0.AtMost(lower);
    double upperTail = h0.AtLeast(u + 1.0);
    for (double k = 1.0; k <= std::max(lowerRoom, upperRoom); k += 1.0) {
        const double lowerMass = k <= lowerRoom ? h0.Exactly(lower + 1.0) : 1.0;
        const double upperMass = k <= upperRoom ? h0.Exactly(u) : 1.0;
        const double used = lowerTail + upperTail;
        if (BinomialTails::BelowSize(used + lowerMass + upperMass, alphaValue)) {
            lower += 1.0;
            lowerTail += lowerMass;
            u -= 1.0;
            upperTail += upperMass;
        } else if (BinomialTails::BelowSize(used + std::min(lowerMass, upperMass), alphaValue)) {
            // A tie goes to the upper region. Under p 1/2 next counts that
            // lie symmetric about n/2 have the same mass exactly; the two
            // computed masses differ by rounding, which grows as the masses
            // shrink, so the tie is read from the counts, not the masses.
            const bool tie = k <= lowerRoom && k <= upperRoom && h0.Probability() == 0.5 &&
                             lower + 1.0 + u == h0.Trials();
            if (tie || upperMass <= lowerMass) {
                u -= 1.0;
                upperTail += upperMass;
            } else {
                lower += 1.0;
                lowerTail += lowerMass;
            }
        } else {
            break;
        }
    }
    upper = u + 1.0;
    if (!strictCriticalRegion) {
        upper = std::min(upper, h0.Trials());
        lower = std::max(lower, 0.0);
    }
    // The tails of the counts reported, not the sums of the steps.
    return {lower, upper, h0.AtLeast(upper) + h0.AtMost(lower)};
}

// ---------------------------------------------------------------- power

double PowerExactBinomial::ComputePower(double effect, double alphaValue, double n) {
    return BinomialPower(effect, alphaValue, n);
}

double PowerExactBinomial::BinomialPower(double effect, double alphaValue, double n) {
    effectSize = effect;
    alpha = alphaValue;
    sampleSize = n;
    UpdateProportionH1();
    SetTrials(n);
    const BinomialTails h0 = NullTails(n);
    const BinomialTails h1 = AlternativeTails(n);
    if (oneTailed) {
        if (proportion2 >= proportion1) {
            double k = h0.UpperCount(alpha);
            if (k > n) {
                if (strictCriticalRegion) {
                    criticalValue = criticalValue2 = k;
                    actualAlpha = 0.0;
                    return 0.0;
                }
                k = n;
            }
            criticalValue = criticalValue2 = k;
            actualAlpha = h0.AtLeast(k);
            return h1.AtLeast(k);
        }
        double s = h0.LowerCount(alpha);
        if (s < 0.0) {
            if (strictCriticalRegion) {
                criticalValue = criticalValue2 = -1.0;
                actualAlpha = 0.0;
                return 0.0;
            }
            s = 0.0;
        }
        criticalValue = criticalValue2 = s;
        actualAlpha = h0.AtMost(s);
        return h1.AtMost(s);
    }
    const TwoSidedCounts counts = TwoSidedCriticalCounts(alpha, n, proportion2 > proportion1);
    actualAlpha = counts.actualAlpha;
    // criticalValue is the count on the side of the alternative.
    if (proportion1 > proportion2) {
        criticalValue = counts.lower;
        criticalValue2 = counts.upper;
    } else {
        criticalValue = counts.upper;
        criticalValue2 = counts.lower;
    }
    return h1.AtMost(counts.lower) + h1.AtLeast(counts.upper);
}

bool PowerExactBinomial::IsTargetPowerUnreachable(const double* effect, double alphaValue,
                                                  double target) {
    return ComputePower(*effect, alphaValue, 1e12) < target;
}

// ------------------------------------------------------------- A priori

double PowerExactBinomial::SmoothPower(double alphaValue, double n) {
    BinomialDistribution d(n, proportion1);
    if (oneTailed) {
        if (proportion2 > proportion1) {
            const double s = d.Quantile(1.0 - alphaValue);
            d.SetParam(1, proportion2);
            return 1.0 - d.Cdf(s);
        }
        const double s = d.Quantile(alphaValue);
        d.SetParam(1, proportion2);
        return d.Cdf(s);
    }
    const double upper = d.Quantile(1.0 - alphaValue / 2.0);
    const double lower = d.Quantile(alphaValue / 2.0);
    d.SetParam(1, proportion2);
    return 1.0 + d.Cdf(lower) - d.Cdf(upper);
}

bool PowerExactBinomial::SmoothCrossing(double alphaValue, double target, double hi, double* below,
                                        double* above) {
    const double p1 = proportion1, p2 = proportion2;
    if (!(std::fabs(p2 - p1) > 1e-3) || !(p1 > 0.0 && p1 < 1.0 && p2 > 0.0 && p2 < 1.0))
        return false;
    NormalDistribution normal;
    const double za = normal.Quantile(1.0 - alphaValue / (oneTailed ? 1.0 : 2.0));
    const double zb = normal.Quantile(target);
    const double root =
        (za * std::sqrt(p1 * (1.0 - p1)) + zb * std::sqrt(p2 * (1.0 - p2))) / std::fabs(p2 - p1);
    auto f = [&](double n) {
        if (IsCancelled()) throw CancelledError();
        return SmoothPower(alphaValue, n) - target;
    };
    auto inside = [hi](double n) { return std::clamp(n, 1.0, hi); };
    double x0 = inside(root * root);
    double f0 = f(x0);
    double x1 = inside(x0 * (f0 < 0.0 ? 1.05 : 0.95));
    double f1 = f(x1);
    for (int i = 0; i < 8 && f1 != f0 && std::fabs(x1 - x0) > 1e-9 * x1; ++i) {
        const double x2 = inside(x1 - f1 * (x1 - x0) / (f1 - f0));
        if (!std::isfinite(x2)) return false;
        x0 = x1;
        f0 = f1;
        x1 = x2;
        f1 = f(x1);
    }
    const double width = std::max(1e-7 * x1, 1e-4);
    *below = x1 - width;
    *above = x1 + width;
    // The decisions the bracket stands for are sure only with a margin
    // beyond the halving's own stop at a power within 1e-10 of the target.
    return *below > 1.0 && *above < hi && f(*below) < -1e-10 && f(*above) >= 1e-10;
}

double PowerExactBinomial::StartSampleSize(double alphaValue, double target) {
    double hi = 10001.0;
    while (SmoothPower(alphaValue, hi) < target) {
        if (IsCancelled()) throw CancelledError();
        // No effect, or one too small for any N the program shows.
        if (hi >= kMaxSampleSize) exact_search::NoSampleSize("Exact-SampleSize", hi);
        hi = std::min(1.6 * hi, kMaxSampleSize);
    }
    // The smooth power grows with N where neither tail of H0 is clamped at
    // its end (below that, where a lone count at the end of the range
    // holds more than a tail's alpha, it jumps as the quantile leaves the
    // end): once a narrow bracket of its crossing with the target is known
    // there, the halving below decides every midpoint beyond the clamped
    // range and outside the bracket without the two quantiles of an
    // evaluation, and takes the same steps to the same start.
    const double tail = oneTailed ? alphaValue : alphaValue / 2.0;
    const double clamped =
        2.0 * std::log(tail) / std::log(std::max(proportion1, 1.0 - proportion1)) + 10.0;
    double below = 0.0, above = std::numeric_limits<double>::infinity();
    if (!(std::isfinite(clamped) && clamped > 0.0) ||
        !SmoothCrossing(alphaValue, target, hi, &below, &above) || !(below > clamped)) {
        below = 0.0;
        above = std::numeric_limits<double>::infinity();
    }
    double lo = 1.0;
    while (hi - lo > 0.001) {
        if (IsCancelled()) throw CancelledError();
        const double mid = (lo + hi) / 2.0;
        if (mid <= below && mid > clamped) {
            lo = mid;
            continue;
        }
        if (mid >= above) {
            hi = mid;
            continue;
        }
        const double p = SmoothPower(alphaValue, mid);
        if (std::fabs(p - target) < 1e-10) break;
        if (p < target) {
            lo = mid;
        } else {
            hi = mid;
        }
    }
    return std::ceil(lo);
}

// The power of a discrete test is a sawtooth in N, and a larger N may even
// exceed alpha where counts are clamped: the answer is the first N from the
// smooth start on that reaches the target power with actual alpha <= alpha.
double PowerExactBinomial::SolveSampleSize(double effect, double alphaValue, double target, bool) {
    effectSize = effect;
    alpha = alphaValue;
    power = target;
    analysisType = kAPriori;
    UpdateProportionH1();
    exact_search::SampleSizeRules scan;
    scan.largest = kMaxSampleSize;
    scan.maxSteps = kMaxSteps;
    // An N whose clamped counts exceed alpha cannot be the answer.
    auto powerAt = [&](double n) {
        actualPower = BinomialPower(effect, alphaValue, n);
        return actualAlpha <= alphaValue ? actualPower : -1.0;
    };
    const double n =
        exact_search::SampleSizeReaching(powerAt, target, StartSampleSize(alphaValue, target), scan,
                                         exact_search::StopCheck(*this), "Exact-SampleSize");
    power = target;
    sampleSize = n;
    return n;
}

// ---------------------------------------------------------- Sensitivity

double PowerExactBinomial::SolveEffectSize(double alphaValue, double target, double n) {
    alpha = alphaValue;
    power = target;
    sampleSize = n;
    analysisType = kSensitivity;
    SetTrials(n);
    // The search runs over p2 above p1, so the upper tail is the major one;
    // the counts stay fixed while p2 moves.
    double lower, upper;
    if (oneTailed) {
        lower = -1.0;
        upper = NullTails(n).UpperCount(alphaValue);
        actualAlpha = NullTails(n).AtLeast(upper);
        criticalValue = criticalValue2 = upper;
    } else {
        const TwoSidedCounts counts = TwoSidedCriticalCounts(alphaValue, n, true);
        lower = counts.lower;
        upper = counts.upper;
        actualAlpha = counts.actualAlpha;
        criticalValue = upper;
        criticalValue2 = lower;
    }
    auto powerAt = [&](double p2) {
        const BinomialTails h1(n, p2);
        return h1.AtMost(lower) + h1.AtLeast(upper);
    };
    if (powerAt(kHighestProportionH1) < target) {
        throw QuorixError("Exact-EffectSize: no effect size found", QuorixError::kAboveUpperBound,
                          kHighestProportionH1);
    }
    // The power is continuous in p2 while the counts stay fixed: the root,
    // to 1e-13 of p2, so that the effect shown is the root rounded. Where
    // the size of the regions alone reaches the target, no effect is needed.
    const double p2 = powerAt(proportion1) >= target
                          ? proportion1
                          : exact_search::EffectRoot(
                                [&](double x) {
                                    if (IsCancelled()) throw CancelledError();
                                    return powerAt(x);
                                },
                                target, proportion1, kHighestProportionH1);
    effectSize = EffectForProportionH1(p2);
    UpdateProportionH1();
    return effectSize;
}

// ------------------------------------------------------------ Criterion

void PowerExactBinomial::CriterionTwoSided(double x, double n) {
    const BinomialTails h0 = NullTails(n);
    const BinomialTails h1 = AlternativeTails(n);
    const bool upperMajor = proportion2 > proportion1;
    double lower, upper;
    if (upperMajor) {
        // The upper region whose power under H1 first reaches x, and the
        // lower region of H0 size at most the upper one's.
        upper = h1.UpperCount(x) - 1.0;
        lower = h0.LowerCount(h0.AtLeast(upper));
    } else {
        lower = h1.LowerCountReaching(x);
        upper = h0.UpperCount(h0.AtMost(lower));
    }
    if (lower >= upper) {
        // The regions meet: every count rejects.
        alpha = 1.0;
        actualPower = 1.0;
        criticalValue = criticalValue2 = upperMajor ? 0.0 : std::floor(n * proportion1);
        return;
    }
    alpha = h0.AtMost(lower) + h0.AtLeast(upper);
    actualPower = h1.AtMost(lower) + h1.AtLeast(upper);
    criticalValue = upperMajor ? upper : lower;
    criticalValue2 = upperMajor ? lower : upper;
}

// One tail: the size of the smallest region whose power reaches the
// target, which is the region Post hoc takes at that size; where it lies
// below the floor of the searches there is no alpha to show (it showed
// 9.9e-197, or 0 where the size underflows). Two tails: the regions of
// the balancing rule, as Post hoc builds them, searched over alpha.
double PowerExactBinomial::SolveAlpha(double effect, double target, double n) {
    if (!oneTailed) return TwoTailedAlpha(effect, target, n, "Exact-Binomial");
    return OneTailedAlpha(effect, target, n, "Exact-Binomial");
}

// Where no count fits, the region is clamped to the last count, and Post
// hoc rejects it at every alpha below its size too: where that already
// reaches the target, no alpha is the smallest that does.
double PowerExactBinomial::OneTailedAlpha(double effect, double target, double n,
                                          const std::string& where) {
    if (!strictCriticalRegion && BinomialPower(effect, exact_search::kAlphaFloor, n) >= target) {
        exact_search::NoAlphaAboveFloor(where);
    }
    return ShownRegionAlpha(RegionAlpha(effect, target, n), where);
}

// The regions of two tails depend on alpha through the balancing rule, not
// through the equal tails of one size: the smallest alpha whose power by
// that rule reaches the target, from the equal tails' size as a start.
// The last evaluation is at the alpha returned.
double PowerExactBinomial::TwoTailedAlpha(double effect, double target, double n,
                                          const std::string& where) {
    if (Balanced()) {
        effectSize = effect;
        UpdateProportionH1();
        double shown = 0.0;
        if (BalancedAlpha(effect, target, n, where, &shown)) {
            alpha = shown;
            power = target;
            sampleSize = n;
            analysisType = kCriterion;
            return alpha;
        }
    }
    const double start = RegionAlpha(effect, target, n);
    auto powerAt = [&](double x) {
        if (IsCancelled()) throw CancelledError();
        actualPower = BinomialPower(effect, x, n);
        return actualPower;
    };
    double lo = 0.0, hi = exact_search::kLargestAlpha;
    if (start > exact_search::kAlphaFloor && start < hi) {
        if (powerAt(start) >= target) {
            hi = start;
        } else {
            lo = start;
        }
    }
    if (lo > 0.0 || hi == exact_search::kLargestAlpha) {
        if (powerAt(exact_search::kLargestAlpha) < target) {
            throw QuorixError(where + ": no alpha found", QuorixError::kAboveUpperBound,
                              exact_search::kLargestAlpha);
        }
    }
    alpha = exact_search::SmallestAlphaReaching(powerAt, target, lo, hi, where);
    power = target;
    analysisType = kCriterion;
    return alpha;
}

bool PowerExactBinomial::Balanced() const {
    return !oneTailed &&
           (alphaBalancing == kRestToMajorTail || alphaBalancing == kIncreaseToMinimum);
}

// The power under the rule lies between the powers of the smallest and the
// largest regions the rule may build at alpha, and both of those rise with
// alpha: below the first alpha at which the largest reach the target no
// alpha does, and from the first at which the smallest do every alpha
// does. Between them the steps of the rule are tried in ascending order.
bool PowerExactBinomial::BalancedAlpha(double effect, double target, double n,
                                       const std::string& where, double* shown) {
    SetTrials(n);
    auto powerAt = [&](double x) {
        if (IsCancelled()) throw CancelledError();
        actualPower = BinomialPower(effect, x, n);
        return actualPower;
    };
    if (powerAt(exact_search::kAlphaFloor) >= target) exact_search::NoAlphaAboveFloor(where);
    const BinomialTails h0 = NullTails(n);
    const BinomialTails h1 = AlternativeTails(n);
    auto reaches = [&](const balanced_steps::Envelope& e) {
        const double p = e.lower >= e.upper ? 1.0 : h1.AtMost(e.lower) + h1.AtLeast(e.upper);
        return p >= target;
    };
    // The last alpha below the first at which `envelope` reaches the target
    // (the floor where it reaches it there), +infinity where no alpha does.
    auto lastMissing = [&](auto envelope) {
        double lo = exact_search::kAlphaFloor, hi = exact_search::kLargestAlpha;
        if (!reaches(envelope(h0, hi))) return Infinity();
        if (reaches(envelope(h0, lo))) return lo;
        while (hi > lo * (1.0 + 1e-13)) {
            if (IsCancelled()) throw CancelledError();
            const double mid = hi > 4.0 * lo ? std::sqrt(lo * hi) : (lo + hi) / 2.0;
            if (reaches(envelope(h0, mid))) {
                hi = mid;
            } else {
                lo = mid;
            }
        }
        return lo;
    };
    const double lo = lastMissing(balanced_steps::Largest);
    if (!(lo < Infinity())) {
        throw QuorixError(where + ": no alpha found", QuorixError::kAboveUpperBound,
                          exact_search::kLargestAlpha);
    }
    double hi = std::nextafter(lastMissing(balanced_steps::Smallest), Infinity());
    hi = std::min(std::max(hi, lo), exact_search::kLargestAlpha);
    std::vector<double> starts;
    if (!balanced_steps::StepStarts(h0, BalancingRule(), lo, hi, kMostSteps, &starts)) return false;
    if (starts.back() < hi) starts.push_back(hi);
    double found = -1.0;
    VisitShownAlphas(starts, [&](double x) {
        if (powerAt(x) < target) return false;
        found = x;
        return true;
    });
    if (found < 0.0) {
        throw QuorixError(where + ": no alpha found", QuorixError::kAboveUpperBound,
                          exact_search::kLargestAlpha);
    }
    *shown = found;
    return true;
}

// The size is a jump of the power in alpha: an alpha shown rounded below
// it would not allow the region, so the alpha shown is the first value the
// output can show at or above the size, and the region's power is the
// power there.
double PowerExactBinomial::ShownRegionAlpha(double size, const std::string& where) {
    if (!(size >= exact_search::kAlphaFloor)) exact_search::NoAlphaAboveFloor(where);
    // A size that the alpha shown holds to a few ulps is a region of that
    // alpha, as the tails count it.
    const double shown = ShownOutputValue(size);
    alpha = BinomialTails::WithinSize(size, shown) ? shown : ShownOutputAtLeast(size);
    return alpha;
}

double PowerExactBinomial::RegionAlpha(double effect, double target, double n) {
    effectSize = effect;
    power = target;
    sampleSize = n;
    analysisType = kCriterion;
    UpdateProportionH1();
    SetTrials(n);
    const BinomialTails h0 = NullTails(n);
    const BinomialTails h1 = AlternativeTails(n);
    if (oneTailed) {
        // The smallest region on the side of p2 whose power reaches the
        // target; all counts when no smaller one does.
        if (proportion2 >= proportion1) {
            const double k = h1.UpperCountReaching(target);
            criticalValue = criticalValue2 = k;
            actualPower = h1.AtLeast(k);
            alpha = h0.AtLeast(k);
        } else {
            const double s = h1.LowerCountReaching(target);
            criticalValue = criticalValue2 = s;
            actualPower = h1.AtMost(s);
            alpha = h0.AtMost(s);
        }
        return alpha;
    }
    // Equal tails under H0; the major tail's power level moves down from the
    // target while the power still reaches it, keeping the smallest power.
    CriterionTwoSided(target, n);
    if (std::fabs(actualPower - target) < 1e-10) return alpha;
    double best = target, bestPower = actualPower;
    double lo = std::max(target / 2.0, 1e-8), hi = target;
    while (hi - lo > 1e-8) {
        if (IsCancelled()) throw CancelledError();
        const double mid = (lo + hi) / 2.0;
        CriterionTwoSided(mid, n);
        if (std::fabs(actualPower - target) < 1e-10) {
            best = mid;
            break;
        }
        if (actualPower < target) {
            lo = mid;
        } else {
            if (actualPower < bestPower) {
                best = mid;
                bestPower = actualPower;
            }
            hi = mid;
        }
    }
    CriterionTwoSided(best, n);
    return alpha;
}

// ----------------------------------------------------------- Compromise

// The critical count whose beta/alpha ratio comes nearest to q, by
// bisection over the count: the upper one-tailed region X > s, the lower one
// X <= s, and for two tails the lower count L with the upper region of at
// most the same size under H0. The ratio rises with s for the upper region
// and falls with the count in the other two.
double PowerExactBinomial::CompromiseStart(double /*effect*/, double q, double n) {
    SetTrials(n);
    const BinomialTails h0 = NullTails(n);
    const BinomialTails h1 = AlternativeTails(n);
    const bool upperSide = proportion2 > proportion1;
    // beta is summed over the acceptance region itself: where alpha lies
    // far below 1e-16 so does beta, and 1 - power would be 0.
    struct Region {
        double lower, upper, alpha, power, beta;
    };
    auto region = [&](double c) -> Region {
        if (oneTailed) {
            if (upperSide) {
                return {c + 1.0, c + 1.0, h0.AtLeast(c + 1.0), h1.AtLeast(c + 1.0), h1.AtMost(c)};
            }
            return {c, c, h0.AtMost(c), h1.AtMost(c), h1.AtLeast(c + 1.0)};
        }
        const double lowerTail = h0.AtMost(c);
        const double upper = h0.UpperCount(lowerTail);
        if (upper <= c) return {c, upper, 1.0, 1.0, 0.0};
        // The counts strictly between, from the side away from the bulk of H1.
        const double beta = n * proportion2 >= 0.5 * (c + upper)
                                ? h1.AtMost(upper - 1.0) - h1.AtMost(c)
                                : h1.AtLeast(c + 1.0) - h1.AtLeast(upper);
        return {c, upper, lowerTail + h0.AtLeast(upper), h1.AtMost(c) + h1.AtLeast(upper),
                std::max(beta, 0.0)};
    };
    const bool rising = oneTailed && upperSide;
    double lo = 0.0, hi = oneTailed ? n : std::ceil(n * proportion1);
    double best = 0.0, bestDeviation = Infinity();
    bool found = false;
    do {
        if (IsCancelled()) throw CancelledError();
        const double c = std::floor((lo + hi) / 2.0);
        const Region r = region(c);
        if (!found) best = c;
        if (r.alpha > 0.0) {
            const double deviation = std::fabs(r.beta / r.alpha - q);
            if (deviation < 1e-10) {
                best = c;
                break;
            }
            if (!found || deviation < bestDeviation) {
                best = c;
                bestDeviation = deviation;
                found = true;
            }
        }
        const bool tooHigh = r.alpha == 0.0 || r.beta / r.alpha > q;
        if (tooHigh == rising) {
            hi = c;
        } else {
            lo = c;
        }
    } while (hi - lo > 1.0);

    return region(best).alpha;
}

// beta of the regions BinomialPower has just left in the critical values,
// summed over the accepted counts: where alpha lies far below 1e-16 so does
// beta, and 1 - power would be 0.
double PowerExactBinomial::AcceptedBeta(double n) const {
    const BinomialTails h1 = AlternativeTails(n);
    double lower = std::min(criticalValue, criticalValue2);
    double upper = std::max(criticalValue, criticalValue2);
    if (oneTailed) {
        // One region, on the side of p2: X >= count, else X <= count.
        if (proportion2 >= proportion1) {
            lower = -1.0;
        } else {
            upper = n + 1.0;
        }
    }
    if (upper <= lower + 1.0) return 0.0;
    // The counts strictly between, from the side away from the bulk of H1.
    const double beta = n * proportion2 >= 0.5 * (lower + upper)
                            ? h1.AtMost(upper - 1.0) - h1.AtMost(lower)
                            : h1.AtLeast(lower + 1.0) - h1.AtLeast(upper);
    return std::max(beta, 0.0);
}

// The alpha whose ratio beta/actual alpha comes nearest to q among the
// steps of the power that Post hoc gives: the walk and halving of the exact
// family over alpha, from the size of the region the count search finds,
// and the alpha shown one a user can type back.
double PowerExactBinomial::SolveCompromise(double effect, double q, double n) {
    ratio = q;
    sampleSize = n;
    effectSize = effect;
    analysisType = kCompromise;
    UpdateProportionH1();
    const double start = CompromiseStart(effect, q, n);
    auto at = [&](double x) {
        if (IsCancelled()) throw CancelledError();
        actualPower = BinomialPower(effect, x, n);
        compromiseBeta = AcceptedBeta(n);
        return exact_search::Step{actualAlpha > 0.0 ? compromiseBeta / actualAlpha : Infinity(),
                                  actualAlpha};
    };
    exact_search::CompromiseRules rules;
    rules.nearestTried = true;
    rules.bracketFromStart = true;
    const double from = std::clamp(start, exact_search::kAlphaFloor, exact_search::kLargestAlpha);
    exact_search::CompromiseResult found = exact_search::ShownCompromiseAlpha(
        at, q, exact_search::CompromiseAlpha(at, q, from, rules));
    if (Balanced()) {
        // The ratio moves both ways with alpha, and the search may stop at
        // a step whose neighbour comes nearer to q: of every step of the
        // regions between the alphas whose bounds on the ratio allow a
        // nearer one, the nearest, the first from below on a tie.
        double lo = 0.0, hi = 0.0;
        std::vector<double> starts;
        if (NearerRatioRange(q, std::fabs(found.ratio - q), n, &lo, &hi) &&
            balanced_steps::StepStarts(NullTails(n), BalancingRule(), lo, hi, kMostSteps,
                                       &starts)) {
            double last = found.alpha;
            VisitShownAlphas(starts, [&](double x) {
                const double r = at(x).ratio;
                last = x;
                const double nearer = std::fabs(found.ratio - q) - std::fabs(r - q);
                if (nearer > 0.0 || (nearer == 0.0 && x < found.alpha)) {
                    found.alpha = x;
                    found.ratio = r;
                }
                return false;
            });
            if (last != found.alpha) at(found.alpha);
        }
    }
    alpha = found.alpha;
    power = actualPower;
    analysisType = kCompromise;
    ratio = q;
    return found.ratio;
}

balanced_steps::Rule PowerExactBinomial::BalancingRule() const {
    return alphaBalancing == kRestToMajorTail ? balanced_steps::Rule::kRestToTails
                                              : balanced_steps::Rule::kGrowToAlpha;
}

// The ratio of the regions the rule builds at alpha lies between that of
// the largest regions it may build (beta smallest, size largest) and that
// of the smallest; both fall as alpha rises. Where the first is at least q
// + deviation, or the second at most q - deviation, no step comes nearer to
// q than `deviation`: [lo, hi] holds every alpha where one may.
bool PowerExactBinomial::NearerRatioRange(double q, double deviation, double n, double* lo,
                                          double* hi) {
    const BinomialTails h0 = NullTails(n);
    const BinomialTails h1 = AlternativeTails(n);
    auto ratioOf = [&](const balanced_steps::Envelope& e) {
        if (e.lower >= e.upper - 1.0) return 0.0;
        const double size = h0.AtMost(e.lower) + h0.AtLeast(e.upper);
        // The accepted counts from the side away from the bulk of H1.
        const double beta = n * proportion2 >= 0.5 * (e.lower + e.upper)
                                ? h1.AtMost(e.upper - 1.0) - h1.AtMost(e.lower)
                                : h1.AtLeast(e.lower + 1.0) - h1.AtLeast(e.upper);
        return size > 0.0 ? std::max(beta, 0.0) / size : Infinity();
    };
    // The ends of a bracket [a, b] of the alpha at which `holds`, true up to
    // it, turns false: a where it holds at the floor, else the floor; b
    // where it fails at the largest alpha, else the largest alpha.
    auto turn = [&](auto holds, double* a, double* b) {
        *a = exact_search::kAlphaFloor;
        *b = exact_search::kLargestAlpha;
        if (!holds(*a)) {
            *b = *a;
            return;
        }
        if (holds(*b)) {
            *a = *b;
            return;
        }
        while (*b > *a * (1.0 + 1e-12)) {
            if (IsCancelled()) throw CancelledError();
            const double mid = *b > 4.0 * *a ? std::sqrt(*a * *b) : (*a + *b) / 2.0;
            if (holds(mid)) {
                *a = mid;
            } else {
                *b = mid;
            }
        }
    };
    double a = 0.0, b = 0.0;
    turn([&](double x) { return ratioOf(balanced_steps::Largest(h0, x)) >= q + deviation; }, &a,
         &b);
    *lo = a;
    turn([&](double x) { return ratioOf(balanced_steps::Smallest(h0, x)) > q - deviation; }, &a,
         &b);
    *hi = b;
    return *lo < *hi;
}

// ------------------------------------------------------ inputs, outputs

bool PowerExactBinomial::CheckSampleSize(int, double n) {
    return CheckSampleSizeMinimum(static_cast<int>(std::min(n, 2147483647.0)), 1);
}

bool PowerExactBinomial::CheckEffectSize(int, double p2) {
    return CheckNamedRangeInclusive("Proportion p2", p2, kProportionMargin);
}

void PowerExactBinomial::AddEffectInput(PropertyList* inputs) {
    AddNoncentralityInput(inputs, kProportionP2Id);
}

void PowerExactBinomial::AddNullProportionInput(PropertyList* inputs) {
    AddDoubleInput(inputs, kProportionP1Id, proportion1);
}

bool PowerExactBinomial::ReadNullProportion(PropertyList* inputs, double* p1, int* row) {
    *p1 = ReadDouble(inputs, kProportionP1Id, row);
    return CheckNamedRangeInclusive("Proportion p1", *p1, kProportionMargin);
}

bool PowerExactBinomial::CheckEffectInput(AnalysisType type, double p2, double p1) {
    if (!CheckEffectSize(0, p2)) return false;
    // p2 = p1 is no effect: the power is alpha at every N, and A priori has
    // no sample size to find.
    if (type == kAPriori && !(std::fabs(p2 - p1) > 1e-6)) {
        messages << "In an a priori analysis, the proportions p1 and p2\nmust differ by more than "
                    "1e-06.";
        return false;
    }
    return true;
}

void PowerExactBinomial::BuildInputList(AnalysisType type, PropertyList* inputs) {
    inputs->Clear();
    AddTailsInput(inputs);
    AddGivenInputs(*this, type, inputs, [&] { AddEffectInput(inputs); });
    if (type != kAPriori) AddSampleSizeInput(inputs, kTotalSampleSizeId);
    AddNullProportionInput(inputs);
}

CalculateStatus PowerExactBinomial::Calculate(AnalysisType type, PropertyList* inputs) {
    double p1 = 0.5;
    int tails = 0;
    ReadCheckSolve path;
    path.effectId = EffectInputId();
    path.readDesign = [&] {
        int p1Row = -1;
        if (!ReadNullProportion(inputs, &p1, &p1Row)) return p1Row;
        if (!NullProportionServes(type, p1)) return p1Row;
        int tailsRow = -1;
        tails = ReadTails(inputs, &tailsRow);
        return -1;
    };
    InputCheck effect{Given::kEffect,
                      [&](const GivenValues& v) { return CheckEffectInput(type, v.effect, p1); }};
    InputCheck n{Given::kSampleSize, [this](const GivenValues& v) {
                     return CheckSampleSize(v.Row(Given::kSampleSize),
                                            static_cast<double>(v.sampleSize));
                 }};
    // Where N is given with the effect it is checked beside it, ahead of
    // alpha and power; Sensitivity checks it last.
    if (type == kSensitivity) {
        path.checks = JoinChecks({AlphaPowerChecks(*this), {n}});
    } else {
        path.checks = JoinChecks(
            {ChecksEffectBeforeSampleSize() ? InputTable{effect, n} : InputTable{n, effect},
             AlphaPowerChecks(*this),
             {RatioInRange(*this, 0.01, 100.0)}});
    }
    path.takeDesign = [&](GivenValues& v) {
        // Any other type reads the design and takes nothing.
        if (!(kAPriori <= type && type <= kCompromise)) return;
        StoreNullProportion(p1);
        oneTailed = tails == 0;
        if (type != kSensitivity) {
            effectSize = v.effect;
            UpdateProportionH1();
        }
    };
    path.solve = [&](const GivenValues& v) { SolveExactType(*this, type, path, v); };
    return RunReadCheckSolve(*this, type, inputs, path);
}

OutputTable PowerExactBinomial::Outputs(AnalysisType type) {
    OutputTable table = {LowerCriticalRow(kLowerCriticalNId, true),
                         UpperCriticalRow(kUpperCriticalNId, true)};
    switch (type) {
        case kAPriori:
            AppendRows(table, {TotalSampleSizeRow(), ActualPowerRow(), ActualAlphaRow()});
            break;
        case kCompromise:
            AppendRows(table, {AlphaRow(), BetaRow(), PowerRow(), ActualRatioRow()});
            break;
        case kCriterion:
            AppendRows(table, {AlphaRow(), ActualPowerRow()});
            break;
        case kPostHoc:
            AppendRows(table, {PowerRow(), ActualAlphaRow()});
            break;
        case kSensitivity:
            AppendRows(table, {ActualAlphaRow(), EffectSizeRow(EffectInputId())});
            break;
    }
    return table;
}
