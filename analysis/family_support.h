#pragma once

// Small pieces that the statistical test families share.

#include <algorithm>
#include <cfloat>
#include <climits>

#include "analysis/ids.h"
#include "analysis/power_analysis.h"

// The standard beta/alpha ratio of the tests: four units in the last place
// above 1, the ratio a Compromise input shows for alpha 0.05 and power 0.95.
inline constexpr double kStandardRatio = 1.0 + 4.0 * DBL_EPSILON;

// The largest degrees of freedom a df input of the generic tests takes.
// The chi-square distribution functions lose digits beyond it (and refuse
// such df); the t and F results have reached their limits for infinite df
// to double precision long before, so nothing is lost for them, and the
// noncentrality a Sensitivity search needs stays within reach.
inline constexpr double kLargestDf = 1e15;

// The largest noncentrality lambda the noncentral F and chi-square sums
// take: beyond it they refuse, since an answer would take seconds and more.
inline constexpr double kLargestLambda = 1e10;

// The largest |delta| of the generic t test. The noncentral t sums grow
// with delta: at 1e4 a Criterion search still ends within a second, at 1e5
// it took a minute on the far side; the power has long been 0 or 1.
inline constexpr double kLargestDelta = 1e4;

// The standard quantities an analysis type takes as given. Every test
// shows them in this order (effect, alpha, power, beta/alpha ratio) ahead
// of its own design inputs; A priori computes the sample size, the other
// types take it as given.
struct GivenInputs {
    bool effect = false;
    bool alpha = false;
    bool power = false;
    bool ratio = false;
    bool sampleSize = false;
};

constexpr GivenInputs GivenInputsOf(AnalysisType type) {
    switch (type) {
        case kAPriori:
            return {true, true, true, false, false};
        case kSensitivity:
            return {false, true, true, false, true};
        case kPostHoc:
            return {true, true, false, false, true};
        case kCriterion:
            return {true, false, true, false, true};
        case kCompromise:
            return {true, false, false, true, true};
    }
    return {};
}

// Runs a search that moves `value` through its trial values. When the
// search fails, the value from before is put back before the failure goes
// on to the caller, so that the screen keeps showing what the user last saw.
template <class Search>
double RestoringOnFailure(double& value, Search search) {
    const double previous = value;
    try {
        return search();
    } catch (...) {
        value = previous;
        throw;
    }
}

// Appends the given standard inputs of `type` in their order; `addEffect`
// appends the effect input, which each test makes its own way (a generic
// test's effect is its noncentrality). The sample-size inputs differ by
// design and stay with the test.
template <class AddEffect>
void AddGivenInputs(PowerAnalysis& test, AnalysisType type, PropertyList* inputs,
                    AddEffect addEffect) {
    const GivenInputs given = GivenInputsOf(type);
    if (given.effect) addEffect();
    if (given.alpha) test.AddAlphaInput(inputs);
    if (given.power) test.AddPowerInput(inputs);
    if (given.ratio) test.AddRatioInput(inputs);
}

// The sum of two group sizes as an int count, held in the int range (two
// 32-bit sizes need not add up to one).
inline int GroupSizeSum(long n1, long n2) {
    const long long sum = static_cast<long long>(n1) + n2;
    if (sum > INT_MAX) return INT_MAX;
    if (sum < INT_MIN) return INT_MIN;
    return static_cast<int>(sum);
}

// Power of a test of the variance ratio r = var1/var0 whose statistic
// follows `central` (noncentrality 0, scale 1) under H0 and r times that
// distribution under H1. One tail takes the side of r: the upper tail for
// r > 1, else the lower one, with both critical values at its quantile.
// Two tails split alpha equally; *upper receives the larger critical value.
// Every tail is taken on its own side, so that alpha and beta far below
// 1e-16 keep their digits; beta, when asked for, is the acceptance region
// summed from the side away from the bulk of the H1 distribution.
inline double VarianceRatioPower(Distribution& central, double r, double alpha, bool oneTailed,
                                 double* upper, double* lower, double* beta = nullptr) {
    double power, acceptance = 0.0;
    if (oneTailed) {
        if (r > 1.0) {
            *upper = *lower = central.UpperQuantile(alpha);
            power = central.Survival(*upper / r);
            acceptance = beta ? central.Cdf(*upper / r) : 0.0;
        } else {
            *upper = *lower = central.Quantile(alpha);
            power = central.Cdf(*lower / r);
            acceptance = beta ? central.Survival(*lower / r) : 0.0;
        }
    } else {
        *upper = central.UpperQuantile(alpha / 2.0);
        *lower = central.Quantile(alpha / 2.0);
        power = central.Survival(*upper / r) + central.Cdf(*lower / r);
        if (beta) {
            acceptance = r > 1.0 ? central.Cdf(*upper / r) - central.Cdf(*lower / r)
                                 : central.Survival(*lower / r) - central.Survival(*upper / r);
        }
    }
    if (beta) *beta = std::max(0.0, acceptance);
    return power;
}
