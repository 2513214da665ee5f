#pragma once

// The searches the exact tests share. The power of an exact test is a step
// function of alpha and of the effect, so these searches walk out from the
// answer of a smooth approximation until they bracket the target, then
// halve the bracket. Every search over alpha stays at or above one floor,
// every walk in an effect stays on the side of the null it starts on, and
// the members of the test (critical values, actual alpha, power, beta) are
// always those of the step the search returns: its last evaluation is at the
// answer.

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>
#include <type_traits>

#include "analysis/property.h"
#include "numerics/cancel.h"
#include "numerics/quorix_error.h"

namespace exact_search {

// The smallest alpha any search reports: below it no alpha can be entered
// or shown with its digits.
inline constexpr double kAlphaFloor = 1e-99;
// The largest alpha a Compromise walk tries: the largest alpha input.
inline constexpr double kLargestAlpha = 0.9999999;
// Below this alpha the walks grow their steps, so that an answer far below
// 1e-16 is reached in a few dozen of them.
inline constexpr double kSmallAlpha = 1e-10;
inline constexpr int kMaxSteps = 100;

// The power at the floor already reaches the target: the smallest alpha
// that does lies below every alpha the program can show.
[[noreturn]] inline void NoAlphaAboveFloor(const std::string& where) {
    throw QuorixError(where + ": no alpha >= 1e-99", QuorixError::kBelowLowerBound, kAlphaFloor);
}

// ------------------------------------------------------------- Criterion

// The alpha a Criterion search shows, from the ends of its last bracket:
// lo, whose power misses the target, and hi, whose power reaches it. The
// answer is the smallest alpha an output row can show whose power reaches
// the target: of the values shown between lo and hi (one or two once the
// bracket is as narrow as the digits shown) the first that reaches it,
// else hi as shown, or the next value shown above hi where rounding takes
// hi below a jump of the power. The last evaluation is at the alpha
// returned, so the actual power and actual alpha shown are those at the
// alpha shown.
template <class PowerAt>
double ShownAlphaReaching(PowerAt powerAt, double target, double lo, double hi) {
    auto nextShown = [](double x) {
        return ShownOutputAtLeast(std::nextafter(x, std::numeric_limits<double>::infinity()));
    };
    double shown = nextShown(lo);
    for (int i = 0; i < 3 && shown < hi; ++i, shown = nextShown(shown)) {
        if (powerAt(shown) >= target) return shown;
    }
    shown = ShownOutputValue(hi);
    if (shown < hi && powerAt(shown) < target) shown = ShownOutputAtLeast(hi);
    powerAt(shown);
    return shown;
}

// One unit of the last digit an output row shows at x > 0: a seventh
// decimal from 0.01 up, else the seventh significant digit.
inline double ShownUnit(double x) {
    return x > 0.01 ? 1e-7 : std::pow(10.0, std::floor(std::log10(x)) - 6.0);
}

// The largest value an output row can show below the shown value x.
inline double ShownBelow(double x) {
    return ShownOutputValue(x - ShownUnit(x * (1.0 - 1e-12)));
}

// The smallest alpha whose power reaches the target, by halving between an
// alpha whose power misses it (lo, 0 when none is known) and one whose power
// reaches it (hi), until the bracket is as narrow as a unit of the digits
// the alpha row shows at hi, however small alpha is. A wide bracket is
// halved on the logarithm, so that an answer far below 1e-16 takes a few
// hundred steps. Where lo is 0 the floor is tried first; where its power
// already reaches the target, or hi lies below it, there is no alpha to
// report. The answer is the alpha shown, and the last evaluation is at it.
template <class PowerAt>
double SmallestAlphaReaching(PowerAt powerAt, double target, double lo, double hi,
                             const std::string& where) {
    if (hi < kAlphaFloor) NoAlphaAboveFloor(where);
    if (lo <= 0.0) {
        if (powerAt(kAlphaFloor) >= target) NoAlphaAboveFloor(where);
        lo = kAlphaFloor;
    }
    constexpr int kMaxHalvings = 1100;
    for (int i = 0; i < kMaxHalvings && hi - lo > ShownUnit(hi); ++i) {
        const double mid = hi > 4.0 * lo ? std::sqrt(lo * hi) : (lo + hi) / 2.0;
        if (powerAt(mid) < target) {
            lo = mid;
        } else {
            hi = mid;
        }
    }
    return ShownAlphaReaching(powerAt, target, lo, hi);
}

// ----------------------------------------------------------- Sensitivity

// A trial effect of a walk that starts on one side of the null effect: the
// power rises again on the other side, where a walk would find a second,
// wrong answer, so the trial stops at the null.
inline double OnSideOfNull(double x, double null, double start) {
    return start >= null ? std::max(x, null) : std::min(x, null);
}

// The effect nearest the null whose power reaches the target, by halving
// to 1e-8 between an effect whose power misses it (`missing`, the null or a
// point between the null and the answer) and one whose power reaches it:
// the bracket never holds the null's other side. A power within `hit` of the
// target ends the halving at once (a negative `hit` never does). The last
// evaluation is at the answer.
template <class PowerAt>
double EffectReaching(PowerAt powerAt, double target, double missing, double reaching,
                      double hit = -1.0) {
    while (std::fabs(reaching - missing) > 1e-8) {
        const double mid = (reaching + missing) / 2.0;
        const double p = powerAt(mid);
        if (std::fabs(p - target) <= hit) {
            reaching = mid;
            break;
        }
        if (p >= target) {
            reaching = mid;
        } else {
            missing = mid;
        }
    }
    powerAt(reaching);
    return reaching;
}

// The root of a Sensitivity search whose power is continuous in the effect,
// from a bracket of an effect whose power misses the target (`missing`, the
// null or a point between the null and the answer) and one whose power
// reaches it, on either side of the null: halving to 1e-13 of the effect
// and returning the reaching end. The answer is shown rounded to the row's
// digits, and a bracket as wide as a tenth of a digit shown would round one
// root in ten to the neighbouring digit. The last evaluation is at the
// effect returned.
template <class PowerAt>
double EffectRoot(PowerAt powerAt, double target, double missing, double reaching) {
    bool lastAtReaching = false;
    // From a bracket as wide as the effect itself, 1e-13 of it takes some
    // 45 halvings; the cap only guards against a bracket that never narrows.
    for (int i = 0; i < 200 && std::fabs(reaching - missing) > 1e-13 * std::fabs(reaching); ++i) {
        const double mid = (reaching + missing) / 2.0;
        lastAtReaching = powerAt(mid) >= target;
        if (lastAtReaching) {
            reaching = mid;
        } else {
            missing = mid;
        }
    }
    if (!lastAtReaching) powerAt(reaching);
    return reaching;
}

// -------------------------------------------------------------- A priori

// How an A priori search steps in N. The power of an exact test is a
// sawtooth in N about the smooth power of its approximation.
struct SampleSizeRules {
    // A scan goes up one N at a time (1), where the teeth are large against
    // the distance from the start; above 1, a walk by this factor, at most
    // kMaxSteps of them (down while the start already exceeds the target),
    // and then halving over whole N, where the power is near smooth in N.
    double growth = 1.0;
    // The search gives up on reaching this N, or a scan this many N beyond
    // its start.
    double largest = std::numeric_limits<double>::infinity();
    double maxSteps = 1e5;
};

// Where an A priori search gives up: no N the program shows reaches the
// target.
[[noreturn]] inline void NoSampleSize(const std::string& where, double n) {
    throw QuorixError(where + ": no sample size found", QuorixError::kAboveUpperBound, n);
}

// The check between the steps of a search of `test`: it throws where the
// user has stopped the calculation.
template <class Test>
auto StopCheck(Test& test) {
    return [&test] {
        if (test.IsCancelled()) throw CancelledError();
    };
}

// The smallest N from `start` whose power reaches the target: a scan, the
// first N from the start on whose power reaches it; a walk, the upper end
// of the last bracket of the halving (or an N between whose power exceeds
// the target within 1e-8). `powerAt(n)` evaluates the test at N, leaving
// its members as that evaluation does, and returns its power, or a negative
// number where N cannot be the answer; `poll()` throws where the user has
// stopped the calculation. The last evaluation is at the N returned.
template <class PowerAt, class Poll>
double SampleSizeReaching(PowerAt powerAt, double target, double start,
                          const SampleSizeRules& rules, Poll poll, const std::string& where) {
    if (rules.growth <= 1.0) {
        double n = start;
        for (;;) {
            poll();
            if (powerAt(n) >= target) return n;
            if (n >= rules.largest || n - start >= rules.maxSteps) NoSampleSize(where, n);
            n += 1.0;
        }
    }
    double lo = start, hi = start;
    if (powerAt(start) < target) {
        double n = start;
        for (int i = 0;; ++i) {
            poll();
            if (i == kMaxSteps || n >= rules.largest) NoSampleSize(where, n);
            n = std::min(std::ceil(rules.growth * n), rules.largest);
            if (powerAt(n) >= target) break;
        }
        hi = n;
    } else {
        while (lo > 1.0 && powerAt(lo) > target) {
            poll();
            lo = std::min(std::ceil(lo / rules.growth), lo - 1.0);
        }
    }
    double mid = hi;
    bool midExceeds = false;
    while (hi - lo > 1.0) {
        poll();
        mid = std::floor((lo + hi) / 2.0 + 0.5);
        const double p = powerAt(mid);
        midExceeds = p > target;
        if (std::fabs(p - target) < 1e-8) break;
        if (midExceeds) {
            hi = mid;
        } else {
            lo = mid;
        }
    }
    if (midExceeds) return mid;
    powerAt(hi);
    return hi;
}

// A second scan of a sawtooth, from a nearer start: down from `from` while
// the power exceeds the target (not below `lowest`), then up to the first
// N whose power reaches it. Without `largest`, some N at or above `from`
// must reach the target; with it, the scan gives up (as SampleSizeReaching,
// naming `where`) on an N at or above `largest` that still misses.
// `powerAt` and `poll` as above; the last evaluation is at the N returned.
template <class PowerAt, class Poll>
double SampleSizeReachingBelow(PowerAt powerAt, double target, double from, double lowest,
                               Poll poll, double largest = std::numeric_limits<double>::infinity(),
                               const std::string& where = std::string()) {
    double n = from;
    while (n > lowest && powerAt(n) > target) {
        poll();
        n -= 1.0;
    }
    while (powerAt(n) < target) {
        if (n >= largest) NoSampleSize(where, n);
        poll();
        n += 1.0;
    }
    return n;
}

// ------------------------------------------------------------ Compromise

// What one evaluation of a Compromise search gives: the attained ratio
// beta/actual alpha (+infinity where nothing is rejected) and the actual
// alpha.
struct Step {
    double ratio;
    double size;
    // Where the search asked only whether the ratio lies below a bar: the
    // ratio is a bound on the right side of it, not the ratio itself.
    bool bounded = false;
};

// How a Compromise search walks and halves. The tests differ in these
// details only; each keeps its own so that its answers stay as they were.
// They stay three: the ratio is flat across each step of the power, so
// another walk ends at another alpha of the same step, as right as the
// first but shown with other digits (McNemar's exact test on the rules of
// Fisher's changes the alpha shown in four cases of ten), and the reference
// tables of each test follow its own walk.
struct CompromiseRules {
    // How the factors of the walk grow away from 1.
    enum class Steps {
        // Down by a factor that squares after every step; up by 1.6.
        kSquareDownEachStep,
        // Down by 0.8, up by 1.6; each factor squares once a step has
        // landed below kSmallAlpha.
        kSquareBelowSmall,
        // Below kSmallAlpha the factor squares before each step; up to
        // kSmallAlpha and no further by those steps, then by 1.6.
        kSquareWhileSmall,
    };
    // How the bracket is halved: always on the logarithm of alpha; on the
    // logarithm where the bracket is wide or below 1e-6, else on alpha; or
    // on the logarithm below kSmallAlpha only.
    enum class Halving { kLogarithm, kLogarithmWhereWide, kLogarithmBelowSmall };

    Steps steps = Steps::kSquareBelowSmall;
    Halving halving = Halving::kLogarithmWhereWide;
    // The walk starts from the actual alpha the start attains (true) or
    // from the start itself.
    bool fromSize = true;
    // Where the start attains no size: the alpha to walk from.
    double emptyStart = kAlphaFloor;
    // The largest trial alpha.
    double ceiling = kLargestAlpha;
    // The bracket is the last two trials of the walk (true), or its start
    // and its last trial.
    bool lastTwoTrials = false;
    int maxHalvings = kMaxSteps;
    // The start stands unless the answer's ratio is nearer to q.
    bool startUnlessNearer = false;
    // The ratio is not monotone in alpha everywhere (the actual alpha of a
    // test with two tails may fall where alpha rises): of every alpha the
    // walk and the halving tried, the one whose ratio is nearest to q.
    bool nearestTried = false;
    // Where the walk down starts from the size the start attains, below the
    // start: the size's own ratio is tried first, and where it already
    // reaches q the bracket is the size and the start (whose ratio is below
    // q), with no walk; the walk from the size would take the size as the
    // upper end of a bracket whose both ends lie above q.
    bool bracketFromStart = false;
    // With lastTwoTrials: after this many steps of the walk without a
    // crossing (never where negative), the trial the walk would end on
    // without one is evaluated at once. The ratio falls with alpha, so where
    // that trial's ratio still lies on the start's side of q, beyond the
    // rounding of its sums, no trial between crosses q either, and the walk
    // ends there as it would have after every step.
    int probeEndAfter = -1;
};

struct CompromiseResult {
    double alpha;
    double ratio;
    // Whether the walk crossed q; where it did not, `alpha` is its last
    // trial and the ratio that trial's.
    bool bracketed;
    // The last bracket of the halving, whose ends lie on either side of q
    // (0 and 0 where there was none).
    double lo = 0.0, hi = 0.0;
};

// The alpha whose attained ratio comes nearest to q: from the start (the
// approximation's alpha) a walk by growing factors until the ratio, which
// falls with alpha, crosses q, then halving; of the two ends the one whose
// ratio is nearer to q, a ratio within 1e-5 of q ending the search at once.
// `at(x)` evaluates the test at alpha x, leaving its members as that
// evaluation does, and returns its Step. The last evaluation is at the
// alpha returned.
template <class At>
CompromiseResult CompromiseAlpha(At at, double q, double start, const CompromiseRules& rules) {
    using Steps = CompromiseRules::Steps;
    // Far beyond the rounding of a ratio of two sums of positive terms.
    constexpr double kProbeMargin = 1e-6;
    using Halving = CompromiseRules::Halving;
    // The last alpha evaluated and its ratio: the members hold that step.
    double last = start, lastRatio = 0.0;
    double nearest = start, nearestRatio = std::numeric_limits<double>::infinity();
    auto keepNearest = [&](double x, double r) {
        if (std::fabs(r - q) < std::fabs(nearestRatio - q)) {
            nearest = x;
            nearestRatio = r;
        }
    };
    auto ratioAt = [&](double x) {
        last = x;
        lastRatio = at(x).ratio;
        keepNearest(x, lastRatio);
        return lastRatio;
    };
    auto finish = [&](double x, bool bracketed) {
        const double ratio = last == x ? lastRatio : ratioAt(x);
        return CompromiseResult{x, ratio, bracketed};
    };

    const Step first = at(start);
    lastRatio = first.ratio;
    keepNearest(start, first.ratio);
    const double r0 = first.ratio;
    double a = start;
    if (rules.fromSize) a = first.size > 0.0 ? first.size : start;
    if (!(a > 0.0)) a = rules.emptyStart;
    a = std::max(a, kAlphaFloor);

    double lo, hi, x = a, previous = a;
    bool bracketed = false;
    const bool sizeReaches =
        rules.bracketFromStart && q > r0 && a < start && !rules.lastTwoTrials && ratioAt(a) >= q;
    if (sizeReaches) {
        lo = a;
        hi = start;
        bracketed = true;
    } else if (q > r0) {
        double factor = 0.8;
        auto stepDown = [&rules](double y, double& f) {
            switch (rules.steps) {
                case Steps::kSquareDownEachStep:
                    y = std::max(y * f, kAlphaFloor);
                    f = std::max(f * f, 1e-8);
                    break;
                case Steps::kSquareBelowSmall:
                    y = std::max(y * f, kAlphaFloor);
                    if (y < kSmallAlpha) f = std::max(f * f, 1e-8);
                    break;
                case Steps::kSquareWhileSmall:
                    if (y > kSmallAlpha) {
                        y *= 0.8;
                    } else {
                        f = std::max(f * f, 1e-8);
                        y = std::max(y * f, kAlphaFloor);
                    }
                    break;
            }
            return y;
        };
        for (int i = 0; i < kMaxSteps; ++i) {
            if (rules.lastTwoTrials && !(x > kAlphaFloor)) break;
            if (rules.lastTwoTrials && i == rules.probeEndAfter) {
                double end = x, f = factor;
                for (int j = i; j < kMaxSteps && end > kAlphaFloor; ++j) end = stepDown(end, f);
                const double bar = q * (1.0 - kProbeMargin);
                // Where `at` takes a bar as well, it may stop summing as
                // soon as it knows the ratio lies below it.
                auto probe = [&] {
                    if constexpr (std::is_invocable_v<At, double, double>) {
                        const Step s = at(end, bar);
                        last = end;
                        lastRatio = s.ratio;
                        if (!s.bounded) keepNearest(end, s.ratio);
                        return s.ratio;
                    } else {
                        return ratioAt(end);
                    }
                };
                if (end != x && probe() < bar) {
                    x = end;
                    break;
                }
            }
            previous = x;
            x = stepDown(x, factor);
            if (ratioAt(x) >= q) {
                bracketed = true;
                break;
            }
            if (!(x > kAlphaFloor)) break;
        }
        lo = x;
        hi = rules.lastTwoTrials ? previous : a;
    } else {
        double growth = 1.6;
        auto stepUp = [&rules](double y, double& g) {
            switch (rules.steps) {
                case Steps::kSquareDownEachStep:
                    y = std::min(1.6 * y, rules.ceiling);
                    break;
                case Steps::kSquareBelowSmall:
                    y = std::min(g * y, rules.ceiling);
                    if (y < kSmallAlpha) g = std::min(g * g, 1e8);
                    break;
                case Steps::kSquareWhileSmall:
                    if (y >= kSmallAlpha) {
                        y = std::min(y * 1.6, rules.ceiling);
                    } else {
                        g = std::min(g * g, 1e8);
                        y = std::min(y * g, kSmallAlpha);
                    }
                    break;
            }
            return y;
        };
        for (int i = 0; i < kMaxSteps; ++i) {
            if (rules.lastTwoTrials && !(x < rules.ceiling)) break;
            if (rules.lastTwoTrials && i == rules.probeEndAfter) {
                double end = x, g = growth;
                for (int j = i; j < kMaxSteps && end < rules.ceiling; ++j) end = stepUp(end, g);
                if (end != x && ratioAt(end) > q * (1.0 + kProbeMargin)) {
                    x = end;
                    break;
                }
            }
            previous = x;
            x = stepUp(x, growth);
            if (!(ratioAt(x) > q)) {
                bracketed = true;
                break;
            }
            if (!(x < rules.ceiling)) break;
        }
        lo = rules.lastTwoTrials ? previous : a;
        hi = x;
    }
    if (!bracketed && rules.lastTwoTrials) {
        if (rules.nearestTried) return finish(nearest, false);
        return finish(x, false);
    }

    auto open = [&] {
        switch (rules.halving) {
            case Halving::kLogarithm:
                return hi > lo * (1.0 + 1e-7);
            case Halving::kLogarithmWhereWide:
                return hi - lo > (hi > 1e-6 ? 1e-7 : 1e-7 * lo);
            case Halving::kLogarithmBelowSmall:
                return lo < kSmallAlpha ? hi > lo * (1.0 + 1e-7) : hi - lo > 1e-7;
        }
        return false;
    };
    auto middle = [&] {
        switch (rules.halving) {
            case Halving::kLogarithm:
                return std::sqrt(lo * hi);
            case Halving::kLogarithmWhereWide:
                return hi > 1e-6 && hi < 2.0 * lo ? (lo + hi) / 2.0 : std::sqrt(lo * hi);
            case Halving::kLogarithmBelowSmall:
                return lo < kSmallAlpha ? std::sqrt(lo * hi) : (lo + hi) / 2.0;
        }
        return lo;
    };
    double chosen = 0.0, rChosen = 0.0;
    bool hit = false;
    for (int i = 0; i < rules.maxHalvings && open(); ++i) {
        const double mid = middle();
        const double r = ratioAt(mid);
        if (std::fabs(r - q) < 1e-5) {
            chosen = mid;
            rChosen = r;
            hit = true;
            break;
        }
        if (r > q) {
            lo = mid;
        } else {
            hi = mid;
        }
    }
    if (!hit) {
        const double rLo = ratioAt(lo);
        const double rHi = ratioAt(hi);
        const bool lower = std::fabs(rLo - q) <= std::fabs(rHi - q);
        chosen = lower ? lo : hi;
        rChosen = lower ? rLo : rHi;
    }
    if (rules.startUnlessNearer && !(std::fabs(rChosen - q) < std::fabs(r0 - q))) chosen = start;
    if (rules.nearestTried) chosen = nearest;
    CompromiseResult result = finish(chosen, bracketed);
    if (bracketed) {
        result.lo = lo;
        result.hi = hi;
    }
    return result;
}

// The alpha a Compromise answer shows: a value the alpha row can show and a
// user can type back (1e-99 to the largest alpha input), so that the power
// and actual alpha at it are the ones shown. Of the values shown next to
// the search's alpha (rounded, the one above and the one below) the one
// whose ratio is nearest to q, the rounded one on a tie or where it lies on
// the search's own step. `at` as above;
// the last evaluation is at the alpha returned.
template <class At>
CompromiseResult ShownCompromiseAlpha(At at, double q, const CompromiseResult& found) {
    auto clampShown = [](double x) {
        return std::clamp(ShownOutputValue(x), kAlphaFloor, kLargestAlpha);
    };
    const double rounded = clampShown(found.alpha);
    const double above = clampShown(ShownOutputAtLeast(found.alpha));
    const double candidates[] = {rounded, above, clampShown(ShownBelow(rounded))};
    double best = rounded, bestRatio = at(rounded).ratio, last = rounded;
    // Mostly the rounded alpha lies on the search's own step.
    if (bestRatio == found.ratio) return CompromiseResult{best, bestRatio, found.bracketed};
    for (const double x : candidates) {
        if (x == best) continue;
        const double r = at(x).ratio;
        last = x;
        if (std::fabs(r - q) < std::fabs(bestRatio - q)) {
            best = x;
            bestRatio = r;
        }
    }
    if (last != best) at(best);
    return CompromiseResult{best, bestRatio, found.bracketed};
}

// The alpha a Compromise answer shows where the regions of the test grow
// with alpha, so that beta falls and the size rises and the ratio never
// rises with alpha: of the steps that hold a value the alpha row can show
// (1e-99 to the largest alpha input), the one whose ratio is nearest to q,
// the lower on a tie. A search that halves to a fixed width can end on a
// step narrower than one shown unit, or a unit beyond a jump, and below
// 0.01 its width of 1e-7 spans many shown values and may pass steps by.
// From the search's alpha rounded, a walk over shown values by doubling
// widths finds a shown value on either side of q, and halving over shown
// values narrows them to two neighbours: the last whose ratio exceeds q
// and the first whose ratio does not. The alpha shown is the search's own,
// rounded, where it lies on the chosen step, else that step's neighbour.
// `at` as above; the last evaluation is at the alpha returned.
template <class At>
CompromiseResult NearestShownStep(At at, double q, const CompromiseResult& found) {
    constexpr double kInfinity = std::numeric_limits<double>::infinity();
    auto shownAbove = [](double x) {
        return std::min(ShownOutputAtLeast(std::nextafter(x, kInfinity)), kLargestAlpha);
    };
    auto shownBelow = [](double x) { return std::max(ShownBelow(x), kAlphaFloor); };
    double last = 0.0;
    auto stepAt = [&](double x) {
        last = x;
        return at(x);
    };
    auto sameStep = [](const Step& a, const Step& b) {
        return a.ratio == b.ratio && a.size == b.size;
    };

    const double rounded = std::clamp(ShownOutputValue(found.alpha), kAlphaFloor, kLargestAlpha);
    const Step atRounded = stepAt(rounded);
    // lo: a shown value whose ratio exceeds q; hi: one whose ratio does not.
    double lo = rounded, hi = rounded;
    Step stepLo = atRounded, stepHi = atRounded;
    // Where no shown value lies on the other side of q, the end of the
    // shown range is the nearest step.
    bool ended = false;
    // The walk's first width reaches past the search's last bracket, which
    // holds q; where that is not enough, the width doubles, and a walk down
    // wider than half of alpha multiplies by factors that square, so that it
    // crosses decades in a few steps.
    double width = ShownUnit(rounded), factor = 0.5;
    if (found.hi > found.lo) width += found.hi - found.lo;
    for (int i = 0; i < 4 * kMaxSteps; ++i) {
        if (atRounded.ratio > q) {
            if (!(lo < kLargestAlpha)) {
                ended = true;
                break;
            }
            const double wide = std::min(ShownOutputAtLeast(lo + width), kLargestAlpha);
            const double x = std::max(shownAbove(lo), wide);
            const Step s = stepAt(x);
            if (!(s.ratio > q)) {
                hi = x;
                stepHi = s;
                break;
            }
            lo = x;
            stepLo = s;
        } else {
            if (!(hi > kAlphaFloor)) {
                ended = true;
                break;
            }
            double x = hi - width;
            if (!(x > 0.5 * hi)) {
                x = hi * factor;
                factor *= factor;
            }
            x = std::max(std::min(ShownOutputValue(x), shownBelow(hi)), kAlphaFloor);
            const Step s = stepAt(x);
            if (s.ratio > q) {
                lo = x;
                stepLo = s;
                break;
            }
            hi = x;
            stepHi = s;
        }
        width *= 2.0;
    }

    double alpha;
    Step chosen;
    if (ended) {
        alpha = atRounded.ratio > q ? lo : hi;
        chosen = atRounded.ratio > q ? stepLo : stepHi;
    } else {
        for (int i = 0; i < 4 * kMaxSteps && shownAbove(lo) < hi; ++i) {
            double mid = ShownOutputValue(hi > 4.0 * lo ? std::sqrt(lo * hi) : (lo + hi) / 2.0);
            if (!(mid > lo)) mid = shownAbove(lo);
            if (!(mid < hi)) mid = shownBelow(hi);
            const Step s = stepAt(mid);
            if (s.ratio > q) {
                lo = mid;
                stepLo = s;
            } else {
                hi = mid;
                stepHi = s;
            }
        }
        const bool lower = std::fabs(stepLo.ratio - q) <= std::fabs(stepHi.ratio - q);
        alpha = lower ? lo : hi;
        chosen = lower ? stepLo : stepHi;
    }
    if (sameStep(chosen, atRounded)) alpha = rounded;
    if (last != alpha) at(alpha);
    return CompromiseResult{alpha, chosen.ratio, found.bracketed};
}

}  // namespace exact_search

// ------------------------------------------- A priori: the first total N

namespace exact_search {

// The exact power is not monotone in N: the first total from below that
// reaches the target, within a window around the approximation's answer
// k0. `reaches(k)` tells whether the total k reaches it. The totals k0,
// k0 + 1, ... are tried until one reaches it (where none of `candidates`
// does: "target power not reachable", with the last total tried); then the
// search steps back by `stepBack` while a total still reaches it, never
// below `lowest`, and scans up from there to the first total that does.
template <class Reaches>
double FirstTotalReaching(Reaches reaches, double k0, int candidates, int stepBack, double lowest,
                          const std::string& where) {
    double found = -1.0;
    for (int i = 0; i < candidates; ++i) {
        if (reaches(k0 + i)) {
            found = k0 + i;
            break;
        }
    }
    if (found < 0.0) {
        throw QuorixError(where + ": target power not reachable", QuorixError::kAboveUpperBound,
                          k0 + candidates - 1);
    }
    double j = std::max(found - stepBack, lowest);
    while (j > lowest && reaches(j)) j = std::max(j - stepBack, lowest);
    for (double k = j; k < k0; k += 1.0) {
        if (reaches(k)) return k;
    }
    return found;
}

}  // namespace exact_search
