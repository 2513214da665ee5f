#include "glm/model/chi_square_sum.h"

#include <gsl/gsl_errno.h>
#include <gsl/gsl_integration.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <numbers>

#include "numerics/quadrature.h"
#include "numerics/quorix_error.h"

namespace {

// The inversion formula P(Q > 0) = 1/2 + (1/pi) int_0^inf sin(theta(u)) /
// (u rho(u)) du, with theta and log rho of the sum's characteristic function.
class ImhofIntegrand : public quadfunc {
  public:
    explicit ImhofIntegrand(const std::vector<ChiSquareTerm>& terms) : terms_(terms) {}

    double Theta(double u) const {
        double theta = 0.0;
        for (const ChiSquareTerm& t : terms_) {
            const double wu = t.weight * u;
            theta += 0.5 * (t.df * std::atan(wu) + t.noncentrality * wu / (1.0 + wu * wu));
        }
        return theta;
    }
    double ThetaSlope(double u) const {
        double slope = 0.0;
        for (const ChiSquareTerm& t : terms_) {
            const double w = t.weight, square = w * w * u * u;
            slope += 0.5 * (t.df * w / (1.0 + square) + t.noncentrality * w * (1.0 - square) /
                                                            ((1.0 + square) * (1.0 + square)));
        }
        return slope;
    }
    double LogRho(double u) const {
        double logRho = 0.0;
        for (const ChiSquareTerm& t : terms_) {
            const double square = t.weight * t.weight * u * u;
            logRho +=
                0.25 * t.df * std::log1p(square) + 0.5 * t.noncentrality * square / (1.0 + square);
        }
        return logRho;
    }
    // The growth of log rho in log u, increasing in u.
    double LogRhoSlope(double u) const {
        double slope = 0.0;
        for (const ChiSquareTerm& t : terms_) {
            const double square = t.weight * t.weight * u * u;
            slope += 0.5 * t.df * square / (1.0 + square);
        }
        return slope;
    }

    double Evaluate(double u) override {
        // At 0 the limit theta'(0), half the mean of the sum.
        if (u == 0.0) return ThetaSlope(0.0);
        return std::sin(Theta(u)) / u * std::exp(-LogRho(u));
    }

  private:
    const std::vector<ChiSquareTerm>& terms_;
};

// Beyond U0 a term of large df (a nearly constant part of the sum) leaves
// theta(u) = omega u + phi(u) with phi slowly varying, while the terms of
// small df let the integrand fall off only like a power of u: the tail
// oscillates for thousands of periods. It goes to GSL's QAWF, which
// integrates f(u) sin(omega u) and f(u) cos(omega u) to infinity cycle by
// cycle with extrapolation; f carries the slowly varying part.
struct TailPart {
    const ImhofIntegrand* integrand;
    double omega;
    bool cosinePart;  // f = g sin(phi) for the cosine weight, g cos(phi) for the sine
};

double TailFunction(double u, void* params) {
    const TailPart* part = static_cast<const TailPart*>(params);
    const double phi = part->integrand->Theta(u) - part->omega * u;
    const double g = std::exp(-part->integrand->LogRho(u)) / u;
    return g * (part->cosinePart ? std::sin(phi) : std::cos(phi));
}

struct QawoTableFree {
    void operator()(gsl_integration_qawo_table* t) const { gsl_integration_qawo_table_free(t); }
};
struct WorkspaceFree {
    void operator()(gsl_integration_workspace* w) const { gsl_integration_workspace_free(w); }
};

double OscillatingTail(const ImhofIntegrand& integrand, double from, double omega) {
    gsl_set_error_handler_off();
    constexpr size_t kLimit = 1000;
    std::unique_ptr<gsl_integration_workspace, WorkspaceFree> work(
        gsl_integration_workspace_alloc(kLimit));
    std::unique_ptr<gsl_integration_workspace, WorkspaceFree> cycles(
        gsl_integration_workspace_alloc(kLimit));
    double total = 0.0;
    for (bool cosinePart : {false, true}) {
        std::unique_ptr<gsl_integration_qawo_table, QawoTableFree> table(
            gsl_integration_qawo_table_alloc(omega, 1.0,
                                             cosinePart ? GSL_INTEG_COSINE : GSL_INTEG_SINE, 50));
        if (!work || !cycles || !table)
            throw QuorixError("Math overflow", QuorixError::kMathOverflow, 0.0);
        TailPart part{&integrand, omega, cosinePart};
        gsl_function f{&TailFunction, &part};
        double result = 0.0, abserr = 0.0;
        const int status = gsl_integration_qawf(&f, from, 1e-13, kLimit, work.get(), cycles.get(),
                                                table.get(), &result, &abserr);
        // Round-off at a tolerance this tight is no failure as long as the
        // error estimate stays far below what a power is shown to.
        if (!std::isfinite(result) || (status != GSL_SUCCESS && !(abserr < 1e-10)))
            throw QuorixError("Math overflow", QuorixError::kMathOverflow, 0.0);
        total += result;
    }
    return total;
}

}  // namespace

double ProbabilitySumAboveZero(const std::vector<ChiSquareTerm>& terms) {
    // The sum's sign does not change with a common scale of the weights.
    // Scaled to a standard deviation of 1, the integrand varies on a scale
    // of about 1 in u whatever the df. The weights are first brought near 1
    // by a power of two, which is exact, so that their squares neither
    // overflow nor underflow for variances anywhere in the range of numbers.
    double largest = 0.0;
    for (const ChiSquareTerm& t : terms)
        if (t.df > 0.0) largest = std::max(largest, std::fabs(t.weight));
    const double unit =
        largest > 0.0 && std::isfinite(largest) ? std::ldexp(1.0, -std::ilogb(largest)) : 1.0;
    double variance = 0.0;
    for (const ChiSquareTerm& t : terms) {
        if (t.df > 0.0) {
            const double w = t.weight * unit;
            variance += w * w * (2.0 * t.df + 4.0 * t.noncentrality);
        }
    }
    if (!(variance > 0.0 && std::isfinite(variance)))
        throw QuorixError("Math overflow", QuorixError::kMathOverflow, 0.0);
    const double scale = std::sqrt(variance);
    std::vector<ChiSquareTerm> scaled;
    for (const ChiSquareTerm& t : terms) {
        if (t.weight == 0.0 || !(t.df > 0.0)) continue;
        scaled.push_back({t.weight * unit / scale, t.df, t.noncentrality});
    }
    ImhofIntegrand integrand(scaled);
    // Where the integrand has died out: log rho grows in log u with a slope
    // m(u) that itself grows, so beyond U the rest of the integral is below
    // 1/(pi rho(U) m(U)); U doubles until that is under 1e-14.
    double upper = 1.0;
    for (int i = 0; i < 200; ++i) {
        const double slope = integrand.LogRhoSlope(upper);
        if (slope > 0.0 &&
            integrand.LogRho(upper) + std::log(std::numbers::pi * slope) > -std::log(1e-14))
            break;
        upper *= 2.0;
    }
    // Up to U0 the integrand has at most a few dozen periods. Beyond, a
    // phase that still turns by many periods goes to OscillatingTail; one
    // that has settled leaves a smooth, slowly falling tail for cquad.
    constexpr double kOscillationStart = 64.0;
    double integral = 0.0;
    if (upper <= kOscillationStart) {
        integral = IntegrateCquad(&integrand, 0.0, upper, 1e-13);
    } else {
        integral = IntegrateCquad(&integrand, 0.0, kOscillationStart, 1e-13);
        const double turn = std::fabs(integrand.Theta(upper) - integrand.Theta(kOscillationStart));
        if (turn > 16.0 * std::numbers::pi) {
            integral += OscillatingTail(integrand, kOscillationStart,
                                        integrand.ThetaSlope(kOscillationStart));
        } else {
            integral += IntegrateCquad(&integrand, kOscillationStart, upper, 1e-13);
        }
    }
    return std::clamp(0.5 + integral / std::numbers::pi, 0.0, 1.0);
}
