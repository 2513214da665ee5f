// The exact power of the unconditional tests of two proportions: the walk
// over the outcomes (x1, x2) of both groups from their modes outwards, the
// region each row of group 2 accepts (an interval where the statistic
// proves one, else its outcomes judged one by one, or bounded over the
// row), the binomial masses and their running sums kept over a search, and
// the small tails summed on their own side. The test class reads, checks
// and solves in power_exact_uncond.cpp.
#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>
#include <vector>

#include "distributions/normal.h"
#include "distributions/t.h"
#include "numerics/cancel.h"
#include "numerics/saddle_point.h"
#include "power/exact/power_exact_uncond.h"
#include "power/exact/restore.h"

namespace {

// Terms below this share of the running sum end a walk.
constexpr double kNegligible = 1e-15;
// How far a power bounded by part of its walk must lie above a target to
// decide that the whole walk reaches it: far above the rounding of sums of
// some 1e6 masses.
constexpr double kDecisionMargin = 1e-9;
// The lower end of a row whose outcomes are judged one by one.
constexpr int kScannedRow = -2;
// A size or beta below this is summed on its own side: its complement has
// lost more than a few of its digits.
constexpr double kSummedTail = 1e-6;
// The running sums of one group's masses leave out those below this much of
// the mode's: together far below the rounding of a sum near 1.
constexpr double kOutsideWindow = 1e-20;

double Infinity() {
    return std::numeric_limits<double>::infinity();
}

// The lower quantile of the standard normal; +-infinity at the ends.
double NormalQuantile(double p) {
    if (!(p > 0.0)) return -Infinity();
    if (!(p < 1.0)) return Infinity();
    NormalDistribution normal;
    return normal.Quantile(p);
}

// The z at which a skewness-corrected value w(z) (see SkewOverRow) equals
// w, least or greatest over g in gLo..gHi. The inverse of w(z) is z = w +
// g (w^2 - 1) where 1 + 2 g w >= 0 and z = w/2 - g elsewhere, the two equal
// at the kink g = -1/(2 w): linear in g on either side of it, so the
// extremes lie at gLo, gHi or the kink. Without skewness it is w itself;
// otherwise widened far beyond the rounding of either side.
double SkewThreshold(double w, double gLo, double gHi, bool greatest) {
    if (gLo == 0.0 && gHi == 0.0) return w;
    auto z = [w](double g) {
        return 1.0 + 2.0 * g * w >= 0.0 ? w + g * (w * w - 1.0) : w / 2.0 - g;
    };
    double lo = std::min(z(gLo), z(gHi)), hi = std::max(z(gLo), z(gHi));
    if (w != 0.0) {
        const double kink = -1.0 / (2.0 * w);
        if (gLo < kink && kink < gHi) {
            lo = std::min(lo, z(kink));
            hi = std::max(hi, z(kink));
        }
    }
    const double slack =
        1e-9 * (1.0 + std::fabs(w) + std::fabs(w * w * gLo) + std::fabs(w * w * gHi));
    return greatest ? hi + slack : lo - slack;
}

}  // namespace

void PowerExactUncondTwoProp::MassCache::Reset(int trials, double proportion) {
    if (trials == n && proportion == q) return;
    n = trials;
    q = proportion;
    mass.assign(static_cast<size_t>(trials) + 1, -1.0);
    positiveKnown = false;
    mode = -1;
    fromLow.clear();
    fromHigh.clear();
}

void PowerExactUncondTwoProp::MassCache::PositiveRange(int* first, int* last) {
    if (!positiveKnown) {
        positiveFirst = 0;
        positiveLast = n;
        while (positiveFirst <= n && !(At(positiveFirst) > 0.0)) ++positiveFirst;
        while (positiveLast >= positiveFirst && !(At(positiveLast) > 0.0)) --positiveLast;
        positiveKnown = true;
    }
    *first = positiveFirst;
    *last = positiveLast;
}

double PowerExactUncondTwoProp::MassCache::RangeSum(int lo, int hi) {
    if (mode < 0) {
        mode = std::clamp(static_cast<int>(std::floor((n + 1) * q)), 0, n);
        const double floor = kOutsideWindow * At(mode);
        windowLo = windowHi = mode;
        while (windowLo > 0 && At(windowLo - 1) > floor) --windowLo;
        while (windowHi < n && At(windowHi + 1) > floor) ++windowHi;
        fromLow.resize(static_cast<size_t>(mode - windowLo));
        double sum = 0.0;
        for (int x = windowLo; x < mode; ++x) {
            fromLow[static_cast<size_t>(x - windowLo)] = sum += At(x);
        }
        fromHigh.resize(static_cast<size_t>(windowHi - mode) + 1);
        sum = 0.0;
        for (int x = windowHi; x >= mode; --x) {
            fromHigh[static_cast<size_t>(x - mode)] = sum += At(x);
        }
    }
    lo = std::max(lo, windowLo);
    hi = std::min(hi, windowHi);
    if (lo > hi) return 0.0;
    // Over windowLo..x for x below the mode, and over x..windowHi from it on.
    auto low = [&](int x) {
        return x < windowLo ? 0.0 : fromLow[static_cast<size_t>(x - windowLo)];
    };
    auto high = [&](int x) { return x > windowHi ? 0.0 : fromHigh[static_cast<size_t>(x - mode)]; };
    if (hi < mode) return low(hi) - low(lo - 1);
    if (lo >= mode) return high(lo) - high(hi + 1);
    return (low(mode - 1) - low(lo - 1)) + (high(mode) - high(hi + 1));
}

double PowerExactUncondTwoProp::MassCache::At(int x) {
    double& m = mass[static_cast<size_t>(x)];
    if (m < 0.0) m = dbinom(x, n, q, 0);
    return m;
}

// ------------------------------------------------------------ exact power

double PowerExactUncondTwoProp::ExactCriticalValue(double alphaValue, int side) const {
    const double tail = alphaValue / (side == 2 ? 2.0 : 1.0);
    if (!(tail > 0.0)) return Infinity();
    if (!(tail < 1.0)) return -Infinity();
    double c;
    if (referenceDistribution == 1) {
        TDistribution central(m1_ + m2_ - 2.0, 0.0);
        c = -central.Quantile(tail);
    } else {
        // The chi-square statistic with 1 df is compared as its signed
        // root: the root of its quantile at 1 - 2 tail is the normal one at
        // 1 - tail.
        c = -NormalQuantile(tail);
    }
    // Two tails at alpha 1 reject every outcome off the boundary, not the
    // ones on it (a quantile at 0.5 may come out an ulp off 0).
    return side == 2 ? std::max(c, 0.0) : c;
}

double PowerExactUncondTwoProp::OrientedValue(int x2, int x1) {
    const double v = StatisticValue(statistic, x2, x1, m2_, m1_, 0.0, side_);
    if (std::isnan(v)) return 0.0;
    if (referenceDistribution != 2) return v;
    const double d = static_cast<double>(x1) / m1_ - static_cast<double>(x2) / m2_ - nullDifference;
    const double root = std::sqrt(std::max(v, 0.0));
    return d < 0.0 ? -root : root;
}

// The span grows at least by its own length each time, towards the x1
// asked for, and never beyond 0 and m1.
double& PowerExactUncondTwoProp::ScannedRow::At(int x1, int m1) {
    constexpr double kUnknown = std::numeric_limits<double>::quiet_NaN();
    const int size = static_cast<int>(values.size());
    if (size == 0) {
        base = x1;
        values.assign(1, kUnknown);
    } else if (x1 < base) {
        const int newBase = std::max(0, std::min(x1, base - size));
        values.insert(values.begin(), static_cast<size_t>(base - newBase), kUnknown);
        base = newBase;
    } else if (x1 >= base + size) {
        const int end = std::min(m1 + 1, std::max(x1 + 1, base + 2 * size));
        values.resize(static_cast<size_t>(end - base), kUnknown);
    }
    return values[static_cast<size_t>(x1 - base)];
}

// The bounds decide with a margin of 1e-6 of the value (far above its
// rounding); an outcome without a clear difference is left to its value.
int PowerExactUncondTwoProp::Screen(int x2, int x1) {
    if (x1 < weightLo_ || x1 > weightHi_ || !std::isfinite(critical_)) return 0;
    const size_t row = static_cast<size_t>(x2);
    if (std::isnan(rowNear_[row])) {
        double nearScale = 0.0, farScale = 0.0, gLo = 0.0, gHi = 0.0;
        if (!BoundsOverRow(x2, weightLo_, weightHi_, m1_, m2_, &nearScale, &farScale) ||
            !SkewOverRow(x2, weightLo_, weightHi_, m1_, m2_, &gLo, &gHi)) {
            nearScale = farScale = 0.0;
        }
        rowNear_[row] = nearScale;
        rowFar_[row] = farScale;
        rowSkewLo_[row] = gLo;
        rowSkewHi_[row] = gHi;
    }
    const double nearScale = rowNear_[row], farScale = rowFar_[row];
    if (!(nearScale > 0.0)) return 0;
    const double d = RowDifference(x2, x1, m1_, m2_);
    if (!(std::fabs(d) > 1e-12)) return 0;
    constexpr double kMargin = 1e-6;
    const double nearer = d * nearScale * (1.0 - kMargin), farther = d * farScale * (1.0 + kMargin);
    const double low = d > 0.0 ? nearer : farther, high = d > 0.0 ? farther : nearer;
    // The bounds are on z; the value passes c where z passes its threshold,
    // the same for the whole row at one critical value.
    RowThresholds& t = rowThresholds_[row];
    if (!(t.critical == critical_)) {
        const double gLo = rowSkewLo_[row], gHi = rowSkewHi_[row], c = critical_;
        t.critical = c;
        t.upperMost = SkewThreshold(c, gLo, gHi, true);
        t.upperLeast = SkewThreshold(c, gLo, gHi, false);
        t.lowerLeast = SkewThreshold(-c, gLo, gHi, false);
        t.lowerMost = SkewThreshold(-c, gLo, gHi, true);
    }
    if ((side_ != 1 && low > t.upperMost) || (side_ != 0 && high < t.lowerLeast)) return -1;
    if ((side_ == 1 || high <= t.upperLeast) && (side_ == 0 || low >= t.lowerMost)) return 1;
    return 0;
}

bool PowerExactUncondTwoProp::Accepts(int x2, int x1) {
    double& v = scanned_[static_cast<size_t>(x2)].At(x1, m1_);
    // OrientedValue is never NaN. The sorted rows need every value; the
    // other sums only the verdict, which bounds on the statistic often give
    // without it (the chi-square reference takes the root of the value and
    // is left to it).
    if (std::isnan(v)) {
        if (!sortRows_ && referenceDistribution != 2) {
            const int screened = Screen(x2, x1);
            if (screened != 0) {
                // The bounds' thresholds move with c: no other c is known
                // to give this verdict.
                if (traceCritical_) sameBelow_ = -Infinity();
                return screened > 0;
            }
        }
        v = OrientedValue(x2, x1);
    }
    const double c = critical_;
    if (side_ != 1) {
        const bool below = v <= c;
        NoteAtMost(v, below);
        if (!below) return false;
    }
    if (side_ != 0) {
        // v >= -c exactly where -v <= c: negation is exact.
        const bool above = -v <= c;
        NoteAtMost(-v, above);
        if (!above) return false;
    }
    return true;
}

// Where the derived test proves that the x1 kept for one x2 form an
// interval (below the upper critical value when the upper tail is tested,
// above the lower one when the lower tail is), each end is found by a
// gallop from the H0 boundary and a bisection. Elsewhere the statistic may
// cross a critical value more than once (a continuity correction that
// changes sign, a variance that vanishes at a corner while the offset keeps
// the difference from 0), and the row is judged outcome by outcome.
void PowerExactUncondTwoProp::FindAcceptanceBounds(int x2) {
    // The proof depends on the sign of c alone.
    NoteAtMost(0.0, 0.0 <= critical_);
    if (!AcceptsAnInterval(x2, m1_, m2_, side_, critical_)) {
        acceptLower_[static_cast<size_t>(x2)] = kScannedRow;
        return;
    }
    const double c = critical_;
    int b =
        static_cast<int>(std::floor(m1_ * nullDifference + static_cast<double>(m1_) / m2_ * x2));
    b = std::clamp(b, 0, m1_);
    // The largest x in [first, last] with keep(x), keep true up to a point
    // and false after it; first - 1 when it holds nowhere.
    auto lastKept = [&](int first, int last, auto keep) {
        int lo, hi;  // keep(lo) or lo < first; !keep(hi) or hi > last
        if (keep(b)) {
            lo = b;
            int step = 1;
            hi = b + step;
            while (hi <= last && keep(hi)) {
                lo = hi;
                step *= 2;
                hi = lo + step;
            }
            hi = std::min(hi, last + 1);
        } else {
            hi = b;
            int step = 1;
            lo = b - step;
            while (lo >= first && !keep(lo)) {
                hi = lo;
                step *= 2;
                lo = hi - step;
            }
            lo = std::max(lo, first - 1);
        }
        while (hi - lo > 1) {
            const int mid = lo + (hi - lo) / 2;
            if (keep(mid)) {
                lo = mid;
            } else {
                hi = mid;
            }
        }
        return lo;
    };
    auto atMost = [&](double v) {
        const bool kept = v <= c;
        NoteAtMost(v, kept);
        return kept;
    };
    // v < -c exactly where -v <= c fails.
    auto belowLower = [&](double v) { return !atMost(-v); };
    int upper = m1_;
    if (side_ != 1 && !atMost(OrientedValue(x2, m1_))) {
        upper = lastKept(0, m1_, [&](int x1) { return atMost(OrientedValue(x2, x1)); });
    }
    int lower = 0;
    if (side_ != 0 && belowLower(OrientedValue(x2, 0))) {
        lower = lastKept(0, m1_, [&](int x1) { return belowLower(OrientedValue(x2, x1)); }) + 1;
    }
    acceptLower_[static_cast<size_t>(x2)] = lower;
    acceptUpper_[static_cast<size_t>(x2)] = upper;
}

void PowerExactUncondTwoProp::AcceptanceBoundsOf(int x2) {
    const size_t row = static_cast<size_t>(x2);
    if (!traceCritical_) {
        FindAcceptanceBounds(x2);
        return;
    }
    // A search finds every row's interval again at each alpha it tries;
    // where each comparison would come out as before, so do the ends.
    BoundsMemo& memo = boundsMemos_[row];
    const double c = critical_;
    if (memo.known && memo.from <= c && c < memo.below) {
        acceptLower_[row] = memo.lower;
        acceptUpper_[row] = memo.upper;
        sameFrom_ = std::max(sameFrom_, memo.from);
        sameBelow_ = std::min(sameBelow_, memo.below);
        return;
    }
    const double from = sameFrom_, below = sameBelow_;
    sameFrom_ = -Infinity();
    sameBelow_ = Infinity();
    FindAcceptanceBounds(x2);
    memo = {true, sameFrom_, sameBelow_, acceptLower_[row], acceptUpper_[row]};
    sameFrom_ = std::max(sameFrom_, from);
    sameBelow_ = std::min(sameBelow_, below);
}

template <class Visit, class Spent>
void PowerExactUncondTwoProp::VisitScannedRow(int start, MassCache& group1, Visit visit,
                                              Spent spent) {
    int up = std::clamp(start, 0, m1_);
    int down = up - 1;
    double total = group1.At(up);
    visit(up, total);
    ++up;
    for (;;) {
        const bool canDown = down >= 0, canUp = up <= m1_;
        if (!canDown && !canUp) break;
        const double d = canDown ? group1.At(down) : 0.0;
        const double u = canUp ? group1.At(up) : 0.0;
        if (spent(total, d, u)) break;
        if (canDown && (!canUp || d >= u)) {
            total += d;
            visit(down, d);
            --down;
        } else {
            total += u;
            visit(up, u);
            ++up;
        }
    }
}

template <class Visit>
void PowerExactUncondTwoProp::VisitScannedRow(int start, MassCache& group1, Visit visit) {
    // The masses fall away from the mode, next to the start: once both next
    // ones are negligible against the row's mass, so is everything beyond,
    // accepted or not.
    VisitScannedRow(start, group1, visit, [](double total, double d, double u) {
        return d <= kNegligible * total && u <= kNegligible * total;
    });
}

double PowerExactUncondTwoProp::SumScannedRow(int x2, int start, MassCache& group1) {
    const double rowMass = group2_.At(x2);
    if (group1.q <= 0.0) return Accepts(x2, 0) ? rowMass : 0.0;
    if (group1.q >= 1.0) return Accepts(x2, m1_) ? rowMass : 0.0;
    if (sortRows_ && group1.slot >= 0) {
        const SortedRow& row = SortedRowFor(x2, start, group1);
        if (traceCritical_) {
            // The accepted keys end where the next key exceeds c.
            const auto end = std::upper_bound(row.keys.begin(), row.keys.end(), critical_);
            if (end != row.keys.begin()) NoteAtMost(*(end - 1), true);
            if (end != row.keys.end()) NoteAtMost(*end, false);
        }
        return rowMass * row.Kept(critical_);
    }
    double kept = 0.0;
    VisitScannedRow(start, group1, [&](int x1, double mass) {
        if (Accepts(x2, x1)) kept += mass;
    });
    return rowMass * kept;
}

double PowerExactUncondTwoProp::SortedRow::Kept(double c) const {
    const auto end = std::upper_bound(keys.begin(), keys.end(), c);
    return end == keys.begin() ? 0.0 : cumulative[static_cast<size_t>(end - keys.begin() - 1)];
}

const PowerExactUncondTwoProp::SortedRow& PowerExactUncondTwoProp::SortedRowFor(int x2, int start,
                                                                                MassCache& group1) {
    const size_t slot = static_cast<size_t>(group1.slot);
    if (sortedQ_[slot] != group1.q || sorted_[slot].size() != static_cast<size_t>(m2_) + 1) {
        sortedQ_[slot] = group1.q;
        sorted_[slot].assign(static_cast<size_t>(m2_) + 1, {});
    }
    SortedRow& row = sorted_[slot][static_cast<size_t>(x2)];
    if (!row.keys.empty()) return row;
    // An outcome is accepted when its key is at most the critical value:
    // |v| with two tails, v for the upper tail alone, -v for the lower.
    // The row's outcomes in a buffer kept for the next row.
    std::vector<std::pair<double, double>>& visited = sortScratch_;
    visited.clear();
    // The values are kept in the row for the sums that judge outcome by
    // outcome, but not where that would stretch it far: the outcomes of
    // weight under H1 and under H0 lie far apart at a large effect, and a
    // row holding both would hold every outcome between them too.
    ScannedRow& kept = scanned_[static_cast<size_t>(x2)];
    VisitScannedRow(start, group1, [&](int x1, double mass) {
        double v = kept.Known(x1);
        if (std::isnan(v)) {
            v = OrientedValue(x2, x1);
            if (kept.Near(x1)) kept.At(x1, m1_) = v;
        }
        visited.emplace_back(side_ == 2 ? std::fabs(v) : side_ == 0 ? v : -v, mass);
    });
    std::sort(visited.begin(), visited.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
    row.keys.reserve(visited.size());
    row.cumulative.reserve(visited.size());
    double sum = 0.0;
    for (const auto& [key, mass] : visited) {
        sum += mass;
        row.keys.push_back(key);
        row.cumulative.push_back(sum);
    }
    return row;
}

double PowerExactUncondTwoProp::SumAcceptedRow(int x2, int start, MassCache& group1) {
    if (acceptLower_[static_cast<size_t>(x2)] == kScannedRow) {
        return SumScannedRow(x2, start, group1);
    }
    const int lo = acceptLower_[static_cast<size_t>(x2)];
    const int hi = acceptUpper_[static_cast<size_t>(x2)];
    // The walk's sums are shown only as 1 less themselves, the power and the
    // size: the running sums of the group's masses serve them in one step (a
    // group without spread has its one mass of 1 at the mode).
    return group2_.At(x2) * group1.RangeSum(lo, hi);
}

double PowerExactUncondTwoProp::SumRange(MassCache& group1, int lo, int hi, int start) {
    if (lo > hi) return 0.0;
    // A group without spread has all its mass on one count.
    if (group1.q <= 0.0) return lo <= 0 ? 1.0 : 0.0;
    if (group1.q >= 1.0) return hi >= m1_ ? 1.0 : 0.0;
    int down, up;
    if (start >= hi) {
        down = std::max(hi - 1, lo);
        up = hi;
    } else if (start <= lo) {
        down = lo;
        up = std::min(lo + 1, hi);
    } else {
        down = start - 1;
        up = start;
    }
    double downTerm = group1.At(down);
    double upTerm = up != down ? group1.At(up) : 0.0;
    double sum = downTerm + upTerm;
    // The masses fall away from the mode, which the start is nearest: once
    // both open ends are negligible, so is everything beyond them.
    for (;;) {
        const bool canDown = down > lo, canUp = up < hi;
        if (!canDown && !canUp) break;
        const double d = canDown ? downTerm : 0.0, u = canUp ? upTerm : 0.0;
        if (sum > 0.0 && d <= kNegligible * sum && u <= kNegligible * sum) break;
        if (canDown && (!canUp || downTerm >= upTerm)) {
            downTerm = group1.At(--down);
            sum += downTerm;
        } else {
            upTerm = group1.At(++up);
            sum += upTerm;
        }
    }
    return sum;
}

// Over a span of x1 whose bounds hold, z exceeds d near for d > 0 and lies
// below d near for d < 0: an outcome with d beyond t/near (with the margin
// of Screen) on a tested side is rejected, t the threshold of z at +-c
// (c itself without skewness). The span so left is narrowed once more with
// the bounds over itself.
bool PowerExactUncondTwoProp::AcceptedSpan(int x2, int* first, int* last) {
    if (!OffersRowBounds() || referenceDistribution == 2) return false;
    const double c = critical_;
    if (!(c > 0.0) || !std::isfinite(c)) return false;
    int lo = 0, hi = m1_;
    for (int pass = 0; pass < 2 && lo <= hi; ++pass) {
        double nearScale = 0.0, farScale = 0.0, gLo = 0.0, gHi = 0.0;
        if (!BoundsOverRow(x2, lo, hi, m1_, m2_, &nearScale, &farScale) ||
            !SkewOverRow(x2, lo, hi, m1_, m2_, &gLo, &gHi)) {
            return pass > 0;
        }
        const double upper = SkewThreshold(c, gLo, gHi, true);
        const double lower = SkewThreshold(-c, gLo, gHi, false);
        if ((side_ != 1 && !(upper > 0.0)) || (side_ != 0 && !(lower < 0.0))) return pass > 0;
        // x1 at d: (d + centre) m1, one count wider each way. A wide range
        // of the skewness can carry it far beyond the row, and beyond the
        // range of an int: held at the row's ends first.
        const double centre = RowCentre(x2, m2_);
        auto count = [this](double x) { return static_cast<int>(std::clamp(x, -1.0, m1_ + 1.0)); };
        if (side_ != 1) {
            const double reach = upper / nearScale * (1.0 + 1e-6);
            hi = std::min(hi, count(std::ceil((centre + reach) * m1_)) + 1);
        }
        if (side_ != 0) {
            const double reach = -lower / nearScale * (1.0 + 1e-6);
            lo = std::max(lo, count(std::floor((centre - reach) * m1_)) - 1);
        }
        *first = lo;
        *last = hi;
    }
    return true;
}

// Whether rowMass times a sum of at most `count` masses, none above
// `largest`, rounds to 0: the bound, allowing a factor 4 for the rounding
// of that sum, lies below half the least subnormal. Scaled by 2^600 so
// that the bound itself does not underflow.
bool PowerExactUncondTwoProp::ProductUnderflows(double rowMass, double largest, int count) {
    return rowMass * 0x1p600 * largest * (4.0 * count) < 0x1p-475;
}

bool PowerExactUncondTwoProp::ApproximateBetaIsTiny(double p1, double alphaValue, double n1,
                                                    double n2) {
    try {
        return LargeSampleBeta(p1, alphaValue, n1, n2) < 1e-9;
    } catch (const QuorixError&) {
        return false;
    }
}

bool PowerExactUncondTwoProp::SpansStay(const std::vector<SpanRecord>& spans, double c) {
    const Restore<double> atC(critical_, c);
    for (const SpanRecord& r : spans) {
        int first = 0, last = m1_;
        const bool found = AcceptedSpan(r.x2, &first, &last);
        if (found != r.found || (found && (first != r.first || last != r.last))) return false;
    }
    return true;
}

double PowerExactUncondTwoProp::SumRowTail(int x2, int start, MassCache& group1, bool rejected,
                                           double running) {
    const double rowMass = group2_.At(x2);
    if (!(rowMass > 0.0)) return 0.0;
    // A Compromise search sums the tails at every alpha it tries; a row
    // that would be summed as before (the same interval, or the same span
    // with every comparison coming out as before and the walk stopping at
    // the same outcome) keeps its sum.
    RowMemo* memo =
        traceCritical_ && group1.slot >= 0 ? &rowMemos_.At(x2, m2_, group1, rejected) : nullptr;
    const int lo = acceptLower_[static_cast<size_t>(x2)];
    if (lo != kScannedRow) {
        const int hi = acceptUpper_[static_cast<size_t>(x2)];
        if (memo && memo->known && memo->lower == lo && memo->upper == hi) return memo->sum;
        double sum;
        if (!rejected) {
            sum = rowMass * SumRange(group1, lo, hi, start);
        } else if (lo > hi) {
            sum = rowMass;
        } else {
            sum = rowMass *
                  (SumRange(group1, 0, lo - 1, start) + SumRange(group1, hi + 1, m1_, start));
        }
        if (memo) {
            *memo = RowMemo{true,        lo,         hi,   false, 0,          0,
                            -Infinity(), Infinity(), true, 0.0,   Infinity(), sum};
        }
        return sum;
    }
    if (group1.q <= 0.0) return Accepts(x2, 0) != rejected ? rowMass : 0.0;
    if (group1.q >= 1.0) return Accepts(x2, m1_) != rejected ? rowMass : 0.0;
    int first = 0, last = m1_;
    const bool spanned = !rejected && AcceptedSpan(x2, &first, &last);
    if (traceCritical_ && !rejected) spanRecords_.push_back({x2, spanned, first, last});
    if (!memo) {
        return SumScannedTail(x2, start, group1, rejected, running, spanned, first, last, nullptr);
    }
    // Running sums this small make the walk's bound underflow; they are
    // summed afresh.
    constexpr double kLeastRunning = 1e-290;
    const bool usable = running == 0.0 || running >= kLeastRunning;
    const double c = critical_;
    if (usable && memo->known && memo->lower == kScannedRow && memo->spanned == spanned &&
        memo->first == first && memo->last == last && memo->from <= c && c < memo->below &&
        (running == 0.0) == memo->runningZero &&
        (running == 0.0 || (memo->runningLo <= running && running < memo->runningHi))) {
        sameFrom_ = std::max(sameFrom_, memo->from);
        sameBelow_ = std::min(sameBelow_, memo->below);
        return memo->sum;
    }
    // The comparisons of this row alone, then those of the rows before.
    const double from = sameFrom_, below = sameBelow_;
    sameFrom_ = -Infinity();
    sameBelow_ = Infinity();
    StopRange stops;
    const double sum =
        SumScannedTail(x2, start, group1, rejected, running, spanned, first, last, &stops);
    if (usable) {
        *memo = RowMemo{true,      kScannedRow, kScannedRow,    spanned,  first,    last,
                        sameFrom_, sameBelow_,  running == 0.0, stops.lo, stops.hi, sum};
    } else {
        memo->known = false;
    }
    sameFrom_ = std::max(sameFrom_, from);
    sameBelow_ = std::min(sameBelow_, below);
    return sum;
}

double PowerExactUncondTwoProp::SumScannedTail(int x2, int start, MassCache& group1, bool rejected,
                                               double running, bool spanned, int first, int last,
                                               StopRange* stops) {
    const double rowMass = group2_.At(x2);
    auto wanted = [&](int x1) { return Accepts(x2, x1) != rejected; };
    if (spanned) {
        // A small beta lies in the accepted outcomes far from the mode of
        // the row: each of the span the bounds leave, rather than the walk
        // from the mode through every rejected outcome. Outcomes whose mass
        // has underflowed to 0 add nothing and are not judged.
        int positiveFirst = 0, positiveLast = -1;
        group1.PositiveRange(&positiveFirst, &positiveLast);
        first = std::max(first, positiveFirst);
        last = std::min(last, positiveLast);
        if (first > last) return 0.0;
        const int mode = std::clamp(static_cast<int>(std::floor((m1_ + 1) * group1.q)), 0, m1_);
        if (ProductUnderflows(rowMass, group1.At(std::clamp(mode, first, last)),
                              last - first + 1)) {
            return 0.0;
        }
        double kept = 0.0;
        for (int x1 = first; x1 <= last; ++x1) {
            if (Accepts(x2, x1)) kept += group1.At(x1);
        }
        return rowMass * kept;
    }
    // Every x1 from the mode outwards until the masses left are negligible
    // against the wanted mass of the rows so far: wanted outcomes may lie
    // only in the far tails of the row. While nothing is wanted yet, until
    // the row's mass times all that is left rounds to 0 (the masses left
    // fall away from the next ones, and there are at most m1 + 1 of them).
    // The sorted searches compute every value they judge, so the keys of a
    // walk that found nothing can be kept.
    EmptyWalk* empty = running == 0.0 && sortRows_ && group1.slot >= 0
                           ? &emptyWalks_.At(x2, m2_, group1, rejected)
                           : nullptr;
    if (empty && !std::isnan(empty->lo)) {
        // Accepted where the key is at most c.
        if (!rejected && critical_ < empty->lo) {
            NoteAtMost(empty->lo, false);
            return 0.0;
        }
        if (rejected && empty->hi <= critical_) {
            NoteAtMost(empty->hi, true);
            return 0.0;
        }
    }
    const ScannedRow& values = scanned_[static_cast<size_t>(x2)];
    double keyLo = Infinity(), keyHi = -Infinity();
    double kept = 0.0;
    VisitScannedRow(
        start, group1,
        [&](int x1, double mass) {
            if (wanted(x1)) kept += mass;
            if (empty && kept == 0.0) {
                const double v = values.Known(x1);
                const double key = side_ == 2 ? std::fabs(v) : side_ == 0 ? v : -v;
                keyLo = std::min(keyLo, key);
                keyHi = std::max(keyHi, key);
            }
        },
        [&](double, double d, double u) {
            const double bound = kNegligible * (running + rowMass * kept);
            if (bound > 0.0) {
                const bool stop = rowMass * d <= bound && rowMass * u <= bound;
                if (stops && running > 0.0) {
                    // The running sum at which this step's verdict turns,
                    // with room far beyond the rounding of the bound.
                    const double turn = rowMass * std::max(d, u) / kNegligible;
                    if (stop) {
                        stops->lo = turn * (1.0 + 1e-12) - rowMass * kept;
                    } else {
                        stops->hi = std::min(stops->hi, turn * (1.0 - 1e-12) - rowMass * kept);
                    }
                }
                return stop;
            }
            return kept == 0.0 && ProductUnderflows(rowMass, std::max(d, u), m1_ + 1);
        });
    if (empty && kept == 0.0 && keyLo <= keyHi) {
        empty->lo = keyLo;
        empty->hi = keyHi;
    }
    return rowMass * kept;
}

// The rows of group 2 from its mode outwards, the larger frontier term
// first; the walk ends once the masses of group 2 at both open ends are
// negligible against the sum, since no row exceeds its mass of group 2.
double PowerExactUncondTwoProp::WalkRows(MassCache& group1, double target) {
    const int start = static_cast<int>(m1_ * group1.q + 0.5);
    return WalkRowsWith([&](int x2, double) { return SumAcceptedRow(x2, start, group1); }, target);
}

double PowerExactUncondTwoProp::WalkTail(MassCache& group1, bool rejected) {
    const int start = static_cast<int>(m1_ * group1.q + 0.5);
    return WalkRowsWith(
        [&](int x2, double running) { return SumRowTail(x2, start, group1, rejected, running); });
}

template <class RowSum>
double PowerExactUncondTwoProp::WalkRowsWith(RowSum rowSum, double target) {
    const double t = m2_ * proportion2;
    int u = static_cast<int>(std::ceil(t));
    int d = static_cast<int>(std::floor(t));
    if (u == d) d = u - 1;
    u = std::min(u, m2_);
    double sum = 0.0;
    // The mass of group 2 over the rows summed, where a target asks for it.
    double visited = 0.0;
    auto row = [&](int x2) {
        if (IsCancelled()) throw CancelledError();
        if (acceptLower_[static_cast<size_t>(x2)] == -1) AcceptanceBoundsOf(x2);
        if (target > 0.0) visited += group2_.At(x2);
        return rowSum(x2, sum);
    };
    double upTerm = row(u);
    sum = upTerm;
    double downTerm = d >= 0 ? row(d) : 0.0;
    sum = upTerm + downTerm;
    for (;;) {
        if (target > 0.0) {
            // Each row adds a mass of at least 0, and rounding keeps a sum
            // of such terms from falling: once the power 1 - sum misses
            // the target, the power of the whole walk does too.
            if (std::clamp(1.0 - sum, 0.0, 1.0) < target) break;
            // The rows left add at most their mass of group 2, 1 - visited:
            // where the power stays above the target even so, by a margin
            // far beyond the rounding of the sums, the whole walk reaches
            // it too.
            if (visited - sum - kDecisionMargin >= target) break;
        }
        const bool canUp = u<m2_, canDown = d> 0;
        if (!canUp && !canDown) break;
        const double upMass = canUp ? group2_.At(u) : 0.0;
        const double downMass = canDown ? group2_.At(d) : 0.0;
        if (sum > 0.0 && sum >= tailStopAt_) break;
        const bool upSpent = sum > 0.0 && upMass <= kNegligible * sum;
        const bool downSpent = sum > 0.0 && downMass <= kNegligible * sum;
        if (upSpent && downSpent) break;
        // The masses only fall further out: a spent end holds nothing of
        // weight any more, and the walk goes on at the other one alone.
        if (canUp && (!canDown || downSpent || (!upSpent && upTerm >= downTerm))) {
            upTerm = row(++u);
            sum += upTerm;
        } else {
            downTerm = row(--d);
            sum += downTerm;
        }
    }
    return sum;
}

double PowerExactUncondTwoProp::ExactPower(double p1, double alphaValue, double n1, double n2) {
    actualAlpha = alphaValue;
    proportion1 = p1;
    m1_ = static_cast<int>(std::floor(n1 + 0.5));
    m2_ = static_cast<int>(std::floor(n2 + 0.5));
    const double p0 = NullProportion();
    side_ = !oneTailed ? 2 : (p1 <= p0 ? 1 : 0);
    critical_ = ExactCriticalValue(alphaValue, side_);

    RegionKey key;
    key.m1 = m1_;
    key.m2 = m2_;
    key.code = statistic;
    key.reference = referenceDistribution;
    key.side = side_;
    key.critical = critical_;
    key.offset = nullDifference;
    key.p2 = proportion2;
    if (!(key == regionKey_)) {
        regionKey_ = key;
        acceptLower_.assign(static_cast<size_t>(m2_) + 1, -1);
        acceptUpper_.assign(static_cast<size_t>(m2_) + 1, -1);
    }
    key.critical = 0.0;
    if (!(key == valuesKey_)) {
        valuesKey_ = key;
        scanned_.assign(static_cast<size_t>(m2_) + 1, {});
        sortedQ_[0] = sortedQ_[1] = -1.0;
        emptyWalks_.Clear();
        rowMemos_.Clear();
        boundsMemos_.assign(static_cast<size_t>(m2_) + 1, {});
    }
    group2_.Reset(m2_, proportion2);
    MassCache& underH1 = group1H1_;
    MassCache& underH0 = group1H0_;
    underH1.Reset(m1_, p1);
    underH0.Reset(m1_, p0);
    underH1.slot = 0;
    underH0.slot = 1;
    // The x1 the sums of scanned rows visit: each term they add exceeds
    // 1e-15 of the row's mass so far, which holds the mode's.
    weightLo_ = 0;
    weightHi_ = -1;
    if (OffersRowBounds()) {
        int lo = m1_, hi = 0;
        for (MassCache* g : {&underH1, &underH0}) {
            if (!(g->q > 0.0 && g->q < 1.0)) {
                lo = 0;
                hi = m1_;
                continue;
            }
            const int start = std::clamp(static_cast<int>(m1_ * g->q + 0.5), 0, m1_);
            const double floor = kNegligible * g->At(start);
            int a = start, b = start;
            while (a > 0 && g->At(a - 1) > floor) --a;
            while (b < m1_ && g->At(b + 1) > floor) ++b;
            lo = std::min(lo, a);
            hi = std::max(hi, b);
        }
        weightLo_ = lo;
        weightHi_ = hi;
    }
    key.critical = 0.0;
    if (!(key == boundsKey_) || boundsLo_ != weightLo_ || boundsHi_ != weightHi_) {
        boundsKey_ = key;
        boundsLo_ = weightLo_;
        boundsHi_ = weightHi_;
        rowNear_.assign(static_cast<size_t>(m2_) + 1, std::numeric_limits<double>::quiet_NaN());
        rowFar_.assign(static_cast<size_t>(m2_) + 1, 0.0);
        rowSkewLo_.assign(static_cast<size_t>(m2_) + 1, 0.0);
        rowSkewHi_.assign(static_cast<size_t>(m2_) + 1, 0.0);
        rowThresholds_.assign(static_cast<size_t>(m2_) + 1, RowThresholds{});
    }
    // A Compromise at a large effect sums beta on its own side anyway, and
    // the walk over the accepted outcomes would first sort every row near
    // the mode under H1 only to learn that beta is small. Where the
    // approximation puts beta far below kSummedTail, its own sum comes
    // first; if that is small by a margin far beyond the rounding of
    // either sum, the walk would have taken it too, and is not needed.
    double tailBeta = -1.0;
    if (wantTails_ && decideTarget_ <= 0.0 && ApproximateBetaIsTiny(p1, alphaValue, n1, n2)) {
        tailBeta = std::clamp(WalkTail(underH1, false), 0.0, 1.0);
    }
    const bool tailDecides = tailBeta >= 0.0 && tailBeta < kSummedTail / 2.0;
    probeBounded_ = false;
    if (probeBar_ > 0.0 && tailDecides) {
        // A size at least this puts beta over it below the bar, with room
        // far beyond the rounding of any sum of the size.
        const double enough = tailBeta / probeBar_ * (1.0 + 1e-6);
        const Restore<double> stopAt(tailStopAt_, enough);
        const double part = WalkTail(underH0, true);
        if (part > 0.0 && part >= enough) {
            probeBounded_ = true;
            exactBeta_ = tailBeta;
            actualPower = 1.0 - tailBeta;
            actualAlpha = part;
            return actualPower;
        }
    }
    const double accepted1 = tailDecides ? tailBeta : WalkRows(underH1, decideTarget_);
    if (decideTarget_ > 0.0) {
        actualPower = std::clamp(1.0 - accepted1, 0.0, 1.0);
        exactBeta_ = 1.0 - actualPower;
        return actualPower;
    }
    // The size likewise: where alpha is far below kSummedTail, the size on
    // its own side comes first, and the walk over the accepted outcomes
    // under H0 only where that is not small by the same margin.
    double tailSize = -1.0;
    if (sizeOnItsSide_ && alphaValue < 1e-9) {
        tailSize = std::clamp(WalkTail(underH0, true), 0.0, 1.0);
    }
    const double accepted0 =
        tailSize >= 0.0 && tailSize < kSummedTail / 2.0 ? 1.0 - tailSize : WalkRows(underH0);

    actualPower = std::clamp(1.0 - accepted1, 0.0, 1.0);
    actualAlpha = std::clamp(1.0 - accepted0, 0.0, 1.0);
    exactBeta_ = 1.0 - actualPower;
    // The sums above are near 1 and round by some 1e-16: a size below
    // kSummedTail, which every analysis shows to seven digits, is summed
    // over the rejected outcomes instead, and (for the Compromise) a beta
    // that small over the accepted ones, row by row, so that both keep
    // their digits far below 1e-16.
    if (wantTails_ && accepted1 < kSummedTail) {
        exactBeta_ = tailBeta >= 0.0 ? tailBeta : std::clamp(WalkTail(underH1, false), 0.0, 1.0);
        actualPower = 1.0 - exactBeta_;
    }
    if (sizeOnItsSide_ && actualAlpha < kSummedTail) {
        actualAlpha = tailSize >= 0.0 ? tailSize : std::clamp(WalkTail(underH0, true), 0.0, 1.0);
    }
    // A power that small, 1 less a sum near 1, would show the rounding of
    // that sum in its digits: it is summed over the rejected outcomes too.
    if (sizeOnItsSide_ && actualPower < kSummedTail) {
        actualPower = std::clamp(WalkTail(underH1, true), 0.0, 1.0);
        exactBeta_ = 1.0 - actualPower;
    }
    return actualPower;
}
