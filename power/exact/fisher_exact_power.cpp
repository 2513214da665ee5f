#include "power/exact/fisher_exact_power.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "numerics/saddle_point.h"

namespace {

// Hypergeometric terms below this fraction of the largest are left out,
// and below this fraction of alpha: they can move no decision and no
// rejected sum, also where a Criterion search tries alpha far below 1e-16.
constexpr double kNegligibleTerm = 1e-30;
constexpr double kNegligibleToAlpha = 1e-14;
// Terms below this fraction of alpha times the largest are left out too:
// beyond them the terms fall at least geometrically, so together they hold
// less than an ulp of any rejected sum compared with alpha, and windows
// 11.7 standard deviations wide shrink to some 9.4 at alpha 0.05.
constexpr double kBelowAlpha = 1e-18;

// The level below which the terms of a window are left out.
double NegligibleTerm(double alpha) {
    return std::min(kNegligibleToAlpha * alpha, std::max(kNegligibleTerm, kBelowAlpha * alpha));
}
// A term, or the whole weight of a margin, below this fraction of the sum
// so far ends a walk that moves away from the largest terms.
constexpr double kNegligibleShare = 1e-17;
// Mirror-image counts of a symmetric distribution have equal probabilities
// and equal statistics that rounding may set apart; such a tie is kept.
constexpr double kTie = 1e-10;
// A tail of a small table often holds exactly alpha (3 + 3 subjects with 3
// successes: 1/20 of the tables each), which the summed terms may miss by
// some ulps either way; a sum within this share of alpha counts as alpha.
constexpr double kRoundOff = 64.0 * std::numeric_limits<double>::epsilon();

// The hypergeometric terms are filled this many at a time.
constexpr int kBlock = 32;

// x <= a and x < a with sums within rounding of a taken as equal to it.
bool AtMost(double x, double a) {
    return x <= a * (1.0 + kRoundOff);
}
bool Below(double x, double a) {
    return x < a * (1.0 - kRoundOff);
}

// The sum of n terms in four running sums, which do not wait on each other.
double SumOf(const double* p, long n) {
    double s[4] = {0.0, 0.0, 0.0, 0.0};
    long k = 0;
    for (; k + 4 <= n; k += 4) {
        for (int r = 0; r < 4; ++r) s[r] += p[k + r];
    }
    for (; k < n; ++k) s[0] += p[k];
    return (s[0] + s[1]) + (s[2] + s[3]);
}

}  // namespace

void FisherExactPower::UseDesign(const Design& design) {
    if (haveDesign_ && design == design_) return;
    design_ = design;
    haveDesign_ = true;
    const size_t margins = static_cast<size_t>(design.referenceSize) + design.otherSize + 1;
    // A region is read only once ready_ says it is built.
    regions_.resize(margins);
    ready_.assign(margins, 0);
}

FisherExactPower::Region FisherExactPower::RegionOf(const Design& design, int m) {
    UseDesign(design);
    if (!ready_[m]) {
        regions_[m] = Build(m);
        ready_[m] = 1;
    }
    return regions_[m];
}

// ------------------------------------------------------ conditional tests

double FisherExactPower::Term(int x) const {
    const long i = static_cast<long>(x) - windowLow_;
    return 0 <= i && i < static_cast<long>(window_.size()) ? window_[i] : 0.0;
}

// From the rounded mean outward by the ratios of consecutive terms,
// h(x + 1) / h(x) = (na - x)(m - x) / ((x + 1)(nb - m + x + 1)): the mean
// and the terms below it, then those above unless `above` is false.
void FisherExactPower::FillTerms(int m, bool above) {
    const double na = design_.referenceSize, nb = design_.otherSize;
    const int first = std::max(0, m - design_.otherSize);
    const int last = std::min(m, design_.referenceSize);
    const int start =
        std::clamp(static_cast<int>(std::floor(m * na / (na + nb) + 0.5)), first, last);
    const double centre = HypergeometricDensity(start, na, nb, m, 0);
    const double negligible = NegligibleTerm(design_.alpha);
    double peak = centre;
    below_.clear();
    double h = centre;
    // The ratios of a block are found first, apart from the running product,
    // so that their divisions go together.
    double ratio[kBlock];
    bool done = false;
    for (int x0 = start; x0 > first && !done; x0 -= kBlock) {
        const int count = std::min(kBlock, x0 - first);
        for (int k = 0; k < count; ++k) {
            const double x = x0 - k;
            ratio[k] = x * (nb - m + x) / ((na - x + 1.0) * (m - x + 1.0));
        }
        for (int k = 0; k < count; ++k) {
            h *= ratio[k];
            if (!(h >= negligible * peak)) {
                done = true;
                break;
            }
            peak = std::max(peak, h);
            below_.push_back(h);
        }
    }
    window_.assign(below_.rbegin(), below_.rend());
    windowLow_ = start - static_cast<int>(below_.size());
    window_.push_back(centre);
    peak_ = peak;
    if (above) FillTermsAbove(m);
}

// The terms above the mean, after FillTerms(m, false).
void FisherExactPower::FillTermsAbove(int m) {
    const double na = design_.referenceSize, nb = design_.otherSize;
    const int last = std::min(m, design_.referenceSize);
    const int start = windowLow_ + static_cast<int>(window_.size()) - 1;
    const double negligible = NegligibleTerm(design_.alpha);
    double peak = peak_;
    double h = window_.back();
    double ratio[kBlock];
    for (int x0 = start; x0 < last; x0 += kBlock) {
        const int count = std::min(kBlock, last - x0);
        for (int k = 0; k < count; ++k) {
            const double x = x0 + k;
            ratio[k] = (na - x) * (m - x) / ((x + 1.0) * (nb - m + x + 1.0));
        }
        for (int k = 0; k < count; ++k) {
            h *= ratio[k];
            if (!(h >= negligible * peak)) return;
            peak = std::max(peak, h);
            window_.push_back(h);
        }
    }
}

// The statistic of the table with x successes in the reference group;
// larger is more extreme.
double FisherExactPower::Statistic(int x, int m) const {
    const double na = design_.referenceSize, nb = design_.otherSize;
    const double n = na + nb;
    if (design_.statistic == kFisher) {
        const double h = Term(x);
        return h > 0.0 ? -std::log(h) : std::numeric_limits<double>::infinity();
    }
    struct Cell {
        double observed, row, column;
    };
    const Cell cells[] = {{static_cast<double>(x), na, static_cast<double>(m)},
                          {na - x, na, n - m},
                          {static_cast<double>(m - x), nb, static_cast<double>(m)},
                          {nb - m + x, nb, n - m}};
    double sum = 0.0;
    if (design_.statistic == kLikelihoodRatio) {
        if (m == 0 || m == n) return 0.0;
        for (const Cell& c : cells) {
            if (c.observed > 0.0) sum += c.observed * std::log(c.observed * n / (c.row * c.column));
        }
        return 2.0 * sum;
    }
    for (const Cell& c : cells) {
        const double expected = c.row * c.column / n;
        if (expected > 0.0) sum += (c.observed - expected) * (c.observed - expected) / expected;
    }
    return sum;
}

// The small counts whose lower tail stays below alpha; where the counts
// below the rounded mean already hold alpha or more, a lower tail of
// exactly alpha still rejects (the way the search from the mean meets its
// target there).
FisherExactPower::Region FisherExactPower::OneSided(int m, int, int last) {
    const double na = design_.referenceSize, nb = design_.otherSize;
    const int mode = static_cast<int>(std::floor(m * na / (na + nb) + 0.5));
    double belowMode = 0.0;
    // The window holds every count from windowLow_ to the mean.
    const auto end = window_.begin() + std::max(mode - windowLow_, 0);
    for (auto term = window_.begin(); term < end; ++term) belowMode += *term;
    const double a = design_.alpha;
    const bool strict = Below(belowMode, a);
    // Only a region that reaches past the mean needs the terms above it.
    if (strict) FillTermsAbove(m);
    const int cap = strict ? last : mode - 1;
    double rejected = 0.0;
    int k = windowLow_;
    while (k < cap) {
        const double next = rejected + Term(k);
        if (strict ? !Below(next, a) : !AtMost(next, a)) break;
        rejected = next;
        ++k;
    }
    return {k, last, rejected};
}

// The acceptance interval grows from {floor(mean), ceil(mean)} by the more
// probable neighbour until it holds 1 - alpha. Since the distribution is
// unimodal with its mode in that start pair, the counts it leaves out are
// those taken off the two ends of the support, the less probable end
// first, while their sum stays within alpha: the same counts, with the
// rejected probability summed from its small terms instead of as one minus
// a sum near 1.
FisherExactPower::Region FisherExactPower::TwoSided(int m, int first, int last) {
    const double na = design_.referenceSize, nb = design_.otherSize;
    const double mean = m * na / (na + nb);
    const int f = static_cast<int>(std::floor(mean));
    int u = static_cast<int>(std::ceil(mean));
    if (u == f) u = f + 1;
    const double a = design_.alpha;
    const double* w = window_.data();
    const long count = static_cast<long>(window_.size());
    const long fi = static_cast<long>(f) - windowLow_;
    const long ui = static_cast<long>(u) - windowLow_;
    const double limit = a * (1.0 + kRoundOff);
    long i = 0;
    long j = count - 1;
    // The window reaches far into both tails, and taking its ends one by one
    // was most of the cost of a region. The terms below a level at which
    // even the whole window would hold a quarter of alpha all leave before
    // any other; each side rises towards the mean, so they are found by
    // bisection and taken at once, unless a near-tie across the level
    // could change the order in which the ends leave.
    const double level = 0.25 * limit / static_cast<double>(count);
    const long lowerEnd = std::clamp(fi, 0L, count);
    const long upperBegin = std::clamp(ui + 1, 0L, count);
    const long i0 = std::partition_point(w, w + lowerEnd, [&](double v) { return v < level; }) - w;
    const long j0 = upperBegin < count
                        ? std::partition_point(w + upperBegin, w + count,
                                               [&](double v) { return v >= level; }) -
                              w - 1
                        : count - 1;
    const bool lowerWaits = i0 > 0 && j0 > ui && !(w[i0 - 1] < w[j0] * (1.0 - kTie));
    const bool upperWaits = j0 < count - 1 && i0 < fi && !(w[i0] >= w[j0 + 1] * (1.0 - kTie));
    double removed = 0.0;
    if (!lowerWaits && !upperWaits) {
        for (; i < i0; ++i) removed += w[i];
        for (; j > j0; --j) removed += w[j];
    }
    bool full = false;
    while (i < fi && j > ui) {
        // On a tie the growing interval takes the lower count first, so the
        // upper one is the later and leaves first.
        const bool takeUpper = w[i] >= w[j] * (1.0 - kTie);
        const double next = removed + (takeUpper ? w[j] : w[i]);
        if (!(next <= limit)) {
            full = true;
            break;
        }
        removed = next;
        if (takeUpper) {
            --j;
        } else {
            ++i;
        }
    }
    for (; !full && i < fi; ++i) {
        const double next = removed + w[i];
        if (!(next <= limit)) break;
        removed = next;
    }
    for (; !full && j > ui; --j) {
        const double next = removed + w[j];
        if (!(next <= limit)) break;
        removed = next;
    }
    int lo = windowLow_ + static_cast<int>(i);
    int hi = windowLow_ + static_cast<int>(j);
    if (lo >= f && hi <= u) {
        // One count of the start pair may hold 1 - alpha alone.
        const double pf = Term(f), pu = Term(u);
        if (pu >= pf * (1.0 - kTie) && AtMost(removed + pf, a)) {
            lo = u;
        } else if (pu < pf && AtMost(removed + pu, a)) {
            hi = f;
        }
    }
    if (design_.balancing == kSymmetrical && lo < hi) {
        const double tl = Statistic(lo, m), th = Statistic(hi, m);
        const double top = std::max(tl, th);
        const double tol = kTie * std::max(1.0, std::fabs(top));
        // Widens one side by the counts that are no more extreme than the
        // other side's end, up to the first as extreme as it.
        auto widen = [&](int& end, int step, int bound) {
            while (end != bound && Term(end + step) > 0.0) {
                const double t = Statistic(end + step, m);
                if (t > top + tol) break;
                end += step;
                if (std::fabs(t - top) <= tol) break;
            }
        };
        if (th > tl + tol) {
            widen(lo, -1, first);
        } else if (tl > th + tol) {
            widen(hi, +1, last);
        }
    }
    // The start pair's count may lie past a window's end; the terms beyond
    // it are none.
    const long below = std::clamp(static_cast<long>(lo) - windowLow_, 0L, count);
    const long above = std::clamp(static_cast<long>(hi) - windowLow_ + 1, below, count);
    const double size = SumOf(w, below) + SumOf(w + above, count - above);
    return {lo, hi, size};
}

FisherExactPower::Region FisherExactPower::Build(int m) {
    const int first = std::max(0, m - design_.otherSize);
    const int last = std::min(m, design_.referenceSize);
    // A margin with one possible table rejects nothing.
    if (first >= last) return {first, last, 0.0};
    FillTerms(m, !design_.oneTailed);
    return design_.oneTailed ? OneSided(m, first, last) : TwoSided(m, first, last);
}

// ----------------------------------------------------------------- power

double FisherExactPower::ReferenceMass(int x) {
    double& v = referenceMass_[x];
    if (v < 0.0) v = dbinom(x, design_.referenceSize, pa_, 0);
    return v;
}

double FisherExactPower::OtherMass(int y) {
    double& v = otherMass_[y];
    if (v < 0.0) v = dbinom(y, design_.otherSize, pb_, 0);
    return v;
}

// The product b(x; na, pa) b(m - x; nb, pb) is log-concave in x; its
// largest term is the first x at which the ratio of consecutive terms falls
// below 1. A proportion of 0 or 1 leaves one possible count.
int FisherExactPower::LargestTermAt(int m, int first, int last) const {
    const double na = design_.referenceSize, nb = design_.otherSize;
    if (pa_ <= 0.0) return 0;
    if (pa_ >= 1.0) return design_.referenceSize;
    if (pb_ <= 0.0) return m;
    if (pb_ >= 1.0) return m - design_.otherSize;
    int lo = first, hi = last;
    while (lo < hi) {
        const int mid = lo + (hi - lo) / 2;
        const double ratio = (na - mid) * (m - mid) / ((mid + 1.0) * (nb - m + mid + 1.0)) * odds_;
        if (ratio < 1.0) {
            hi = mid;
        } else {
            lo = mid + 1;
        }
    }
    return lo;
}

double FisherExactPower::LargestTerm(int m) {
    const int first = std::max(0, m - design_.otherSize);
    const int last = std::min(m, design_.referenceSize);
    const int top = std::clamp(LargestTermAt(m, first, last), first, last);
    return ReferenceMass(top) * OtherMass(m - top);
}

double FisherExactPower::SegmentSum(int m, int s, int t) {
    const int first = std::max(0, m - design_.otherSize);
    const int last = std::min(m, design_.referenceSize);
    s = std::max(s, first);
    t = std::min(t, last);
    if (s > t) return 0.0;
    const int top = std::clamp(LargestTermAt(m, first, last), s, t);
    double sum = ReferenceMass(top) * OtherMass(m - top);
    if (sum == 0.0) return 0.0;
    for (int x = top - 1; x >= s; --x) {
        const double v = ReferenceMass(x) * OtherMass(m - x);
        sum += v;
        if (v <= kNegligibleShare * sum) break;
    }
    for (int x = top + 1; x <= t; ++x) {
        const double v = ReferenceMass(x) * OtherMass(m - x);
        sum += v;
        if (v <= kNegligibleShare * sum) break;
    }
    return sum;
}

void FisherExactPower::UseProportions(double pa, double pb) {
    pa_ = pa;
    pb_ = pb;
    odds_ = (pa / (1.0 - pa)) * ((1.0 - pb) / pb);
    referenceMass_.assign(static_cast<size_t>(design_.referenceSize) + 1, -1.0);
    otherMass_.assign(static_cast<size_t>(design_.otherSize) + 1, -1.0);
}

int FisherExactPower::Reaches(const Design& design, double pa, double pb, double target,
                              Poll& poll) {
    // Far beyond the rounding of sums of some 1e5 margins, each of some 1e4
    // terms, in either order, and beyond the mass of the margins the walk of
    // Compute leaves out as negligible.
    constexpr double kMargin = 1e-9;
    UseDesign(design);
    UseProportions(pa, pb);
    const int n = design.referenceSize + design.otherSize;
    double rejected = 0.0, taken = 0.0;
    auto take = [&](int m, double top) {
        poll();
        if (!(top > 0.0)) return;
        const Region r = RegionOf(design, m);
        const double out = SegmentSum(m, 0, r.lower - 1) + SegmentSum(m, r.upper + 1, n);
        rejected += out;
        taken += out + SegmentSum(m, r.lower, r.upper);
    };
    const int centre = std::clamp(
        static_cast<int>(std::floor(design.referenceSize * pa + design.otherSize * pb + 0.5)), 0,
        n);
    int up = centre, down = centre - 1;
    double upTop = LargestTerm(up), downTop = down >= 0 ? LargestTerm(down) : 0.0;
    for (;;) {
        if (rejected >= target + kMargin) return 1;
        const double outside = std::max(1.0 - taken, 0.0);
        if (rejected + outside + kMargin < target) return -1;
        if (outside < kMargin) return 0;
        const bool canUp = up <= n, canDown = down >= 0;
        if (!canUp && !canDown) return 0;
        if (canUp && (!canDown || upTop >= downTop)) {
            take(up, upTop);
            ++up;
            upTop = up <= n ? LargestTerm(up) : 0.0;
        } else {
            take(down, downTop);
            --down;
            downTop = down >= 0 ? LargestTerm(down) : 0.0;
        }
    }
}

FisherExactPower::Result FisherExactPower::Compute(const Design& design, double pa, double pb,
                                                   double p0, Poll& poll, bool withBeta) {
    UseDesign(design);
    const int na = design.referenceSize, nb = design.otherSize, n = na + nb;
    UseProportions(pa, pb);

    Result result;
    // Both walks start at the rounded mean of the margin, within one count
    // of its mode; a margin weight that fell to nothing beyond the mode
    // stays negligible, since the weights are log-concave in m.
    auto walk = [&](int centre, auto visit, double& sum) {
        for (int m = centre; m <= n; ++m) {
            poll();
            const double w = visit(m);
            if (m - centre >= 2 && (w == 0.0 || (sum > 0.0 && w < kNegligibleShare * sum))) break;
        }
        for (int m = centre - 1; m >= 0; --m) {
            poll();
            const double w = visit(m);
            if (centre - m >= 2 && (w == 0.0 || (sum > 0.0 && w < kNegligibleShare * sum))) break;
        }
    };
    const int centre1 = std::clamp(static_cast<int>(std::floor(na * pa + nb * pb + 0.5)), 0, n);
    // The walk stops against the smaller of the two sums it keeps.
    double smaller = 0.0;
    walk(
        centre1,
        [&](int m) {
            // The margin's weight sums its terms outward from the largest,
            // so it is 0 exactly where that term is, and at least that term
            // otherwise. It only ends the walk, when it falls below a share
            // of the sum; where the largest term alone reaches that share,
            // the weight is not summed.
            const double top = LargestTerm(m);
            if (top > 0.0) {
                const Region r = RegionOf(design, m);
                result.power += SegmentSum(m, 0, r.lower - 1) + SegmentSum(m, r.upper + 1, n);
                if (withBeta) result.beta += SegmentSum(m, r.lower, r.upper);
            }
            smaller = withBeta ? std::min(result.power, result.beta) : result.power;
            if (top == 0.0 || top >= kNegligibleShare * smaller) return top;
            return SegmentSum(m, 0, n);
        },
        smaller);
    const int centre0 = std::clamp(static_cast<int>(std::floor(n * p0 + 0.5)), 0, n);
    walk(
        centre0,
        [&](int m) {
            const double w = dbinom(m, n, p0, 0);
            if (w > 0.0) result.size += w * RegionOf(design, m).size;
            return w;
        },
        result.size);
    result.power = std::clamp(result.power, 0.0, 1.0);
    result.size = std::clamp(result.size, 0.0, 1.0);
    result.beta = std::clamp(result.beta, 0.0, 1.0);
    return result;
}
