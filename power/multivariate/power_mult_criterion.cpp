#include "power/multivariate/power_mult_criterion.h"

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

double PowerMultCriterion::SetFromEffect(double effect, double n, int k, int pd, int qd) {
    const double c = ScaleWithDf(n, k, pd, qd);
    f = effect;
    f2 = effect * effect;
    criterionValue = CriterionOfSquare(f2, c);
    return StoreNoncentrality(c, n);
}

double PowerMultCriterion::SetFromCriterion(double value, double n, int k, int pd, int qd) {
    const double c = ScaleWithDf(n, k, pd, qd);
    criterionValue = value;
    f2 = SquareOfCriterion(value, c);
    f = RootOfSquaredEffect(f2);
    return StoreNoncentrality(c, n);
}

double PowerMultCriterion::StoreNoncentrality(double c, double n) {
    if (IsOBrienShieh()) {
        noncentrality = OBrienShiehNoncentrality(criterionValue, f2, c, n);
        proportion = OBrienShiehProportion(criterionValue, f2, c);
    } else {
        noncentrality = df2 * f2;
        proportion = noncentrality / (df2 + noncentrality);
    }
    return noncentrality;
}

double PowerMultCriterion::SetFromProportion(double x, double n, int k, int pd, int qd) {
    const double square = x == 1.0 ? 1e30 : x / (1.0 - x);
    return SetFromEffect(RootOfSquaredEffect(square), n, k, pd, qd);
}

double PowerMultCriterion::EffectFromCriterion(double value, double n, int k, int pd, int qd) {
    criterionValue = value;
    f2 = SquareOfCriterion(value, Scale(n, k, pd, qd));
    f = RootOfSquaredEffect(f2);
    return f;
}

double PowerMultCriterion::NoncentralityFromEffect(double effect, double n, int k, int pd, int qd) {
    return SetFromEffect(effect, n, k, pd, qd);
}

double PowerMultCriterion::SampleSizeFromNoncentrality(double effect, double lambda, int k, int pd,
                                                       int qd) {
    const double x = lambda / (effect * effect);
    return IsOBrienShieh() ? SampleSizeForScaledN(x, k, pd, qd) : SampleSizeForDf2(x, k, pd, qd);
}

double PowerMultCriterion::EffectFromNoncentrality(double lambda, double n, int k, int pd, int qd) {
    if (IsOBrienShieh()) return RootOfSquaredEffect(lambda / (Scale(n, k, pd, qd) * n));
    ComputeDf(n, k, pd, qd);
    return RootOfSquaredEffect(lambda / df2);
}

std::string PowerMultCriterion::GetLongName() const {
    return GetShortName() +
           (IsOBrienShieh() ? ", O'Brien-Shieh Algorithm" : ", Muller-Peterson Algorithm");
}

double PowerMultCriterion::ToRepeatedMeasuresEffect(double effect, double rho, double w, double,
                                                    double m, bool useCompoundFactor) {
    if (!IsOBrienShieh()) return effect;
    const double weight = useCompoundFactor && !WeightsAlways() ? 1.0 : w;
    return RootOfSquaredEffect(
        effect * effect * m * weight /
        (RepeatedFactor(rho, m, useCompoundFactor) * Scale(sampleSize, groups, p, q)));
}

double PowerMultCriterion::FromRepeatedMeasuresEffect(double effect, double rho, double w, double,
                                                      double m, bool useCompoundFactor) {
    if (!IsOBrienShieh()) return effect;
    const double weight = useCompoundFactor && !WeightsAlways() ? 1.0 : w;
    return RootOfSquaredEffect(Scale(sampleSize, groups, p, q) *
                               RepeatedFactor(rho, m, useCompoundFactor) * effect * effect /
                               (m * weight));
}

double PowerMultCriterion::CriterionFromRepeatedEffect(double effect, double rho, double w,
                                                       double z, double m, bool useCompoundFactor) {
    if (!IsOBrienShieh()) return effect;
    const double converted = ToRepeatedMeasuresEffect(effect, rho, w, z, m, useCompoundFactor);
    return CriterionOfSquare(converted * converted, Scale(sampleSize, groups, p, q));
}

double PowerMultCriterion::RepeatedEffectFromCriterion(double value, double rho, double w, double z,
                                                       double m, bool useCompoundFactor) {
    if (!IsOBrienShieh()) return value;
    const double effect =
        RootOfSquaredEffect(SquareOfCriterion(value, Scale(sampleSize, groups, p, q)));
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

// Muller-Peterson takes the root and the reciprocal of U in the other order
// than O'Brien-Shieh; the two orders round apart in the last digit, and
// each algorithm keeps its own so that its results stay put.
double WilksCriterion::CriterionOfSquare(double square, double g) const {
    return IsOBrienShieh() ? std::pow(1.0 + square, -g) : std::pow(1.0 / (1.0 + square), g);
}

double WilksCriterion::SquareOfCriterion(double value, double g) const {
    if (IsOBrienShieh()) return std::pow(value, -1.0 / g) - 1.0;
    const double root = std::pow(value, 1.0 / g);
    return (1.0 - root) / root;
}

double WilksCriterion::CriterionToEffect(double value) const {
    return RootOfSquaredEffect(IsOBrienShieh() ? 1.0 / value - 1.0 : (1.0 - value) / value);
}

// The effect panels of both algorithms take the effect of a value in the
// O'Brien-Shieh order.
double WilksCriterion::EffectFromCriterion(double value, double, int, int pd, int qd) {
    criterionValue = value;
    f2 = std::pow(value, -1.0 / RaoExponent(pd, qd)) - 1.0;
    f = RootOfSquaredEffect(f2);
    return f;
}

double WilksCriterion::SampleSizeForDf2(double x, int k, int pd, int qd) {
    return (x + (pd * qd - 2) / 2.0) / RaoExponent(pd, qd) + (qd - pd + 1) / 2.0 + k;
}

// ---------------------------------------------------- Hotelling-Lawley T1

double HotellingLawley1Criterion::ComputeDf(double n, int k, int pd, int qd) {
    s = Smaller(pd, qd);
    df1 = static_cast<double>(pd) * qd;
    df2 = s * (n - k - qd - 1.0) + 2.0;
    return s;
}

// O'Brien-Shieh's N s f² needs no df.
double HotellingLawley1Criterion::NoncentralityFromEffect(double effect, double n, int k, int pd,
                                                          int qd) {
    if (!IsOBrienShieh()) return SetFromEffect(effect, n, k, pd, qd);
    return Smaller(pd, qd) * effect * effect * n;
}

double HotellingLawley1Criterion::Scale(double, int, int pd, int qd) {
    return Smaller(pd, qd);
}

double HotellingLawley1Criterion::SampleSizeForDf2(double x, int k, int pd, int qd) {
    return (x - 2.0) / Smaller(pd, qd) + k + qd + 1.0;
}

double HotellingLawley1Criterion::SampleSizeForScaledN(double x, int, int pd, int qd) {
    return x / Smaller(pd, qd);
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

// df2 grows with N but has no closed inverse: N is found by bisection on
// df2(N) = x above the smallest admissible N.
double HotellingLawley2Criterion::SampleSizeForDf2(double x, int k, int pd, int qd) {
    auto excess = [&](double n) {
        ComputeDf(n, k, pd, qd);
        return df2 - x;
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

// The positive root of kappa(N) N = x, a quadratic in N.
double HotellingLawley2Criterion::SampleSizeForScaledN(double x, int k, int pd, int qd) {
    const double a = k + 1.0, b = pd + qd + 1.0, d = k + qd + 2.0, e = pd * qd + 2.0;
    const double big = -2.0 * a - b * x + 2.0 * pd - pd * qd * d;
    const double disc =
        4.0 * (1.0 - (qd + 2.0) * qd - (qd + 1.0 + pd) * k - pd) * x * e + big * big;
    return (RootOfSquaredEffect(disc) + 2.0 * a + b * x - 2.0 * pd + qd * d * pd) / (2.0 * e);
}

// ---------------------------------------------------------------- Pillai

double PillaiCriterion::ComputeDf(double n, int k, int pd, int qd) {
    s = Smaller(pd, qd);
    df1 = static_cast<double>(pd) * qd;
    df2 = s * (n - k - qd + s);
    return s;
}

// O'Brien-Shieh's N s f² needs no df.
double PillaiCriterion::NoncentralityFromEffect(double effect, double n, int k, int pd, int qd) {
    if (!IsOBrienShieh()) return SetFromEffect(effect, n, k, pd, qd);
    return Smaller(pd, qd) * effect * effect * n;
}

double PillaiCriterion::MinimumSampleSize(int k, int pd, int qd) const {
    // In doubles: the counts may each be as large as an int holds.
    return static_cast<double>(k) + qd + Smaller(pd, qd) + 1.0;
}

double PillaiCriterion::Scale(double, int, int pd, int qd) {
    return Smaller(pd, qd);
}

double PillaiCriterion::SampleSizeForDf2(double x, int k, int pd, int qd) {
    const double sd = Smaller(pd, qd);
    return x / sd + k + qd - sd;
}

double PillaiCriterion::SampleSizeForScaledN(double x, int, int pd, int qd) {
    return x / Smaller(pd, qd);
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

namespace {

struct CriterionRow {
    int id;
    CriterionChoice choice;
};

constexpr CriterionRow kCriterionChoices[] = {
    {100, {0, 1}}, {101, {0, 0}}, {102, {1, 1}}, {103, {1, 0}},
    {104, {2, 1}}, {105, {2, 0}}, {106, {3, 1}}, {107, {3, 0}},
};

}  // namespace

std::optional<CriterionChoice> ChoiceOfCriterion(int id) {
    for (const CriterionRow& row : kCriterionChoices) {
        if (row.id == id) return row.choice;
    }
    return std::nullopt;
}

int CriterionOfChoice(int statistic, int algorithm) {
    for (const CriterionRow& row : kCriterionChoices) {
        if (row.choice.statistic == statistic && row.choice.algorithm == algorithm) return row.id;
    }
    return -1;
}

namespace {

// 0 for Wilks U, 1 for T1, 2 for T2 and 3 for Pillai V (and any other id).
int StatisticIndex(const PowerMultCriterion& criterion) {
    const int id = criterion.GetCriterionId();
    return id >= 100 && id <= 105 ? (id - 100) / 2 : 3;
}

}  // namespace

int CriterionF2ParamId(const PowerMultCriterion& criterion) {
    static constexpr int kIds[] = {kEffectSizeF2UId, kEffectSizeF2T1Id, kEffectSizeF2T2Id,
                                   kEffectSizeF2VId};
    return kIds[StatisticIndex(criterion)];
}

int CriterionFParamId(const PowerMultCriterion& criterion) {
    static constexpr int kIds[] = {kEffectSizeFUId, kEffectSizeFT1Id, kEffectSizeFT2Id,
                                   kEffectSizeFVId};
    return kIds[StatisticIndex(criterion)];
}
