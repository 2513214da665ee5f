#include "numerics/root.h"

#include <algorithm>
#include <cmath>

#include "numerics/cancel.h"

double Root::Solve(double lower, double upper, double tolArg, int maxitArg) {
    constexpr double kEps = 1.1102230246251565e-16;  // 2^-53

    double& a = brent.a;
    double& b = brent.b;
    double& c = brent.c;
    double& d = brent.d;
    double& e = brent.e;
    double fa, fb, fc;
    {
        const double fLower = Evaluate(lower);
        const double fUpper = Evaluate(upper);
        a = lower;
        b = upper;
        c = upper;
        fa = fLower;
        fb = fUpper;
    }
    d = e = b - a;
    maxit = maxitArg;
    tol = tolArg;
    status = kConverged;

    // A NaN would otherwise compare false everywhere and pass for a
    // converged zero at the upper end.
    if (std::isnan(fa) || std::isnan(fb)) {
        status = kNotANumber;
        return b;
    }
    if (fa * fb > 0.0) {
        status = kNoSignChange;
        return 0.0;
    }
    fc = fb;
    if (maxit <= 0) {
        status = kIterationLimit;
        return b;
    }

    int iterations = 0;
    for (;;) {
        if (IsCancelled()) throw CancelledError();
        if (fb * fc > 0.0) {
            c = a;
            fc = fa;
            d = e = b - a;
        }
        if (std::fabs(fc) < std::fabs(fb)) {
            a = b;
            b = c;
            c = a;
            fa = fb;
            fb = fc;
            fc = fa;
        }
        const double tol1 = kEps * std::fabs(b);
        const double xm = 0.5 * (c - b);
        if (std::fabs(xm) <= tol1 || fb == 0.0) return b;

        if (std::fabs(e) >= tol1 && std::fabs(fa) > std::fabs(fb)) {
            const double s = fb / fa;
            double p, q;
            if (a == c) {
                p = 2.0 * xm * s;
                q = 1.0 - s;
            } else {
                q = fa / fc;
                const double r = fb / fc;
                p = s * (2.0 * xm * q * (q - r) - (b - a) * (r - 1.0));
                q = (q - 1.0) * (r - 1.0) * (s - 1.0);
            }
            if (p > 0.0) q = -q;
            p = std::fabs(p);
            if (2.0 * p < std::min(3.0 * xm * q - std::fabs(tol1 * q), std::fabs(e * q))) {
                e = d;
                d = p / q;
            } else {
                d = xm;
                e = d;
            }
        } else {
            d = xm;
            e = d;
        }
        a = b;
        fa = fb;
        if (std::fabs(d) > tol1) {
            b += d;
        } else {
            b += (xm > 0.0 ? tol1 : -tol1);
        }
        fb = Evaluate(b);
        if (std::isnan(fb)) {
            status = kNotANumber;
            return b;
        }
        if (++iterations >= maxit) {
            status = kIterationLimit;
            return b;
        }
    }
}
