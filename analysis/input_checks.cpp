// The input checks of PowerAnalysis. Each returns true when the value is
// admissible and otherwise appends its sentence to `messages`. Numbers go
// through the stream's default format (six significant digits, general
// notation), which is what the user reads. Conditions are written so that a
// NaN fails them.

#include <cmath>
#include <string>

#include "analysis/power_analysis.h"

namespace {

constexpr double kProbabilityLow = 1e-7;
constexpr double kProbabilityHigh = 0.9999999;
constexpr double kCorrelationLimit = 0.999999;

// A name followed by its sentence: the callers' names end in a blank, a line
// break or nothing at all, and a name must not run into "is".
std::string Subject(const std::string& name) {
    if (name.empty() || name.back() == ' ' || name.back() == '\n') return name;
    return name + ' ';
}

}  // namespace

bool PowerAnalysis::CheckAllocationRatio(double ratioValue, double min) {
    if (min <= ratioValue && ratioValue <= 1.0 / min) return true;
    messages << "The allocation ratio falls outside" << '\n'
             << "the admissible range (" << min << ", " << 1.0 / min << ").";
    return false;
}

bool PowerAnalysis::CheckRatio(double q, double lo, double hi) {
    if (lo <= q && q <= hi) return true;
    messages << "$\\beta$/$\\alpha$ ratio is outside the admissible range (" << lo << ", " << hi
             << ")";
    return false;
}

bool PowerAnalysis::CheckAlphaRange(double alphaValue) {
    if (kProbabilityLow <= alphaValue && alphaValue <= kProbabilityHigh) return true;
    messages << "Alpha is outside the admissible range (" << kProbabilityLow << ", "
             << kProbabilityHigh << ").";
    return false;
}

bool PowerAnalysis::CheckPowerRange(double powerValue) {
    if (kProbabilityLow <= powerValue && powerValue <= kProbabilityHigh) return true;
    messages << "Power is outside the admissible range (" << kProbabilityLow << ", "
             << kProbabilityHigh << ").";
    return false;
}

bool PowerAnalysis::CheckCorrelation(std::string name, double r) {
    if (-kCorrelationLimit < r && r < kCorrelationLimit) return true;
    messages << Subject(name) << "is outside the admissible range (" << -kCorrelationLimit << ", "
             << kCorrelationLimit << ").";
    return false;
}

bool PowerAnalysis::CheckNamedRange(std::string name, double value, double margin) {
    if (margin - 1.0 <= value && value <= 1.0 - margin) return true;
    messages << Subject(name) << "is outside the admissible range (" << margin - 1.0 << ", "
             << 1.0 - margin << ").";
    return false;
}

bool PowerAnalysis::CheckNamedRangeInclusive(std::string name, double value, double margin) {
    if (margin <= value && value <= 1.0 - margin) return true;
    messages << name << " is outside the admissible range (" << margin << ", 1-" << margin << ").";
    return false;
}

bool PowerAnalysis::CheckValueRange(std::string name, double value, double lo, double hi) {
    if (lo <= value && value <= hi) return true;
    messages << name << " is outside the admissible range (" << lo << ", " << hi << ").";
    return false;
}

bool PowerAnalysis::CheckProportion(std::string name, double p) {
    if (0.0 <= p && p < kCorrelationLimit) return true;
    messages << Subject(name) << "is outside the admissible range (" << 0 << ", "
             << kCorrelationLimit << ").";
    return false;
}

bool PowerAnalysis::CheckDfAtLeastOne(double dfValue) {
    if (dfValue >= 1.0) return true;
    messages << "Degrees of Freedom must be greater or equal one.";
    return false;
}

bool PowerAnalysis::CheckDfMinimum(double dfValue, double min) {
    if (dfValue >= min) return true;
    messages << "Degrees of Freedom must be greater " << min << ".";
    return false;
}

bool PowerAnalysis::CheckEffectSizeAbove(std::string name, double value, double min) {
    if (value >= min) return true;
    messages << "Effect size " << name << " must be greater " << min << ".";
    return false;
}

bool PowerAnalysis::CheckEffectSizeNonNegative(std::string name, double value) {
    if (value >= 0.0) return true;
    messages << "Effect size " << name << " must be non-negative.";
    return false;
}

bool PowerAnalysis::CheckEffectSizeOutside(std::string name, double value, double lo, double hi) {
    if (value <= lo || value >= hi) return true;
    messages << "Effect size " << name << " is inside the prohibited range (" << lo << ", " << hi
             << ").";
    return false;
}

bool PowerAnalysis::CheckEffectSizeRange(std::string name, double value, double lo, double hi) {
    if (lo <= value && value <= hi) return true;
    messages << "Effect size " << name << " is outside the admissible range (" << lo << ", " << hi
             << ").";
    return false;
}

bool PowerAnalysis::CheckAtLeastTwoGroups(int k) {
    if (k >= 2) return true;
    messages << "There must be at least 2 groups.";
    return false;
}

bool PowerAnalysis::CheckMinimumGroups(int k, int min) {
    if (k >= min) return true;
    messages << "There must be at least " << min << " groups.";
    return false;
}

bool PowerAnalysis::CheckAprioriEffectNonZero(std::string name, double value, double reference) {
    if (std::fabs(value - reference) > 1e-6) return true;
    messages << "In a priori calculations the effect size must not be zero." << '\n'
             << "Please choose " << name;
    return false;
}

bool PowerAnalysis::CheckNoncentralityNonNegative(std::string name, double value) {
    if (value >= 0.0) return true;
    messages << "Noncentrality parameter " << name << " must be non-negative.";
    return false;
}

bool PowerAnalysis::CheckNumberOfCovariates(int covariates, int groups, int n) {
    // Wide arithmetic: the differences of two ints may not fit an int.
    const long long q = covariates, k = groups, total = n;
    if (q >= 0 && total - q - k > 0) return true;
    messages << "The number of covariate must lie between 0 and " << total - k - 1 << ".";
    return false;
}

bool PowerAnalysis::CheckOddsRatio(double oddsRatio, double min) {
    if (min <= oddsRatio && oddsRatio <= 1.0 / min) return true;
    messages << "Effect size (odds ratio) falls outside" << '\n'
             << "the admissible range (" << min << ", " << 1.0 / min << ").";
    return false;
}

bool PowerAnalysis::CheckPowerAboveAlpha(double alphaValue, double powerValue) {
    if (powerValue >= alphaValue) return true;
    messages << "Power must be greater than or equal to alpha.";
    return false;
}

bool PowerAnalysis::CheckAtLeastOnePredictor(int p) {
    if (p >= 1) return true;
    messages << "There must be at least 1 predictor.";
    return false;
}

bool PowerAnalysis::CheckNonsphericity(double epsilon, int m) {
    // With one measurement the lower bound is infinite and every epsilon fails.
    const double lower = 1.0 / (static_cast<double>(m) - 1.0);
    if (lower <= epsilon && epsilon <= 1.0) return true;
    messages << "Correction for nonsphericity is outside\n"
             << "the admissible range (" << lower << ", 1),\n"
             << "where the lower bound corresponds to 1/(number of measurements-1)";
    return false;
}

bool PowerAnalysis::CheckEffectRatio(double ratioValue, double min) {
    if (ratioValue > min) return true;
    messages << "Effect size (ratio) must be > " << min;
    return false;
}

bool PowerAnalysis::CheckEffectGivesProportion(double effect, double p, double margin) {
    const double p1 = p + effect;
    if (margin < p1 && p1 < 1.0 - margin) return true;
    messages << "Effect size specification (" << effect << ") leads to a proportion "
             << "p1 = " << p1 << '\n'
             << "that falls outside the admissible range (" << margin << ", 1-" << margin << ").";
    return false;
}

bool PowerAnalysis::CheckAtLeastTwoMeasurements(int m) {
    if (m >= 2) return true;
    messages << "There must be at least 2 measurements.";
    return false;
}

bool PowerAnalysis::CheckAtLeastOneResponse(int p) {
    if (p >= 1) return true;
    messages << "There must be at least one response variable.";
    return false;
}

bool PowerAnalysis::CheckSampleSizeMinimum(int n, int min) {
    if (n >= min) return true;
    messages << "Sample size must be greater than or equal to " << min << ".";
    return false;
}

bool PowerAnalysis::CheckSampleSizeRange(int n, int lo, int hi) {
    if (lo <= n && n <= hi) return true;
    messages << "Sample size is outside the admissible range (" << lo << ", " << hi << ")";
    return false;
}

bool PowerAnalysis::CheckTotalSampleSize(int n, int lo, int hi) {
    if (lo <= n && n <= hi) return true;
    messages << "Total sample size is outside the admissible range (" << lo << ", " << hi << ")";
    return false;
}

bool PowerAnalysis::CheckStandardError(double sigma, double min) {
    if (sigma >= min) return true;
    messages << "Standard error $\\sigma$ must be greater or equal " << min << ".";
    return false;
}

bool PowerAnalysis::CheckSampleSizeAboveGroups(int n, int k) {
    if (n > k) return true;
    messages << "Sample size must be greater than\nthe number of groups (" << k << ").";
    return false;
}

bool PowerAnalysis::CheckSampleSizeAbovePredictors(int n, int p) {
    if (static_cast<long long>(n) >= static_cast<long long>(p) + 2) return true;
    messages << "Sample size must be greater than\n the number of predictors (" << p << ") + 2.";
    return false;
}

bool PowerAnalysis::CheckSampleSizeAboveMeasurements(int n, int m) {
    if (n > m) return true;
    messages << "Sample size must be greater than\n the number of measurements (" << m << ").";
    return false;
}

bool PowerAnalysis::CheckSampleSizeAboveResponses(int n, int p) {
    if (static_cast<long long>(n) >= static_cast<long long>(p) + 1) return true;
    messages << "Sample size must be greater than\n the number of response variables (" << p
             << ") + 1.";
    return false;
}

bool PowerAnalysis::CheckTotalSampleSizeAboveResponses(int n, int p) {
    if (static_cast<long long>(n) >= static_cast<long long>(p) + 2) return true;
    messages << "Total sample size must be greater than\n the number of response variables (" << p
             << ") + 2.";
    return false;
}

bool PowerAnalysis::CheckSampleSizeMultipleOfGroups(int n, int k) {
    // No group count, nothing to divide by: there is no note to give.
    if (k < 1 || n % k == 0) return true;
    messages << "The total sample size (" << n << ") is not a multiple of" << '\n'
             << "the number of groups (" << k << "). The analysis was " << '\n'
             << "based on the average group size.";
    return false;
}
