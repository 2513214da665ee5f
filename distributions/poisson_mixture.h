#pragma once

#include <algorithm>
#include <cmath>

#include "numerics/cancel.h"
#include "numerics/saddle_point.h"

// The Poisson mixture beneath the noncentral chi-square and F densities:
// the sum over j >= 0 of Poisson(j; h) c_j, where c_j is a central density
// with its shape parameter raised by j. The caller gives c_j afresh
// (exact(j)) and the ratios of neighbouring terms (up(j) = c_{j+1} / c_j,
// down(j) = c_{j-1} / c_j).
//
// The sum runs from the Poisson mode outwards on both sides. A side stops
// once its weights have fallen below 2.2e-25 of the mode's and its terms
// below 2.2e-25 of the largest: far in a tail the terms peak well away from
// the Poisson mode, where the weights alone would stop short of them (a
// quarter of the density at a third of the mean, lambda 1000).
//
// With byRatio (a large h spreads the mixture over millions of terms) the
// weight and c_j of an index follow from those of its neighbour by their
// ratios, and are taken afresh every 64 indices, so that the rounding of the
// ratios never runs over more than that many steps; with anchorNearTiny
// also wherever they near the subnormal range, whose few digits the ratios
// would carry on (a caller that needs only a slope can spare that work). *notConverged reports a
// sum that the term limit, max(3 trunc(h), 1000), ended while the weights still counted; terms
// beyond the weights' end only refine the sum, so running out of them is no failure.
template <class Exact, class Up, class Down>
double SumPoissonMixture(double h, bool byRatio, bool anchorNearTiny, Exact exact, Up up, Down down,
                         bool* notConverged) {
    constexpr int kAnchorEvery = 64;
    constexpr double kTiny = 1e-290;
    constexpr double kNegligible = 2.220446049250313e-25;
    const double k0 = std::trunc(h);
    const double maxit = std::max(3.0 * k0, 1000.0);
    const double w0 = PoissonDensity(k0, h, 0);

    struct Side {
        double index;
        double weight = 0.0, term = 0.0;
        int sinceAnchor = kAnchorEvery;
        bool weightsDone = false;
    };
    double sum = 0.0;
    double count = 0.0;
    double peak = 0.0;
    // Adds the term of the side's index and moves it one step outwards, or
    // to -1 once it is done.
    auto addAndMove = [&](Side& side, double step) {
        const double j = side.index;
        if (!byRatio || side.sinceAnchor >= kAnchorEvery ||
            (anchorNearTiny && (side.weight < kTiny || side.term < kTiny))) {
            side.weight = PoissonDensity(j, h, 0);
            side.term = exact(j);
            side.sinceAnchor = 0;
        }
        const double term = side.weight * side.term;
        sum += term;
        count += 1.0;
        peak = std::max(peak, term);
        if (!(side.weight / w0 > kNegligible)) side.weightsDone = true;
        if (side.weightsDone && !(term > kNegligible * peak)) {
            side.index = -1.0;
            return;
        }
        if (step > 0.0) {
            side.weight *= h / (j + 1.0);
            side.term *= up(j);
        } else {
            side.weight *= j / h;
            side.term *= down(j);
        }
        ++side.sinceAnchor;
        side.index = j + step;
    };

    Side lower{k0};
    Side upper{k0 + 1.0};
    // A huge h sums millions of terms: a worker may be asked to stop meanwhile.
    unsigned steps = 0;
    while (count < maxit) {
        if ((++steps & 1023u) == 0) CancelCheck::Poll();
        if (lower.index >= 0.0) addAndMove(lower, -1.0);
        if (upper.index >= 0.0) addAndMove(upper, 1.0);
        if (lower.index < 0.0 && upper.index < 0.0) break;
    }
    const bool weightsDone =
        (lower.index < 0.0 || lower.weightsDone) && (upper.index < 0.0 || upper.weightsDone);
    *notConverged = count >= maxit && !weightsDone;
    return sum;
}
