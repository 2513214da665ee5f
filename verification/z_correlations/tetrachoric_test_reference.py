#!/usr/bin/python3
"""Reference values of the tetrachoric correlation test at its standard
inputs (rho0 -0.1, P(X = 1) 0.6, P(Y = 1) 0.3, alpha 0.05, two tails, exact
method): the cell probabilities under H0, the power of N = 100 and the
A priori N for power 0.95 at rho1 = 0.1.

    /usr/bin/python3 tetrachoric_test_reference.py > tetrachoric_test_reference.txt

The bivariate normal is Plackett's integral (scipy quad); the standard error of r is the delta
method applied numerically to the root of Phi2(h, k; r) = p00 with the
multinomial covariance of the four cells, independent of the program's
closed form.
"""

import numpy as np
from scipy import integrate, optimize, stats

RHO0, PX, PY, ALPHA = -0.1, 0.6, 0.3, 0.05


def phi2(h, k, r):
    """Plackett's form: Phi(h) Phi(k) + int_0^r phi2(h, k; t) dt."""
    def density(t):
        s2 = 1 - t * t
        return np.exp(-(h * h - 2 * t * h * k + k * k) / (2 * s2)) / (2 * np.pi * np.sqrt(s2))
    return stats.norm.cdf(h) * stats.norm.cdf(k) + integrate.quad(density, 0, r, epsabs=1e-14,
                                                                  epsrel=1e-13)[0]


def cells(rho):
    zx, zy = stats.norm.ppf(1 - PX), stats.norm.ppf(1 - PY)
    p = phi2(zx, zy, rho)
    return np.array([p, (1 - PY) - p, (1 - PX) - p, PX + PY - 1 + p])


def r_of(p):
    # p00 below both thresholds; p10 is X = 1, Y = 0: the X margin is p10 + p11.
    s = p.sum()
    h = stats.norm.ppf(1 - (p[1] + p[3]) / s)
    k = stats.norm.ppf(1 - (p[2] + p[3]) / s)
    return optimize.brentq(lambda r: phi2(h, k, r) - p[0] / s, -0.999, 0.999, xtol=1e-14)


def se(rho, n):
    p = cells(rho)
    eps = 1e-6
    grad = []
    for i in range(4):
        up, dn = p.copy(), p.copy()
        up[i] += eps
        dn[i] -= eps
        grad.append((r_of(up) - r_of(dn)) / (2 * eps))
    grad = np.array(grad)
    cov = np.diag(p) - np.outer(p, p)
    return np.sqrt(grad @ cov @ grad / n)


def power(rho1, n):
    se0, se1 = se(RHO0, n), se(rho1, n)
    z = stats.norm.ppf(1 - ALPHA / 2)
    m = (rho1 - RHO0) / se0
    s = se1 / se0
    return stats.norm.sf((z - m) / s) + stats.norm.cdf((-z - m) / s)


print("cells", " ".join(f"{x:.10f}" for x in cells(RHO0)))
print("posthoc N=100 power", f"{power(0.1, 100):.7f}")
n = optimize.brentq(lambda x: power(0.1, x) - 0.95, 10, 5000, xtol=1e-9)
print("apriori continuous N", f"{n:.6f}", "whole N", int(np.ceil(n)),
      "actual", f"{power(0.1, np.ceil(n)):.7f}")
