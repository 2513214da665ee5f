#!/usr/bin/env python3
"""Confidence limits of rho^2 from an observed R^2 for the random-model
multiple-regression panel, independently of the program.

R^2 of one variable on k predictors from N observations of a (k+1)-variate
normal population with squared multiple correlation rho^2 has the cdf
  P(R^2 <= x) = sum_i w_i I_x(k/2 + i, (N-k-1)/2),
  w_i = Gamma((N-1)/2 + i) / (Gamma((N-1)/2) i!) rho^(2i) (1-rho^2)^((N-1)/2)
(a Beta mixture with negative-binomial weights). At level 1 - a the lower
limit is the rho^2 with P(R^2 <= r2) = 1 - a/2 (0 when even rho^2 = 0 gives
less), the upper limit the rho^2 with P(R^2 <= r2) = a/2 (0 likewise).
The panel's one-sided bounds are the same limits at a' = 2a.
Writes mrc_interval.csv: N,k,r2,c,lower,upper,lowerBound,upperBound.
"""
import mpmath as mp

mp.mp.dps = 20


def cdf(x, rho2, k, n):
    a = mp.mpf(k) / 2
    b = mp.mpf(n - k - 1) / 2
    bp = mp.mpf(n - 1) / 2
    rho2 = mp.mpf(rho2)
    if rho2 == 0:
        return mp.betainc(a, b, 0, x, regularized=True)
    total = mp.mpf(0)
    logw0 = bp * mp.log(1 - rho2)
    i = 0
    while True:
        logw = logw0 + mp.loggamma(bp + i) - mp.loggamma(bp) - mp.loggamma(i + 1) + i * mp.log(rho2)
        term = mp.exp(logw) * mp.betainc(a + i, b, 0, x, regularized=True)
        total += term
        if i > 10 and mp.exp(logw) < mp.mpf(10) ** -22:
            break
        i += 1
    return total


def limit(r2, k, n, target):
    # The cdf at a fixed r2 falls as rho^2 grows: bisection on [0, 1).
    f = lambda rho2: cdf(r2, rho2, k, n) - target
    if f(0) <= 0:
        return mp.mpf(0)
    lo, hi = mp.mpf(0), mp.mpf(1) - mp.mpf("1e-9")
    for _ in range(55):
        mid = (lo + hi) / 2
        if f(mid) > 0:
            lo = mid
        else:
            hi = mid
    return (lo + hi) / 2


def interval(r2, k, n, a):
    return limit(r2, k, n, 1 - a / 2), limit(r2, k, n, a / 2)


cases = [(100, 6, 0.3, 0.95), (50, 3, 0.4, 0.99), (30, 2, 0.25, 0.9), (200, 10, 0.1, 0.8),
         (20, 1, 0.05, 0.95)]
with open("mrc_interval.csv", "w") as out:
    out.write("N,k,r2,c,lower,upper,lowerBound,upperBound\n")
    for n, k, r2, c in cases:
        a = 1 - mp.mpf(c)
        lo, up = interval(mp.mpf(r2), k, n, a)
        lb, ub = interval(mp.mpf(r2), k, n, 2 * a)
        out.write("%d,%d,%s,%s,%s,%s,%s,%s\n" % (n, k, r2, c, mp.nstr(lo, 15), mp.nstr(up, 15),
                                               mp.nstr(lb, 15), mp.nstr(ub, 15)))
