#include "power/exact/binomial_tails.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "distributions/distribution.h"
#include "distributions/normal.h"
#include "numerics/cdf_drivers.h"
#include "numerics/quorix_error.h"
#include "numerics/saddle_point.h"

namespace {

// The smallest whole k in [lo, hi] at which `holds` is true, for a
// predicate that is false up to some count and true from there on; hi + 1
// when it holds nowhere. The search gallops from the guess, so a good guess
// costs two or three evaluations.
template <class Predicate>
double FirstCount(double lo, double hi, double guess, Predicate holds) {
    if (hi < lo) return hi + 1.0;
    if (!(guess >= lo)) guess = lo;  // also a guess that is not a number
    if (guess > hi) guess = hi;
    guess = std::floor(guess);
    double below, above;  // holds(below) is false or below < lo; holds(above) or above > hi
    double step = 1.0;
    if (holds(guess)) {
        above = guess;
        below = guess - step;
        while (below >= lo && holds(below)) {
            above = below;
            step *= 2.0;
            below = above - step;
        }
        below = std::max(below, lo - 1.0);
    } else {
        below = guess;
        above = guess + step;
        while (above <= hi && !holds(above)) {
            below = above;
            step *= 2.0;
            above = below + step;
        }
        above = std::min(above, hi + 1.0);
    }
    while (above - below > 1.0) {
        const double mid = std::floor((below + above) / 2.0);
        if (holds(mid)) {
            above = mid;
        } else {
            below = mid;
        }
    }
    return above;
}

// The share of a size within which a tail counts as equal to it: the
// incomplete beta ratio keeps a tail to some ulps.
constexpr double kRoundOff = 64.0 * std::numeric_limits<double>::epsilon();

}  // namespace

bool BinomialTails::WithinSize(double tail, double a) {
    return tail <= a * (1.0 + kRoundOff);
}

bool BinomialTails::BelowSize(double tail, double a) {
    return tail < a * (1.0 - kRoundOff);
}

double BinomialTails::AtMost(double k) const {
    if (k < 0.0) return 0.0;
    if (k >= n_) return 1.0;
    if (p_ <= 0.0) return 1.0;
    if (p_ >= 1.0) return 0.0;
    int which = 1, status = 0;
    double lower = 0.0, upper = 0.0, s = k, n = n_, p = p_, q = 1.0 - p_, bound = 0.0;
    cdfbin(&which, &lower, &upper, &s, &n, &p, &q, &status, &bound);
    ThrowDriverStatus("BinomialDist-Cdf", status, bound, lower);
    return lower;
}

double BinomialTails::AtLeast(double k) const {
    if (k <= 0.0) return 1.0;
    if (k > n_) return 0.0;
    if (p_ <= 0.0) return 0.0;
    if (p_ >= 1.0) return 1.0;
    int which = 1, status = 0;
    double lower = 0.0, upper = 0.0, s = k - 1.0, n = n_, p = p_, q = 1.0 - p_, bound = 0.0;
    cdfbin(&which, &lower, &upper, &s, &n, &p, &q, &status, &bound);
    ThrowDriverStatus("BinomialDist-Cdf", status, bound, upper);
    return upper;
}

double BinomialTails::Exactly(double k) const {
    if (k < 0.0 || k > n_) return 0.0;
    if (p_ <= 0.0) return k == 0.0 ? 1.0 : 0.0;
    if (p_ >= 1.0) return k == n_ ? 1.0 : 0.0;
    return dbinom_raw(k, n_, p_, 1.0 - p_, 0);
}

// The normal approximation with continuity correction: a count or two off
// at most where it matters, and cheap, since the exact tests look for counts
// thousands of times per answer.
double BinomialTails::Guess(double prob) const {
    const double mean = n_ * p_;
    if (!(0.0 < prob && prob < 1.0) || p_ <= 0.0 || p_ >= 1.0) return mean;
    try {
        NormalDistribution normal(0.0, 1.0);
        const double z = normal.Quantile(prob);
        const double k = mean + z * std::sqrt(mean * (1.0 - p_)) - 0.5;
        return std::isfinite(k) ? std::ceil(k) : mean;
    } catch (const QuorixError&) {
        return mean;
    }
}

double BinomialTails::UpperCount(double a) const {
    return FirstCount(0.0, n_ + 1.0, Guess(1.0 - a) + 1.0,
                      [&](double k) { return WithinSize(AtLeast(k), a); });
}

double BinomialTails::LowerCount(double a) const {
    return FirstCount(0.0, n_, Guess(a), [&](double k) { return !WithinSize(AtMost(k), a); }) - 1.0;
}

double BinomialTails::UpperCountReaching(double t) const {
    return FirstCount(0.0, n_, Guess(1.0 - t) + 1.0, [&](double k) { return AtLeast(k) < t; }) -
           1.0;
}

double BinomialTails::LowerCountReaching(double t) const {
    return std::min(FirstCount(0.0, n_, Guess(t), [&](double k) { return AtMost(k) >= t; }), n_);
}

void BinomialLadder::Start(double k, double c) {
    k_ = k;
    c_ = std::min(std::max(c, 0.0), k);
    sinceStart_ = 0;
    mass_ = dbinom_raw(c_, k_, p_, q_, 0);
    saturated_ = mass_ == 0.0;
    if (c_ >= k_) {
        lower_ = 1.0;
        upper_ = mass_;
        return;
    }
    int which = 1, status = 0;
    double lower = 0.0, above = 0.0, s = c_, n = k_, p = p_, q = q_, bound = 0.0;
    cdfbin(&which, &lower, &above, &s, &n, &p, &q, &status, &bound);
    ThrowDriverStatus("BinomialDist-Cdf", status, bound, lower);
    lower_ = lower;
    upper_ = above + mass_;
}

// X' = X + B with B ~ Bernoulli(p): P(X' = c) = q P(X = c) + p P(X = c - 1),
// P(X' >= c) = P(X >= c) + p P(X = c - 1), P(X' <= c) = P(X <= c) - p P(X = c),
// the last at least q P(X <= c), so the subtraction keeps its digits.
void BinomialLadder::AddTrial() {
    if (++sinceStart_ >= 1024 || (mass_ == 0.0 && !saturated_)) {
        Start(k_ + 1.0, c_);
        return;
    }
    if (saturated_) {
        k_ += 1.0;
        return;
    }
    const double below = c_ >= 1.0 ? mass_ * c_ / (k_ - c_ + 1.0) * q_ / p_ : 0.0;
    upper_ += p_ * below;
    lower_ -= p_ * mass_;
    mass_ = q_ * mass_ + p_ * below;
    k_ += 1.0;
}

void BinomialLadder::MoveTo(double c) {
    c = std::min(std::max(c, 0.0), k_);
    if (saturated_) {
        c_ = c;
        return;
    }
    while (c_ < c) {
        if (mass_ == 0.0) {
            Start(k_, c);
            return;
        }
        const double next = mass_ * (k_ - c_) / (c_ + 1.0) * p_ / q_;
        upper_ -= mass_;
        lower_ += next;
        mass_ = next;
        c_ += 1.0;
    }
    while (c_ > c) {
        if (mass_ == 0.0) {
            Start(k_, c);
            return;
        }
        const double previous = mass_ * c_ / (k_ - c_ + 1.0) * q_ / p_;
        upper_ += previous;
        lower_ -= mass_;
        mass_ = previous;
        c_ -= 1.0;
    }
}

double BinomialLadder::AtLeast(double c) {
    if (c <= 0.0) return 1.0;
    if (c > k_) return 0.0;
    MoveTo(c);
    return upper_;
}

double BinomialLadder::AtMost(double c) {
    if (c < 0.0) return 0.0;
    if (c >= k_) return 1.0;
    MoveTo(c);
    return lower_;
}
