#!/usr/bin/env python3
"""Reference values from mpmath (50 digits) for the bivariate normal
distribution function, the distribution of the sample correlation r and the
distribution of the squared multiple correlation R^2.

Run: python3 mpmath_reference.py   (writes mpmath_reference.csv beside it)

Columns: family,function,p0,p1,p2,arg,expected
  bvn,cdf      p0 = h, p1 = k, p2 = rho, arg unused: P(Z1 <= h, Z2 <= k)
               as the integral over z1 of phi(z1) Phi((k - rho z1)/sqrt(1 - rho^2))
  corr,cdf/pdf p0 = rho, p1 = n: the exact density of r (Hotelling's
               hypergeometric form) and its integral over [-1, x]
  mrc,cdf/pdf  p0 = rho^2, p1 = k, p2 = N: the negative-binomial mixture of
               incomplete beta ratios and of beta densities
  mrcci,lower/upper/q  p0 = r2, p1 = k, p2 = N, arg = alpha: the rho^2 at which
               P(R^2 <= r2) is 1 - alpha/2 (lower) and alpha/2 (upper), and the
               alpha/2 quantile of R^2 under rho^2 = 0
"""
import os
import mpmath as mp

mp.mp.dps = 50
rows = []


def add(family, fn, p0, p1, p2, arg, value):
    rows.append("%s,%s,%s,%s,%s,%s,%s" % (family, fn, repr(float(p0)), repr(float(p1)), repr(float(p2)),
                                          repr(float(arg)), mp.nstr(value, 20)))


# Bivariate normal.
def bvn(h, k, rho):
    h, k, rho = mp.mpf(h), mp.mpf(k), mp.mpf(rho)
    s = mp.sqrt(1 - rho * rho)
    f = lambda z: mp.npdf(z) * mp.ncdf((k - rho * z) / s)
    return mp.quad(f, [-mp.inf, min(h, 0) - 8, min(h, 0), h]) if h > -8 else mp.quad(f, [-mp.inf, h])


for h, k, rho in [(0.0, 0.0, 0.5), (1.0, 1.0, 0.5), (-1.0, 2.0, 0.3), (0.5, -0.7, -0.6), (2.0, 2.0, -0.9),
                  (-2.0, -2.0, 0.99), (1.3, 1.3, -0.5), (-1.5, 1.5, -0.5), (3.0, -0.2, 0.95),
                  (-0.3, -0.3, -0.999), (0.7, 0.4, 0.9999), (-4.0, 1.0, 0.7), (1.0, -1.0, -0.9)]:
    add("bvn", "cdf", h, k, rho, 0, bvn(h, k, rho))


# Sample correlation.
def corr_pdf(x, rho, n):
    x, rho, n = mp.mpf(x), mp.mpf(rho), mp.mpf(n)
    k = (n - 2) * mp.gamma(n - 1) / (mp.sqrt(2 * mp.pi) * mp.gamma(n - mp.mpf(1) / 2))
    k *= (1 - rho * rho) ** ((n - 1) / 2) * (1 - x * x) ** ((n - 4) / 2) * (1 - rho * x) ** (mp.mpf(3) / 2 - n)
    return k * mp.hyp2f1(mp.mpf(1) / 2, mp.mpf(1) / 2, n - mp.mpf(1) / 2, (1 + rho * x) / 2)


for rho, n, x in [(0.3, 10, 0.2), (0.3, 10, 0.6), (-0.5, 7, -0.3), (0.8, 25, 0.9), (0.6, 4, -0.2),
                  (0.6, 5, 0.75), (-0.2, 50, 0.05), (0.95, 30, 0.9), (0.5, 3, 0.1), (-0.7, 12, 0.0),
                  (0.3, 100, 0.45), (0.1, 6, -0.95)]:
    add("corr", "pdf", rho, n, 0, x, corr_pdf(x, rho, n))
    add("corr", "cdf", rho, n, 0, x, mp.quad(lambda t: corr_pdf(t, rho, n), [-1, x]))


# Squared multiple correlation.
mp.mp.dps = 30
def mrc_weights(rho2, N):
    bp = mp.mpf(N - 1) / 2
    rho2 = mp.mpf(rho2)
    i = 0
    w = (1 - rho2) ** bp
    while True:
        yield i, w
        i += 1
        w = w * (bp + i - 1) * rho2 / i


def mrc(x, rho2, k, N, density):
    a, b = mp.mpf(k - 1) / 2, mp.mpf(N - k) / 2
    x = mp.mpf(x)
    total, mass = mp.mpf(0), mp.mpf(0)
    for i, w in mrc_weights(rho2, N):
        if density:
            term = w * x ** (a + i - 1) * (1 - x) ** (b - 1) / mp.beta(a + i, b)
        else:
            term = w * mp.betainc(a + i, b, 0, x, regularized=True)
        total += term
        mass += w
        if rho2 == 0 or (1 - mass < mp.mpf(10) ** -25 and i > 5):
            break
    return total


for rho2, k, N, x in [(0.0, 3, 20, 0.2), (0.1, 3, 20, 0.2), (0.1, 3, 20, 0.05), (0.3, 5, 50, 0.35),
                      (0.5, 2, 10, 0.7), (0.5, 2, 10, 0.2), (0.7, 6, 100, 0.6), (0.02, 4, 30, 0.1),
                      (0.9, 3, 15, 0.95), (0.25, 8, 400, 0.2), (5e-11, 3, 5, 0.9999999), (0.6, 11, 200, 0.62), (0.5, 3, 3000, 0.5)]:
    add("mrc", "cdf", rho2, k, N, x, mrc(x, rho2, k, N, False))
    add("mrc", "pdf", rho2, k, N, x, mrc(x, rho2, k, N, True))


def interval(r2, alpha, k, N):
    cdf = lambda rho2: mrc(r2, rho2, k, N, False)
    def solve(target):
        lo, hi = mp.mpf(0), mp.mpf(1) - mp.mpf(10) ** -12
        for _ in range(64):
            mid = (lo + hi) / 2
            if cdf(mid) > target:
                lo = mid
            else:
                hi = mid
        return (lo + hi) / 2
    # alpha/2 quantile under rho^2 = 0 by bisection on the central beta law.
    a, b = mp.mpf(k - 1) / 2, mp.mpf(N - k) / 2
    lo, hi = mp.mpf(0), mp.mpf(1)
    for _ in range(64):
        mid = (lo + hi) / 2
        if mp.betainc(a, b, 0, mid, regularized=True) > mp.mpf(alpha) / 2:
            hi = mid
        else:
            lo = mid
    q = (lo + hi) / 2
    return solve(1 - mp.mpf(alpha) / 2), solve(mp.mpf(alpha) / 2), q


mp.mp.dps = 30
for r2, k, N, alpha in [(0.3, 4, 50, 0.05), (0.6, 3, 30, 0.1), (0.15, 6, 200, 0.05)]:
    lower, upper, q = interval(r2, alpha, k, N)
    add("mrcci", "lower", r2, k, N, alpha, lower)
    add("mrcci", "upper", r2, k, N, alpha, upper)
    add("mrcci", "q", r2, k, N, alpha, q)

here = os.path.dirname(os.path.abspath(__file__))
with open(os.path.join(here, "mpmath_reference.csv"), "w") as out:
    out.write("family,function,p0,p1,p2,arg,expected\n")
    out.write("\n".join(rows) + "\n")
