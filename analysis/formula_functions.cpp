// The built-in functions of formulas, one line each. Arities are checked by
// the reader; an apply function receives exactly `arity` values.
#include <cmath>

#include "analysis/formula.h"
#include "distributions/beta.h"
#include "distributions/binomial.h"
#include "distributions/chi.h"
#include "distributions/closed_form.h"
#include "distributions/f.h"
#include "distributions/normal.h"
#include "distributions/poisson.h"
#include "distributions/t.h"
#include "numerics/special_functions.h"

namespace {

// Sizes and counts passed as doubles are rounded to the nearest integer,
// halves upward.
double Whole(double v) { return std::floor(v + 0.5); }

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
    {"min", 2, [](const double* a) { return a[0] < a[1] ? a[0] : a[1]; }},
    {"max", 2, [](const double* a) { return a[0] > a[1] ? a[0] : a[1]; }},
    {"sign", 1, [](const double* a) { return Sign(a[0]); }},
    // Normal distribution, standard and with mean and sigma.
    {"zcdf", 1, [](const double* a) { return NormalDistribution(0.0, 1.0).Cdf(a[0]); }},
    {"zinv", 1, [](const double* a) { return NormalDistribution(0.0, 1.0).Quantile(a[0]); }},
    {"zpdf", 1, [](const double* a) { return NormalDistribution(0.0, 1.0).Pdf(a[0]); }},
    {"normcdf", 3, [](const double* a) { return NormalDistribution(a[1], a[2]).Cdf(a[0]); }},
    {"norminv", 3, [](const double* a) { return NormalDistribution(a[1], a[2]).Quantile(a[0]); }},
    {"normpdf", 3, [](const double* a) { return NormalDistribution(a[1], a[2]).Pdf(a[0]); }},
    // Chi-square, F and t: central, then noncentral.
    {"chi2cdf", 2, [](const double* a) { return ChiDistribution(a[1], 0.0, 1.0).Cdf(a[0]); }},
    {"chi2inv", 2, [](const double* a) { return ChiDistribution(a[1], 0.0, 1.0).Quantile(a[0]); }},
    {"chi2pdf", 2, [](const double* a) { return ChiDistribution(a[1], 0.0, 1.0).Pdf(a[0]); }},
    {"fcdf", 3, [](const double* a) { return FDistribution(a[1], a[2], 0.0, 1.0).Cdf(a[0]); }},
    {"finv", 3, [](const double* a) { return FDistribution(a[1], a[2], 0.0, 1.0).Quantile(a[0]); }},
    {"fpdf", 3, [](const double* a) { return FDistribution(a[1], a[2], 0.0, 1.0).Pdf(a[0]); }},
    {"tcdf", 2, [](const double* a) { return TDistribution(a[1], 0.0, false).Cdf(a[0]); }},
    {"tinv", 2, [](const double* a) { return TDistribution(a[1], 0.0, false).Quantile(a[0]); }},
    {"tpdf", 2, [](const double* a) { return TDistribution(a[1], 0.0, true).Pdf(a[0]); }},
    {"ncx2cdf", 3, [](const double* a) { return ChiDistribution(a[1], a[2], 1.0).Cdf(a[0]); }},
    {"ncx2inv", 3, [](const double* a) { return ChiDistribution(a[1], a[2], 1.0).Quantile(a[0]); }},
    {"ncx2pdf", 3, [](const double* a) { return ChiDistribution(a[1], a[2], 1.0).Pdf(a[0]); }},
    {"ncfcdf", 4, [](const double* a) { return FDistribution(a[1], a[2], a[3], 1.0).Cdf(a[0]); }},
    {"ncfinv", 4, [](const double* a) { return FDistribution(a[1], a[2], a[3], 1.0).Quantile(a[0]); }},
    {"ncfpdf", 4, [](const double* a) { return FDistribution(a[1], a[2], a[3], 1.0).Pdf(a[0]); }},
    {"nctcdf", 3, [](const double* a) { return TDistribution(a[1], a[2], false).Cdf(a[0]); }},
    {"nctinv", 3, [](const double* a) { return TDistribution(a[1], a[2], false).Quantile(a[0]); }},
    {"nctpdf", 3, [](const double* a) { return TDistribution(a[1], a[2], true).Pdf(a[0]); }},
    {"betacdf", 3, [](const double* a) { return BetaDistribution(a[1], a[2]).Cdf(a[0]); }},
    {"betainv", 3, [](const double* a) { return BetaDistribution(a[1], a[2]).Quantile(a[0]); }},
    {"betapdf", 3, [](const double* a) { return BetaDistribution(a[1], a[2]).Pdf(a[0]); }},
    {"poisscdf", 2, [](const double* a) { return PoissonDistribution(a[1]).Cdf(a[0]); }},
    {"poissinv", 2, [](const double* a) { return PoissonDistribution(a[1]).Quantile(a[0]); }},
    {"poisspdf", 2, [](const double* a) { return PoissonDistribution(a[1]).Pdf(a[0]); }},
    {"poissmean", 2, [](const double* a) { return a[1]; }},
    {"binocdf", 3, [](const double* a) { return BinomialDistribution(Whole(a[1]), a[2]).Cdf(a[0]); }},
    {"binoinv", 3, [](const double* a) { return BinomialDistribution(Whole(a[1]), a[2]).Quantile(a[0]); }},
    {"binopdf", 3, [](const double* a) { return BinomialDistribution(Whole(a[1]), a[2]).Pdf(a[0]); }},
    {"hygecdf", 4, nullptr},
    {"hygeinv", 4, nullptr},
    {"hygepdf", 4, nullptr},
    {"corrcdf", 3, nullptr},
    {"corrinv", 3, nullptr},
    {"corrpdf", 3, nullptr},
    {"mr2cdf", 4, nullptr},
    {"mr2inv", 4, nullptr},
    {"mr2pdf", 4, nullptr},
    {"logncdf", 3, [](const double* a) { return LogNormalDistribution(a[1], a[2]).Cdf(a[0]); }},
    {"logninv", 3, [](const double* a) { return LogNormalDistribution(a[1], a[2]).Quantile(a[0]); }},
    {"lognpdf", 3, [](const double* a) { return LogNormalDistribution(a[1], a[2]).Pdf(a[0]); }},
    {"unicdf", 3, [](const double* a) { return UniformDistribution(a[1], a[2]).Cdf(a[0]); }},
    {"uniinv", 3, [](const double* a) { return UniformDistribution(a[1], a[2]).Quantile(a[0]); }},
    {"unipdf", 3, [](const double* a) { return UniformDistribution(a[1], a[2]).Pdf(a[0]); }},
    {"expcdf", 2, [](const double* a) { return ExponentialDistribution(a[1]).Cdf(a[0]); }},
    {"expinv", 2, [](const double* a) { return ExponentialDistribution(a[1]).Quantile(a[0]); }},
    {"exppdf", 2, [](const double* a) { return ExponentialDistribution(a[1]).Pdf(a[0]); }},
    {"laplcdf", 3, [](const double* a) { return LaplaceDistribution(a[1], a[2]).Cdf(a[0]); }},
    {"laplinv", 3, [](const double* a) { return LaplaceDistribution(a[1], a[2]).Quantile(a[0]); }},
    {"laplpdf", 3, [](const double* a) { return LaplaceDistribution(a[1], a[2]).Pdf(a[0]); }},
    {"lngamma", 1, [](const double* a) { return LogGamma(a[0]); }},
};

static_assert(sizeof kFunctions / sizeof kFunctions[0] == 74);

}  // namespace

std::span<const FormulaFunction> FormulaFunctionTable() { return kFunctions; }

int FindFormulaFunction(std::string_view name) {
    for (size_t i = 0; i < std::size(kFunctions); ++i) {
        // A function whose distribution is not built yet reads as unknown.
        if (kFunctions[i].apply && name == kFunctions[i].name) return static_cast<int>(i);
    }
    return -1;
}
