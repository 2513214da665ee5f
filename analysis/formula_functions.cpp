// The built-in functions of formulas, one line each. Arities are checked by
// the reader; an apply function receives exactly `arity` values.
#include <cmath>

#include "analysis/formula.h"
#include "distributions/beta.h"
#include "distributions/binomial.h"
#include "distributions/chi.h"
#include "distributions/closed_form.h"
#include "distributions/correlation.h"
#include "distributions/f.h"
#include "distributions/hypergeometric.h"
#include "distributions/mrc.h"
#include "distributions/normal.h"
#include "distributions/poisson.h"
#include "distributions/t.h"
#include "numerics/special_functions.h"

namespace {

// Sizes and counts passed as doubles are rounded to the nearest integer,
// halves upward.
double Whole(double v) {
    return std::floor(v + 0.5);
}

double URound(double x, double m) {
    const double M = std::floor(m);
    // The quotient is rounded to 10 decimals first, so that 10.00000000001
    // still rounds up to 10 and not to the next multiple.
    return std::ceil(std::floor(x / M * 1e10 + 0.5) / 1e10) * M;
}

double Sign(double x) {
    if (x < 0) return -1.0;
    if (x > 0) return 1.0;
    return 0.0;
}

// Each distribution is built for the call from the arguments after the
// first (the point x or the probability p), in the order the user writes
// them.
NormalDistribution Z(const double*) {
    return NormalDistribution(0.0, 1.0);
}
NormalDistribution Normal(const double* a) {
    return NormalDistribution(a[1], a[2]);
}
ChiDistribution Chi2(const double* a) {
    return ChiDistribution(a[1], 0.0, 1.0);
}
ChiDistribution Ncx2(const double* a) {
    return ChiDistribution(a[1], a[2], 1.0);
}
FDistribution F(const double* a) {
    return FDistribution(a[1], a[2], 0.0, 1.0);
}
FDistribution Ncf(const double* a) {
    return FDistribution(a[1], a[2], a[3], 1.0);
}
// The densities of t take the difference-of-distribution-functions method.
TDistribution T(const double* a) {
    return TDistribution(a[1], 0.0, false);
}
TDistribution TForDensity(const double* a) {
    return TDistribution(a[1], 0.0, true);
}
TDistribution Nct(const double* a) {
    return TDistribution(a[1], a[2], false);
}
TDistribution NctForDensity(const double* a) {
    return TDistribution(a[1], a[2], true);
}
BetaDistribution Beta(const double* a) {
    return BetaDistribution(a[1], a[2]);
}
PoissonDistribution Poisson(const double* a) {
    return PoissonDistribution(a[1]);
}
BinomialDistribution Binomial(const double* a) {
    return BinomialDistribution(Whole(a[1]), a[2]);
}
HypergeometricDistribution Hypergeometric(const double* a) {
    return HypergeometricDistribution(Whole(a[1]), Whole(a[2]), Whole(a[3]));
}
CorrDistribution Corr(const double* a) {
    return CorrDistribution(a[1], Whole(a[2]));
}
MRCDistribution MultipleR2(const double* a) {
    return MRCDistribution(a[1], Whole(a[2]), Whole(a[3]));
}
LogNormalDistribution LogNormal(const double* a) {
    return LogNormalDistribution(a[1], a[2]);
}
UniformDistribution Uniform(const double* a) {
    return UniformDistribution(a[1], a[2]);
}
ExponentialDistribution Exponential(const double* a) {
    return ExponentialDistribution(a[1]);
}
LaplaceDistribution Laplace(const double* a) {
    return LaplaceDistribution(a[1], a[2]);
}

template <auto Make>
double Cdf(const double* a) {
    return Make(a).Cdf(a[0]);
}
template <auto Make>
double Inv(const double* a) {
    return Make(a).Quantile(a[0]);
}
template <auto Make>
double Pdf(const double* a) {
    return Make(a).Pdf(a[0]);
}

// clang-format off
constexpr FormulaFunction kFunctions[] = {
    {"sin", 1, [](const double* a) { return std::sin(a[0]); }},
    {"cos", 1, [](const double* a) { return std::cos(a[0]); }},
    {"asin", 1, [](const double* a) { return std::asin(a[0]); }},
    {"acos", 1, [](const double* a) { return std::acos(a[0]); }},
    {"exp", 1, [](const double* a) { return std::exp(a[0]); }},
    {"log", 1, [](const double* a) { return std::log(a[0]); }},
    {"tan", 1, [](const double* a) { return std::tan(a[0]); }},
    {"atan", 1, [](const double* a) { return std::atan(a[0]); }},
    {"atan2", 2, [](const double* a) { return std::atan2(a[0], a[1]); }},
    {"sqrt", 1, [](const double* a) { return std::sqrt(a[0]); }},
    {"sqr", 1, [](const double* a) { return a[0] * a[0]; }},
    {"uround", 2, [](const double* a) { return URound(a[0], a[1]); }},
    {"int", 1, [](const double* a) { return std::trunc(a[0]); }},
    {"frac", 1, [](const double* a) { return a[0] - std::trunc(a[0]); }},
    {"abs", 1, [](const double* a) { return std::fabs(a[0]); }},
    // A comparison that fails on a NaN answers the second value.
    {"min", 2, [](const double* a) { return a[0] < a[1] ? a[0] : a[1]; }},
    {"max", 2, [](const double* a) { return a[0] > a[1] ? a[0] : a[1]; }},
    {"sign", 1, [](const double* a) { return Sign(a[0]); }},
    {"zcdf", 1, Cdf<Z>},
    {"zinv", 1, Inv<Z>},
    {"zpdf", 1, Pdf<Z>},
    {"normcdf", 3, Cdf<Normal>},
    {"norminv", 3, Inv<Normal>},
    {"normpdf", 3, Pdf<Normal>},
    {"chi2cdf", 2, Cdf<Chi2>},
    {"chi2inv", 2, Inv<Chi2>},
    {"chi2pdf", 2, Pdf<Chi2>},
    {"fcdf", 3, Cdf<F>},
    {"finv", 3, Inv<F>},
    {"fpdf", 3, Pdf<F>},
    {"tcdf", 2, Cdf<T>},
    {"tinv", 2, Inv<T>},
    {"tpdf", 2, Pdf<TForDensity>},
    {"ncx2cdf", 3, Cdf<Ncx2>},
    {"ncx2inv", 3, Inv<Ncx2>},
    {"ncx2pdf", 3, Pdf<Ncx2>},
    {"ncfcdf", 4, Cdf<Ncf>},
    {"ncfinv", 4, Inv<Ncf>},
    {"ncfpdf", 4, Pdf<Ncf>},
    {"nctcdf", 3, Cdf<Nct>},
    {"nctinv", 3, Inv<Nct>},
    {"nctpdf", 3, Pdf<NctForDensity>},
    {"betacdf", 3, Cdf<Beta>},
    {"betainv", 3, Inv<Beta>},
    {"betapdf", 3, Pdf<Beta>},
    {"poisscdf", 2, Cdf<Poisson>},
    {"poissinv", 2, Inv<Poisson>},
    {"poisspdf", 2, Pdf<Poisson>},
    {"poissmean", 2, [](const double* a) { return a[1]; }},  // the first argument is not used
    {"binocdf", 3, Cdf<Binomial>},
    {"binoinv", 3, Inv<Binomial>},
    {"binopdf", 3, Pdf<Binomial>},
    {"hygecdf", 4, Cdf<Hypergeometric>},
    {"hygeinv", 4, Inv<Hypergeometric>},
    {"hygepdf", 4, Pdf<Hypergeometric>},
    {"corrcdf", 3, Cdf<Corr>},
    {"corrinv", 3, Inv<Corr>},
    {"corrpdf", 3, Pdf<Corr>},
    {"mr2cdf", 4, Cdf<MultipleR2>},
    {"mr2inv", 4, Inv<MultipleR2>},
    {"mr2pdf", 4, Pdf<MultipleR2>},
    {"logncdf", 3, Cdf<LogNormal>},
    {"logninv", 3, Inv<LogNormal>},
    {"lognpdf", 3, Pdf<LogNormal>},
    {"unicdf", 3, Cdf<Uniform>},
    {"uniinv", 3, Inv<Uniform>},
    {"unipdf", 3, Pdf<Uniform>},
    {"expcdf", 2, Cdf<Exponential>},
    {"expinv", 2, Inv<Exponential>},
    {"exppdf", 2, Pdf<Exponential>},
    {"laplcdf", 3, Cdf<Laplace>},
    {"laplinv", 3, Inv<Laplace>},
    {"laplpdf", 3, Pdf<Laplace>},
    {"lngamma", 1, [](const double* a) { return LogGamma(a[0]); }},
};
// clang-format on

static_assert(std::size(kFunctions) == 74);

}  // namespace

std::span<const FormulaFunction> FormulaFunctionTable() {
    return kFunctions;
}

int FindFormulaFunction(std::string_view name) {
    for (size_t i = 0; i < std::size(kFunctions); ++i) {
        if (name == kFunctions[i].name) return static_cast<int>(i);
    }
    return -1;
}
