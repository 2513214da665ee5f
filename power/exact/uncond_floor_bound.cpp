// Whether a Compromise of the unconditional tests has its answer below the
// floor of the alpha searches, told from two bounds at that floor, before
// any exact evaluation there. At a large effect beta and the size may both
// lie far below 1e-99 where they meet; the walk down to the floor would
// then evaluate the exact power at alphas whose beta is all but 0, and a
// beta that small is summed over every accepted outcome of positive mass,
// since none is negligible against a sum of 0.
//
// The ratio beta/size only falls as alpha grows (the regions grow with
// alpha), so a ratio below q at the floor means that no alpha the search
// may show meets q. Beta is bounded above through the spread of the two
// proportions that every accepted outcome keeps (AcceptedReach) and a
// Chernoff bound on that spread under H1; the size is bounded below by the
// H0 mass of outcomes that the statistic itself is seen to reject.
#include <algorithm>
#include <cmath>
#include <limits>

#include "numerics/saddle_point.h"
#include "power/exact/exact_search.h"
#include "power/exact/power_exact_uncond.h"

namespace {

// log(exp(a) + exp(b)), either of them -infinity.
double LogSum(double a, double b) {
    if (a < b) std::swap(a, b);
    if (a == -std::numeric_limits<double>::infinity()) return a;
    return a + std::log1p(std::exp(b - a));
}

// The mean of a binomial proportion of probability p tilted by exp(s x):
// p e^s/(1 - p + p e^s), without overflow for large |s|.
double TiltedProportion(double p, double s) {
    const double logit = std::log(p) - std::log1p(-p) + s;
    return logit > 0.0 ? 1.0 / (1.0 + std::exp(-logit)) : std::exp(logit) / (1.0 + std::exp(logit));
}

// log E[exp(s X/m)] of X binomial with m trials and probability p.
double LogMgf(double m, double p, double s) {
    // log(1 - p + p e^(s/m)), from whichever end keeps its digits.
    const double a = s / m;
    const double value =
        a <= 0.0 ? std::log1p(p * std::expm1(a)) : a + std::log1p((1.0 - p) * std::expm1(-a));
    return m * value;
}

// The logarithm of a Chernoff bound on P(Y <= t), Y = sign (X1/m1 - rho
// X2/m2 - shift), X1 binomial (m1, p1) and X2 binomial (m2, p2): the least
// over lambda >= 0 of lambda t + log E[exp(-lambda Y)]. Every lambda gives
// a bound; the least is where the tilted mean of Y falls to t.
double ChernoffLog(double m1, double p1, double m2, double p2, double rho, double shift,
                   double sign, double t) {
    auto logBound = [&](double lambda) {
        return lambda * (t + sign * shift) + LogMgf(m1, p1, -lambda * sign) +
               LogMgf(m2, p2, lambda * sign * rho);
    };
    auto tiltedMean = [&](double lambda) {
        return sign * (TiltedProportion(p1, -lambda * sign / m1) -
                       rho * TiltedProportion(p2, lambda * sign * rho / m2) - shift);
    };
    double lo = 0.0, hi = m1 + m2;
    for (int i = 0; i < 60 && tiltedMean(hi) > t; ++i) hi *= 2.0;
    for (int i = 0; i < 200 && hi - lo > 1e-9 * hi; ++i) {
        const double mid = (lo + hi) / 2.0;
        if (tiltedMean(mid) > t) {
            lo = mid;
        } else {
            hi = mid;
        }
    }
    return std::min({0.0, logBound(lo), logBound(hi)});
}

}  // namespace

bool PowerExactUncondTwoProp::AcceptedReach(double, int, int, double*, double*, double*) const {
    return false;
}

bool PowerExactUncondTwoProp::CompromiseBelowFloor(double p1, double q, double n1, double n2) {
    m1_ = static_cast<int>(std::floor(n1 + 0.5));
    m2_ = static_cast<int>(std::floor(n2 + 0.5));
    if (m1_ < 1 || m2_ < 1) return false;
    const double p0 = NullProportion(), p2 = proportion2;
    if (!(0.0 < p1 && p1 < 1.0 && 0.0 < p0 && p0 < 1.0 && 0.0 < p2 && p2 < 1.0)) return false;
    side_ = !oneTailed ? 2 : (p1 <= p0 ? 1 : 0);
    const double c = ExactCriticalValue(exact_search::kAlphaFloor, side_);
    double rho = 1.0, shift = 0.0, reach = 0.0;
    if (!(c > 0.0) || !std::isfinite(c) || !AcceptedReach(c, m1_, m2_, &rho, &shift, &reach))
        return false;
    const double m1 = m1_, m2 = m2_;

    // beta: the accepted outcomes keep L = h1 - rho h2 - shift within
    // reach of 0 on each side tested, so beta is at most the H1 mass of
    // that spread beyond the mean of L, or of its side of it.
    const double mean = p1 - rho * p2 - shift;
    double sign;
    if (side_ != 1 && mean > reach) {
        sign = 1.0;  // accepted: L <= reach
    } else if (side_ != 0 && mean < -reach) {
        sign = -1.0;  // accepted: -L <= reach
    } else {
        return false;
    }
    double logBeta = ChernoffLog(m1, p1, m2, p2, rho, shift, sign, reach);
    // The corners of the table, where a statistic without spread may give
    // 0 whatever the difference.
    for (const double x1 : {0.0, m1}) {
        for (const double x2 : {0.0, m2}) {
            logBeta = LogSum(logBeta, dbinom(x1, m1, p1, 1) + dbinom(x2, m2, p2, 1));
        }
    }

    // The size: rows of group 2 about its mode, in each the run of
    // outcomes beyond the first one the statistic rejects on each tested
    // side, each of them seen to be rejected.
    auto value = [&](int x2, int x1) { return OrientedValue(x2, x1); };
    auto rejected = [&](int x2, int x1, bool upper) {
        const double v = value(x2, x1);
        return upper ? v > c : v < -c;
    };
    const int mode = std::clamp(static_cast<int>(std::floor(m2 * p2 + 0.5)), 0, m2_);
    const int spread = std::max(1, static_cast<int>(std::sqrt(m2 * p2 * (1.0 - p2))));
    const int start1 = std::clamp(static_cast<int>(std::floor(m1 * p0 + 0.5)), 0, m1_);
    double logSize = -std::numeric_limits<double>::infinity();
    for (int j = -20; j <= 20; ++j) {
        const int x2 = mode + j * spread / 2;
        if (x2 < 0 || x2 > m2_) continue;
        const double logRow = dbinom(x2, m2, p2, 1);
        for (const bool upper : {true, false}) {
            if ((upper && side_ == 1) || (!upper && side_ == 0)) continue;
            const int step0 = upper ? 1 : -1;
            // A gallop out from the H0 mode to an outcome rejected, then
            // halving to the first one rejected after one accepted.
            int inside = start1, beyond = -1;
            if (rejected(x2, inside, upper)) continue;
            for (int step = 1; step <= m1_; step *= 2) {
                int x1 = inside + step0 * step;
                x1 = std::clamp(x1, 0, m1_);
                if (rejected(x2, x1, upper)) {
                    beyond = x1;
                    break;
                }
                if (x1 == 0 || x1 == m1_) break;
                inside = x1;
            }
            if (beyond < 0) continue;
            while (std::abs(beyond - inside) > 1) {
                const int mid = (inside + beyond) / 2;
                if (rejected(x2, mid, upper)) {
                    beyond = mid;
                } else {
                    inside = mid;
                }
            }
            double logRun = -std::numeric_limits<double>::infinity();
            for (int x1 = beyond, i = 0; 0 <= x1 && x1 <= m1_ && i < 200; x1 += step0, ++i) {
                if (!rejected(x2, x1, upper)) break;
                const double term = dbinom(x1, m1, p0, 1);
                if (term < logRun - 40.0) break;
                logRun = LogSum(logRun, term);
            }
            logSize = LogSum(logSize, logRow + logRun);
        }
    }
    // beta/size below q, with room for the rounding of the sums the
    // search would compare.
    return logBeta + std::log(2.0) < std::log(q) + logSize;
}
