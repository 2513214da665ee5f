#include "distributions/bivariate_normal.h"

#include <algorithm>
#include <cmath>

#include "distributions/normal.h"
#include "numerics/quadrature.h"

namespace {

// With h, k the standardised bounds, the bivariate probability moves from
// its value at rho = +-1 by
//   (1 / 2 pi) * integral of exp(-((1 - sin t) P + D) / cos^2 t) dt,
// D = (h - k)^2 / 2 and P = h k (Drezner and Wesolowsky's form of
// Sheppard's formula).
class integrand : public quadfunc {
  public:
    integrand(double h, double k)
        : D((h - k) * (h - k) / 2.0), P(h * k), S((h + k) * (h + k) / 2.0) {}

    double Evaluate(double theta) override {
        const double s = std::sin(theta);
        const double c2 = std::cos(theta) * std::cos(theta);
        if (!(c2 > 0.0)) return 1e30;
        // The same exponent written so that it keeps its limit at the
        // end of the range it is used near: (1 - s) / cos^2 = 1 / (1 + s)
        // near theta = pi/2, and (1 - s) P + D = (h + k)^2 / 2 - (1 + s) P
        // near -pi/2. Written directly, the end point at h = +-k would give
        // exp(0) = 1 instead of exp(-h^2 / 2).
        if (s >= 0.0) return std::exp(-(P / (1.0 + s) + D / c2));
        return std::exp(-(S / c2 - P / (1.0 - s)));
    }

  private:
    double D;
    double P;
    double S;  // (h + k)^2 / 2 = D + 2 P, kept apart to avoid its cancellation
};

}  // namespace

double BivariateNormalCdf(double x, double y, double mu1, double mu2, double sigma1, double sigma2,
                          double rho, double eps) {
    const double h = (x - mu1) / sigma1;
    const double k = (y - mu2) / sigma2;
    NormalDistribution phi(0.0, 1.0);
    if (std::fabs(rho) < 1e-13) return phi.Cdf(h) * phi.Cdf(k);

    // The value at rho = +1 (or -1), from which the integral moves.
    const double base =
        rho > 0.0 ? phi.Cdf(std::min(h, k)) : std::max(0.0, phi.Cdf(h) - phi.Cdf(-k));
    const double a = std::asin(rho);
    const double b = rho > 0.0 ? M_PI_2 : -M_PI_2;
    const double d = (h - k) * (h - k) / 2.0;
    const double product = h * k;
    double integral;
    if (d > 0.0 || product != 0.0) {
        integrand f(h, k);
        integral = AdaptiveLobatto(f, a, b, eps);
    } else {
        integral = b - a;
    }
    return base - integral / 6.283185307179586;
}
