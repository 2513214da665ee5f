#!/usr/bin/python3
"""Quantiles of the sample correlation r of n pairs from a bivariate normal
population with correlation rho, at 30 digits, for the quantile's test.

rho = 0: r^2 is Beta(1/2, (n - 2)/2), so P(r <= x) = 1/2 - sign(x)/2 *
I_{x^2}(1/2, (n - 2)/2), by mpmath.betainc. Otherwise the distribution
function is the integral (mpmath.quad, split around the mode) of the exact
density
    f(r) = (n - 2) Gamma(n - 1) (1 - rho^2)^((n - 1)/2) (1 - r^2)^((n - 4)/2)
           / (sqrt(2 pi) Gamma(n - 1/2) (1 - rho r)^(n - 3/2))
           * 2F1(1/2, 1/2; n - 1/2; (1 + rho r)/2).
The quantile is the root of the distribution function less prob
(mpmath.findroot from Fisher's z, Illinois in a bracket of it).

Writes corr_quantile_cases.csv beside this script: rho, n, prob, quantile.
Run: /usr/bin/python3 corr_quantile_reference.py
"""
import os

import mpmath as mp

mp.mp.dps = 30


def density(x, rho, n):
    return ((n - 2) * mp.gamma(n - 1) * (1 - rho**2)**((n - 1) / 2) * (1 - x**2)**((n - 4) / 2)
            / (mp.sqrt(2 * mp.pi) * mp.gamma(n - mp.mpf(1) / 2) * (1 - rho * x)**(n - mp.mpf(3) / 2))
            * mp.hyp2f1(0.5, 0.5, n - mp.mpf(1) / 2, (1 + rho * x) / 2))


def cdf(x, rho, n):
    if rho == 0:
        tail = mp.betainc(mp.mpf(1) / 2, (n - 2) / mp.mpf(2), 0, x**2, regularized=True) / 2
        return mp.mpf(1) / 2 + tail if x >= 0 else mp.mpf(1) / 2 - tail
    mode = mp.tanh(mp.atanh(rho))
    sd = (1 - rho**2) / mp.sqrt(n - 1)
    points = [-1] + [p for p in (mode - 8 * sd, mode - 2 * sd, mode, mode + 2 * sd, mode + 8 * sd)
                     if -1 < p < x] + [x]
    return mp.quad(lambda r: density(r, rho, n), points)


def quantile(prob, rho, n):
    z = 0
    if n > 3:
        z = mp.atanh(rho) + rho / (2 * (n - 1)) + mp.sqrt(2) * mp.erfinv(2 * prob - 1) / mp.sqrt(n - 3)
    if n <= 3:
        return mp.findroot(lambda x: cdf(x, rho, n) - prob, z, tol=mp.mpf(10)**-26)
    # A bracket of 8 standard deviations of z on either side; Illinois keeps to it.
    width = 8 / mp.sqrt(n - 3)
    bracket = (mp.tanh(z - width), mp.tanh(z + width))
    x = mp.findroot(lambda x: cdf(x, rho, n) - prob, bracket, solver='illinois',
                    tol=mp.mpf(10)**-40, verify=False)
    # The root is good where the distribution function meets prob to far
    # below a double's resolution of it.
    assert abs(cdf(x, rho, n) - prob) < mp.mpf(10)**-20 * min(prob, 1 - prob), (rho, n, prob)
    return x


CASES = [
    (0.0, 85, 0.975), (0.0, 85, 0.025), (0.0, 782, 0.975), (0.0, 2000, 0.95),
    (0.0, 10, 1e-6), (0.0, 4, 0.9), (0.0, 3, 0.3),
    (0.3, 85, 0.975), (0.3, 85, 0.025), (0.1, 782, 0.2), (-0.6, 25, 0.1),
    (0.5, 50, 0.95), (0.4, 60, 0.005), (0.9, 40, 0.999), (0.2, 2000, 0.6),
    (-0.2, 7, 0.05), (0.7, 300, 0.001),
]

here = os.path.dirname(os.path.abspath(__file__))
with open(os.path.join(here, 'corr_quantile_cases.csv'), 'w') as out:
    out.write('# rho,n,prob,quantile: written by corr_quantile_reference.py (mpmath, 30 digits)\n')
    for rho, n, prob in CASES:
        x = quantile(mp.mpf(prob), mp.mpf(rho), mp.mpf(n))
        out.write('%r,%d,%r,%s\n' % (rho, n, prob, mp.nstr(x, 20)))
        print(rho, n, prob, mp.nstr(x, 20))
