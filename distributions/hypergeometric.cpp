#include "distributions/hypergeometric.h"

#include <algorithm>
#include <cmath>

#include "numerics/saddle_point.h"

namespace {

double Whole(double v) {
    return std::floor(v + 0.5);
}

// A term is negligible once it no longer changes the running sum at a
// relative 1e-30; against a zero sum nothing is negligible.
bool Negligible(double term, double sum) {
    return sum != 0.0 && std::fabs(term) / std::fabs(sum) <= 1e-30;
}

// Counts are handled as int; larger populations are refused.
constexpr double kLargestCount = 1e9;

bool CountsValid(double n, double K, double N) {
    return 0.0 <= n && n <= N && 0.0 <= K && K <= N && N <= kLargestCount;
}

[[noreturn]] void OutOfRange(double value) {
    throw QuorixError("HypergeometricDist-Quantile: input parameter out of range",
                      QuorixError::kOutOfRange, value);
}

}  // namespace

double HypergeometricDistribution::Pdf(double x) {
    const double r = Whole(p[1]);
    return HypergeometricDensity(Whole(x), r, Whole(p[2]) - r, Whole(p[0]), 0);
}

double HypergeometricDistribution::GetVariance() {
    const double n = p[0], K = p[1], N = p[2];
    return (1.0 - K / N) * (n * K) * (N - n) / ((N - 1.0) * N);
}

int HypergeometricDistribution::RoundedMean() {
    // An empty population (N = 0, hence n = K = 0) has the mean 0/0; its
    // only count is 0. A NaN converted to int would be undefined, and the
    // sums from that "mode" would run through the whole int range.
    const double mean = GetMean();
    return std::isnan(mean) ? 0 : static_cast<int>(std::floor(mean + 0.5));
}

double HypergeometricDistribution::RatioDown(double j) const {
    const double n = Whole(p[0]), K = Whole(p[1]), N = Whole(p[2]);
    return (((N - K) - n + j + 1.0) / (K - j)) * ((j + 1.0) / (n - j));
}

double HypergeometricDistribution::RatioUp(double k) const {
    const double n = Whole(p[0]), K = Whole(p[1]), N = Whole(p[2]);
    return ((n - k + 1.0) / k) * ((K - k + 1.0) / ((N - K - n) + k));
}

double HypergeometricDistribution::SumDownFromMode(double target, int* last) {
    const int m = RoundedMean();
    *last = m - 1;
    if (m - 1 < 0) {
        *last = m;
        return 0.0;
    }
    double term = Pdf(m - 1);
    double sum = term;
    while (*last > 0) {
        if (target >= 1.0 && Negligible(term, sum)) break;
        if (target <= sum) break;
        --*last;
        term *= RatioDown(*last);
        sum += term;
    }
    return sum;
}

double HypergeometricDistribution::SumUpFromMode(double target, int* last) {
    const int m = RoundedMean();
    const int limit = static_cast<int>(Whole(std::min(p[0], p[1])));
    *last = m;
    double term = Pdf(m);
    double sum = term;
    while (*last < limit) {
        if (target >= 1.0 && Negligible(term, sum)) break;
        if (target <= sum) break;
        ++*last;
        term *= RatioUp(*last);
        sum += term;
    }
    return sum;
}

double HypergeometricDistribution::Cdf(double x) {
    const double n = p[0], K = p[1], N = p[2];
    const double r = Whole(x);
    if (std::isnan(r) || !CountsValid(n, K, N)) OutOfRange(r);
    if (r < 0.0) return 0.0;
    if (r >= K || r >= n) return 1.0;
    // Below the lowest possible count n + K - N nothing has probability.
    if (K + n - r > N) return 0.0;

    const int m = RoundedMean();
    if (r < m) {
        double term = Pdf(r);
        double sum = term;
        for (double j = r - 1.0; j >= 0.0 && !Negligible(term, sum); j -= 1.0) {
            term *= RatioDown(j);
            sum += term;
        }
        return sum;
    }
    int last = 0;
    double term = Pdf(m);
    double sum = SumDownFromMode(1.0, &last) + term;
    for (double k = m + 1.0; k <= r && !Negligible(term, sum); k += 1.0) {
        term *= RatioUp(k);
        sum += term;
    }
    return sum;
}

double HypergeometricDistribution::Quantile(double prob) {
    const double n = p[0], K = p[1], N = p[2];
    if (!CountsValid(n, K, N) || !(0.0 <= prob && prob <= 1.0)) OutOfRange(prob);
    if (prob == 0.0) return 0.0;
    if (prob == 1.0) return std::min(n, K);

    const int m = RoundedMean();
    int last = 0;
    const double below = SumDownFromMode(1.0, &last);
    if (below == prob) return m - 1;

    if (below > prob) {
        // The count k reached when the terms below the mode, summed downward,
        // cover below - prob is the answer; that difference keeps prob to
        // about 1e-16 * below, so a prob far in the lower tail is found by
        // summing upward from the lowest possible count instead, term by
        // term (the terms at the bottom may underflow, so no ratio is carried
        // through them).
        if (prob / below > 1e-6) {
            int k = 0;
            SumDownFromMode(below - prob, &k);
            return k;
        }
        double sum = 0.0;
        for (int j = static_cast<int>(std::max(0.0, Whole(n) + Whole(K) - Whole(N))); j < m; ++j) {
            sum += Pdf(j);
            if (sum >= prob) return j;
        }
        return m - 1;
    }

    const int limit = static_cast<int>(Whole(std::min(n, K)));
    if (std::fabs(1.0 - prob) / std::fabs(1.0 - below) > 1e-29) {
        const double target = prob - below;
        int k = m;
        double term = Pdf(m);
        double sum = term;
        while (k < limit) {
            if (target >= 1.0 && Negligible(term, sum)) break;
            if (target <= sum) break;
            ++k;
            term *= RatioUp(k);
            sum += term;
        }
        return k;
    }
    // prob within a relative 1e-29 of 1: subtract the top terms from 1.
    double s = 1.0;
    int i = static_cast<int>(std::min(n, K));
    while (i >= m) {
        s -= Pdf(i);
        --i;
        if (s <= prob) break;
    }
    return i + 1;
}

double HypergeometricDistribution::FindTwoSidedBounds(double target, int* lower, int* upper) {
    const int limit = static_cast<int>(Whole(std::min(p[0], p[1])));
    // 0/0 for an empty population, whose only count is 0.
    const double mean = std::isnan(GetMean()) ? 0.0 : GetMean();
    *lower = static_cast<int>(std::floor(mean));
    *upper = static_cast<int>(std::ceil(mean));
    if (*lower == *upper) ++*upper;

    double pu = Pdf(*upper);
    double pl = Pdf(*lower);
    if (pu >= pl && pu >= target) {
        *lower = *upper;
        return pu;
    }
    if (pu < pl && pl >= target) {
        *upper = *lower;
        return pl;
    }
    double sum = pl + pu;
    *lower = std::max(*lower, 0);

    // The probabilities of the two neighbours of the interval, by the
    // ratios from its end terms; no neighbour beyond the support.
    auto lowerCandidate = [&] { return *lower > 0 ? pl * RatioDown(*lower - 1) : -1.0; };
    auto upperCandidate = [&] { return *upper < limit ? pu * RatioUp(*upper + 1) : -1.0; };
    double below = lowerCandidate();
    double above = upperCandidate();
    while (sum < target && (below >= 0.0 || above >= 0.0)) {
        // Mirror-image counts of a symmetric distribution have equal
        // probabilities that the ratios may round apart: such a tie still
        // goes to the lower side.
        if (below >= 0.0 && below >= above * (1.0 - 1e-12)) {
            --*lower;
            pl = below;
            sum += pl;
            below = lowerCandidate();
        } else {
            ++*upper;
            pu = above;
            sum += pu;
            above = upperCandidate();
        }
    }
    return sum;
}
