#include "tests/multivariate/power_mult_criterion.h"

#include <algorithm>
#include <cmath>

#include "analysis/ids.h"
#include "numerics/quorix_error.h"

namespace {

double Smaller(int a, int b) {
    return static_cast<double>(std::min(a, b));
}

// The factor of a repeated-measures conversion: (m - 1) rho + 1 for the
// between-subjects effect (compound symmetry), else 1 - rho.
double RepeatedFactor(double rho, double m, bool useCompoundFactor) {
    return useCompoundFactor ? (m - 1.0) * rho + 1.0 : 1.0 - rho;
}

}  // namespace

double RootOfSquaredEffect(double square) {
    if (!(square >= 0.0)) {
        throw QuorixError("MultCriterion: squared effect size is negative",
                          QuorixError::kOutOfRange, square);
    }
    return std::sqrt(square);
}

// ------------------------------------------------------- shared operations

double PowerMultCriterion::SetFromProportion(double x, double n, int k, int pd, int qd) {
    const double square = x == 1.0 ? 1e30 : x / (1.0 - x);
    return SetFromEffect(RootOfSquaredEffect(square), n, k, pd, qd);
}

double PowerMultCriterion::ToRepeatedMeasuresEffect(double effect, double rho, double w, double,
                                                    double m, bool useCompoundFactor) {
    if (!IsOBrienShieh()) return effect;
    const double weight = useCompoundFactor && !WeightsAlways() ? 1.0 : w;
    return RootOfSquaredEffect(effect * effect * m * weight /
                               (RepeatedFactor(rho, m, useCompoundFactor) * RepeatedScale()));
}

double PowerMultCriterion::FromRepeatedMeasuresEffect(double effect, double rho, double w, double,
                                                      double m, bool useCompoundFactor) {
    if (!IsOBrienShieh()) return effect;
    const double weight = useCompoundFactor && !WeightsAlways() ? 1.0 : w;
    return RootOfSquaredEffect(RepeatedScale() * RepeatedFactor(rho, m, useCompoundFactor) *
                               effect * effect / (m * weight));
}

double PowerMultCriterion::CriterionFromRepeatedEffect(double effect, double rho, double w,
                                                       double z, double m, bool useCompoundFactor) {
    if (!IsOBrienShieh()) return effect;
    const double converted = ToRepeatedMeasuresEffect(effect, rho, w, z, m, useCompoundFactor);
    return CriterionOfSquare(converted * converted);
}

double PowerMultCriterion::RepeatedEffectFromCriterion(double value, double rho, double w, double z,
                                                       double m, bool useCompoundFactor) {
    if (!IsOBrienShieh()) return value;
    const double effect = RootOfSquaredEffect(SquareOfCriterion(value));
    return FromRepeatedMeasuresEffect(effect, rho, w, z, m, useCompoundFactor);
}

// ------------------------------------------------------------------ Wilks

double WilksCriterion::RaoExponent(int pd, int qd) {
    const double a = pd, b = qd;
    if (a * b < 4.0) return 1.0;
    return std::sqrt((a * a * b * b - 4.0) / (a * a + b * b - 5.0));
}

double WilksCriterion::ComputeDf(double n, int k, int pd, int qd) {
    const double g = RaoExponent(pd, qd);
    raoCenter = (qd - pd + 1) / 2.0 + k;
    raoOffset = (pd * qd - 2) / 2.0;
    df1 = static_cast<double>(pd) * qd;
    df2 = g * (n - raoCenter) - raoOffset;
    s = g;
    return g;
}

double WilksCriterion::EffectToCriterion(double effect) const {
    return 1.0 / (1.0 + effect * effect);
}

double WilksCriterion::MinimumSampleSize(int, int pd, int qd) const {
    return (pd + 1.0) * (qd + 1.0);
}

double WilksCriterion::EffectFromCriterion(double value, double, int, int pd, int qd) {
    const double g = RaoExponent(pd, qd);
    criterionValue = value;
    f2 = std::pow(value, -1.0 / g) - 1.0;
    f = RootOfSquaredEffect(f2);
    return f;
}

double WilksCriterion::CriterionOfSquare(double square) {
    return std::pow(1.0 + square, -RaoExponent(p, q));
}

double WilksCriterion::SquareOfCriterion(double value) {
    return std::pow(value, -1.0 / RaoExponent(p, q)) - 1.0;
}

double PowerMultWilksMP::SetFromEffect(double effect, double n, int k, int pd, int qd) {
    const double g = ComputeDf(n, k, pd, qd);
    f = effect;
    f2 = effect * effect;
    noncentrality = df2 * f2;
    criterionValue = std::pow(1.0 / (1.0 + f2), g);
    proportion = noncentrality / (df2 + noncentrality);
    return noncentrality;
}

double PowerMultWilksMP::SetFromCriterion(double value, double n, int k, int pd, int qd) {
    const double g = ComputeDf(n, k, pd, qd);
    criterionValue = value;
    const double root = std::pow(value, 1.0 / g);
    f2 = (1.0 - root) / root;
    f = RootOfSquaredEffect(f2);
    noncentrality = df2 * f2;
    proportion = noncentrality / (df2 + noncentrality);
    return noncentrality;
}

double PowerMultWilksMP::CriterionToEffect(double value) const {
    return RootOfSquaredEffect((1.0 - value) / value);
}

double PowerMultWilksMP::NoncentralityFromEffect(double effect, double n, int k, int pd, int qd) {
    return SetFromEffect(effect, n, k, pd, qd);
}

double PowerMultWilksMP::SampleSizeFromNoncentrality(double effect, double lambda, int k, int pd,
                                                     int qd) {
    const double x = lambda / (effect * effect);
    return (x + (pd * qd - 2) / 2.0) / RaoExponent(pd, qd) + (qd - pd + 1) / 2.0 + k;
}

double PowerMultWilksMP::EffectFromNoncentrality(double lambda, double n, int k, int pd, int qd) {
    ComputeDf(n, k, pd, qd);
    return RootOfSquaredEffect(lambda / df2);
}

double PowerMultWilksOS::SetFromEffect(double effect, double n, int k, int pd, int qd) {
    const double g = ComputeDf(n, k, pd, qd);
    f = effect;
    f2 = effect * effect;
    noncentrality = g * f2 * n;
    criterionValue = std::pow(1.0 + f2, -g);
    proportion = f2 / (1.0 + f2);
    return noncentrality;
}

double PowerMultWilksOS::SetFromCriterion(double value, double n, int k, int pd, int qd) {
    const double g = ComputeDf(n, k, pd, qd);
    criterionValue = value;
    f2 = std::pow(value, -1.0 / g) - 1.0;
    f = RootOfSquaredEffect(f2);
    noncentrality = g * f2 * n;
    proportion = f2 / (1.0 + f2);
    return noncentrality;
}

double PowerMultWilksOS::CriterionToEffect(double value) const {
    return RootOfSquaredEffect(1.0 / value - 1.0);
}

double PowerMultWilksOS::NoncentralityFromEffect(double effect, double n, int k, int pd, int qd) {
    return SetFromEffect(effect, n, k, pd, qd);
}

double PowerMultWilksOS::SampleSizeFromNoncentrality(double effect, double lambda, int, int pd,
                                                     int qd) {
    return lambda / (effect * effect) / RaoExponent(pd, qd);
}

double PowerMultWilksOS::EffectFromNoncentrality(double lambda, double n, int, int pd, int qd) {
    return RootOfSquaredEffect(lambda / (RaoExponent(pd, qd) * n));
}

// ---------------------------------------------------- Hotelling-Lawley T1

double HotellingLawley1Criterion::ComputeDf(double n, int k, int pd, int qd) {
    s = Smaller(pd, qd);
    df1 = static_cast<double>(pd) * qd;
    df2 = s * (n - k - qd - 1.0) + 2.0;
    return s;
}

double HotellingLawley1Criterion::CriterionToEffect(double value) const {
    return RootOfSquaredEffect(value);
}

double HotellingLawley1Criterion::EffectFromCriterion(double value, double, int, int pd, int qd) {
    s = Smaller(pd, qd);
    criterionValue = value;
    f2 = value / s;
    f = RootOfSquaredEffect(f2);
    return f;
}

double HotellingLawley1Criterion::RepeatedScale() {
    return Smaller(p, q);
}

double HotellingLawley1Criterion::CriterionOfSquare(double square) {
    return Smaller(p, q) * square;
}

double HotellingLawley1Criterion::SquareOfCriterion(double value) {
    return value / Smaller(p, q);
}

double PowerMultHL1MP::SetFromEffect(double effect, double n, int k, int pd, int qd) {
    ComputeDf(n, k, pd, qd);
    f = effect;
    f2 = effect * effect;
    noncentrality = df2 * f2;
    criterionValue = s * f2;
    proportion = noncentrality / (df2 + noncentrality);
    return noncentrality;
}

double PowerMultHL1MP::SetFromCriterion(double value, double n, int k, int pd, int qd) {
    ComputeDf(n, k, pd, qd);
    criterionValue = value;
    f2 = value / s;
    f = RootOfSquaredEffect(f2);
    noncentrality = df2 * f2;
    proportion = noncentrality / (df2 + noncentrality);
    return noncentrality;
}

double PowerMultHL1MP::NoncentralityFromEffect(double effect, double n, int k, int pd, int qd) {
    return SetFromEffect(effect, n, k, pd, qd);
}

double PowerMultHL1MP::SampleSizeFromNoncentrality(double effect, double lambda, int k, int pd,
                                                   int qd) {
    const double x = lambda / (effect * effect);
    return (x - 2.0) / Smaller(pd, qd) + k + qd + 1.0;
}

double PowerMultHL1MP::EffectFromNoncentrality(double lambda, double n, int k, int pd, int qd) {
    ComputeDf(n, k, pd, qd);
    return RootOfSquaredEffect(lambda / df2);
}

double PowerMultHL1OS::SetFromEffect(double effect, double n, int, int pd, int qd) {
    s = Smaller(pd, qd);
    f = effect;
    f2 = effect * effect;
    criterionValue = s * f2;
    noncentrality = criterionValue * n;
    proportion = criterionValue / (criterionValue + s);
    return noncentrality;
}

double PowerMultHL1OS::SetFromCriterion(double value, double n, int, int pd, int qd) {
    s = Smaller(pd, qd);
    criterionValue = value;
    f2 = value / s;
    f = RootOfSquaredEffect(f2);
    noncentrality = value * n;
    proportion = value / (value + s);
    return noncentrality;
}

double PowerMultHL1OS::NoncentralityFromEffect(double effect, double n, int, int pd, int qd) {
    return Smaller(pd, qd) * effect * effect * n;
}

double PowerMultHL1OS::SampleSizeFromNoncentrality(double effect, double lambda, int, int pd,
                                                   int qd) {
    return lambda / (effect * effect) / Smaller(pd, qd);
}

double PowerMultHL1OS::EffectFromNoncentrality(double lambda, double n, int, int pd, int qd) {
    return RootOfSquaredEffect(lambda / (Smaller(pd, qd) * n));
}

// ---------------------------------------------------- Hotelling-Lawley T2

double HotellingLawley2Criterion::ComputeDf(double n, int k, int pd, int qd) {
    const double e = n - k;
    const double a = pd, b = qd;
    const double h = (e * e - (2.0 * b + 3.0) * e + b * (b + 3.0)) /
                     ((a + b + 1.0) * e - (b * b + 2.0 * b + a - 1.0));
    df1 = a * b;
    df2 = (a * b + 2.0) * h + 4.0;
    return h;
}

double HotellingLawley2Criterion::Kappa(double n, int k, int pd, int qd) {
    ComputeDf(n, k, pd, qd);
    return (df2 - 2.0) / (n - k - qd - 1.0);
}

double HotellingLawley2Criterion::CriterionToEffect(double value) const {
    return RootOfSquaredEffect(value);
}

double HotellingLawley2Criterion::EffectFromCriterion(double value, double n, int k, int pd,
                                                      int qd) {
    SetFromCriterion(value, n, k, pd, qd);
    return f;
}

double HotellingLawley2Criterion::RepeatedScale() {
    return Kappa(sampleSize, groups, p, q);
}

double HotellingLawley2Criterion::CriterionOfSquare(double square) {
    return Kappa(sampleSize, groups, p, q) * square;
}

double HotellingLawley2Criterion::SquareOfCriterion(double value) {
    return value / Kappa(sampleSize, groups, p, q);
}

double PowerMultHL2MP::SetFromEffect(double effect, double n, int k, int pd, int qd) {
    const double kappa = Kappa(n, k, pd, qd);
    f = effect;
    f2 = effect * effect;
    noncentrality = df2 * f2;
    criterionValue = kappa * f2;
    proportion = noncentrality / (df2 + noncentrality);
    return noncentrality;
}

double PowerMultHL2MP::SetFromCriterion(double value, double n, int k, int pd, int qd) {
    const double kappa = Kappa(n, k, pd, qd);
    criterionValue = value;
    f2 = value / kappa;
    f = RootOfSquaredEffect(f2);
    noncentrality = df2 * f2;
    proportion = noncentrality / (df2 + noncentrality);
    return noncentrality;
}

double PowerMultHL2MP::NoncentralityFromEffect(double effect, double n, int k, int pd, int qd) {
    return SetFromEffect(effect, n, k, pd, qd);
}

// df2 grows with N but has no closed inverse: N is found by bisection on
// df2(N) f² = lambda above the smallest admissible N.
double PowerMultHL2MP::SampleSizeFromNoncentrality(double effect, double lambda, int k, int pd,
                                                   int qd) {
    const double target = lambda / (effect * effect);
    auto excess = [&](double n) {
        ComputeDf(n, k, pd, qd);
        return df2 - target;
    };
    double lower = MinimumSampleSize(k, pd, qd);
    double upper = 2.0 * lower + 10.0;
    for (int i = 0; i < 200 && excess(upper) < 0.0; ++i) {
        lower = upper;
        upper *= 2.0;
    }
    if (excess(lower) > 0.0) return lower;
    for (int i = 0; i < 200 && upper - lower > 1e-12 * upper; ++i) {
        const double middle = 0.5 * (lower + upper);
        (excess(middle) < 0.0 ? lower : upper) = middle;
    }
    return 0.5 * (lower + upper);
}

double PowerMultHL2MP::EffectFromNoncentrality(double lambda, double n, int k, int pd, int qd) {
    ComputeDf(n, k, pd, qd);
    return RootOfSquaredEffect(lambda / df2);
}

double PowerMultHL2OS::SetFromEffect(double effect, double n, int k, int pd, int qd) {
    const double kappa = Kappa(n, k, pd, qd);
    f = effect;
    f2 = effect * effect;
    criterionValue = kappa * f2;
    noncentrality = criterionValue * n;
    proportion = criterionValue / (criterionValue + kappa);
    return noncentrality;
}

double PowerMultHL2OS::SetFromCriterion(double value, double n, int k, int pd, int qd) {
    const double kappa = Kappa(n, k, pd, qd);
    criterionValue = value;
    f2 = value / kappa;
    f = RootOfSquaredEffect(f2);
    noncentrality = value * n;
    proportion = value / (value + kappa);
    return noncentrality;
}

double PowerMultHL2OS::NoncentralityFromEffect(double effect, double n, int k, int pd, int qd) {
    return SetFromEffect(effect, n, k, pd, qd);
}

// The positive root of kappa(N) N f² = lambda, a quadratic in N.
double PowerMultHL2OS::SampleSizeFromNoncentrality(double effect, double lambda, int k, int pd,
                                                   int qd) {
    const double x = lambda / (effect * effect);
    const double a = k + 1.0, b = pd + qd + 1.0, d = k + qd + 2.0, e = pd * qd + 2.0;
    const double big = -2.0 * a - b * x + 2.0 * pd - pd * qd * d;
    const double disc =
        4.0 * (1.0 - (qd + 2.0) * qd - (qd + 1.0 + pd) * k - pd) * x * e + big * big;
    return (RootOfSquaredEffect(disc) + 2.0 * a + b * x - 2.0 * pd + qd * d * pd) / (2.0 * e);
}

double PowerMultHL2OS::EffectFromNoncentrality(double lambda, double n, int k, int pd, int qd) {
    return RootOfSquaredEffect(lambda / (Kappa(n, k, pd, qd) * n));
}

// ---------------------------------------------------------------- Pillai

double PillaiCriterion::ComputeDf(double n, int k, int pd, int qd) {
    s = Smaller(pd, qd);
    df1 = static_cast<double>(pd) * qd;
    df2 = s * (n - k - qd + s);
    return s;
}

double PillaiCriterion::CriterionToEffect(double value) const {
    return RootOfSquaredEffect(value / (1.0 - value));
}

double PillaiCriterion::MinimumSampleSize(int k, int pd, int qd) const {
    // In doubles: the counts may each be as large as an int holds.
    return static_cast<double>(k) + qd + Smaller(pd, qd) + 1.0;
}

double PillaiCriterion::EffectFromCriterion(double value, double, int, int pd, int qd) {
    s = Smaller(pd, qd);
    f2 = value / (s - value);
    f = RootOfSquaredEffect(f2);
    return f;
}

double PillaiCriterion::RepeatedScale() {
    return Smaller(p, q);
}

double PillaiCriterion::CriterionOfSquare(double square) {
    return Smaller(p, q) * square / (square + 1.0);
}

double PillaiCriterion::SquareOfCriterion(double value) {
    return value / (Smaller(p, q) - value);
}

double PowerMultPillaiMP::SetFromEffect(double effect, double n, int k, int pd, int qd) {
    ComputeDf(n, k, pd, qd);
    f = effect;
    f2 = effect * effect;
    noncentrality = df2 * f2;
    criterionValue = s * f2 / (f2 + 1.0);
    proportion = noncentrality / (df2 + noncentrality);
    return noncentrality;
}

double PowerMultPillaiMP::SetFromCriterion(double value, double n, int k, int pd, int qd) {
    ComputeDf(n, k, pd, qd);
    criterionValue = value;
    f2 = value / (s - value);
    f = RootOfSquaredEffect(f2);
    noncentrality = df2 * f2;
    proportion = noncentrality / (df2 + noncentrality);
    return noncentrality;
}

double PowerMultPillaiMP::NoncentralityFromEffect(double effect, double n, int k, int pd, int qd) {
    return SetFromEffect(effect, n, k, pd, qd);
}

double PowerMultPillaiMP::SampleSizeFromNoncentrality(double effect, double lambda, int k, int pd,
                                                      int qd) {
    const double sd = Smaller(pd, qd);
    return lambda / (effect * effect) / sd + k + qd - sd;
}

double PowerMultPillaiMP::EffectFromNoncentrality(double lambda, double n, int k, int pd, int qd) {
    ComputeDf(n, k, pd, qd);
    return RootOfSquaredEffect(lambda / df2);
}

double PowerMultPillaiOS::SetFromEffect(double effect, double n, int, int pd, int qd) {
    s = Smaller(pd, qd);
    f = effect;
    f2 = effect * effect;
    criterionValue = s * f2 / (f2 + 1.0);
    noncentrality = s * f2 * n;
    proportion = criterionValue / s;
    return noncentrality;
}

double PowerMultPillaiOS::SetFromCriterion(double value, double n, int, int pd, int qd) {
    s = Smaller(pd, qd);
    criterionValue = value;
    f2 = value / (s - value);
    f = RootOfSquaredEffect(f2);
    noncentrality = s * f2 * n;
    proportion = value / s;
    return noncentrality;
}

double PowerMultPillaiOS::NoncentralityFromEffect(double effect, double n, int, int pd, int qd) {
    return Smaller(pd, qd) * effect * effect * n;
}

double PowerMultPillaiOS::SampleSizeFromNoncentrality(double effect, double lambda, int, int pd,
                                                      int qd) {
    return lambda / (effect * effect) / Smaller(pd, qd);
}

double PowerMultPillaiOS::EffectFromNoncentrality(double lambda, double n, int, int pd, int qd) {
    return RootOfSquaredEffect(lambda / (Smaller(pd, qd) * n));
}

// ---------------------------------------------------------------- lookup

PowerMultCriterion* NewCriterion(int id) {
    switch (id) {
        case 100:
            return new PowerMultWilksMP;
        case 101:
            return new PowerMultWilksOS;
        case 102:
            return new PowerMultHL1MP;
        case 103:
            return new PowerMultHL1OS;
        case 104:
            return new PowerMultHL2MP;
        case 105:
            return new PowerMultHL2OS;
        case 106:
            return new PowerMultPillaiMP;
        case 107:
            return new PowerMultPillaiOS;
    }
    return nullptr;
}

int CriterionF2ParamId(const PowerMultCriterion& criterion) {
    switch (criterion.GetCriterionId()) {
        case 100:
        case 101:
            return kEffectSizeF2UId;
        case 102:
        case 103:
            return kEffectSizeF2T1Id;
        case 104:
        case 105:
            return kEffectSizeF2T2Id;
    }
    return kEffectSizeF2VId;
}

int CriterionFParamId(const PowerMultCriterion& criterion) {
    switch (criterion.GetCriterionId()) {
        case 100:
        case 101:
            return kEffectSizeFUId;
        case 102:
        case 103:
            return kEffectSizeFT1Id;
        case 104:
        case 105:
            return kEffectSizeFT2Id;
    }
    return kEffectSizeFVId;
}
