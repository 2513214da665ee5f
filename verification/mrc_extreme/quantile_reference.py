#!/usr/bin/python3
"""Quantiles of the sample squared multiple correlation R^2 where the
population rho^2 lies within 5e-7 of 1, in mpmath at 40 digits.

Each tail is the density integrated over u = 1 - x as in
mrc_extreme_reference.py (the tail the probability lies in: P(R^2 <= x) =
prob for prob <= 1/2, P(R^2 > x) = 1 - prob otherwise, 1 - prob taken
exactly from the double prob). The root is found by Newton's method on the
log of that tail against t = ln u, whose slope is u f(u) / tail, until the
log tail meets its target within 1e-20.

    /usr/bin/python3 quantile_reference.py > mrc_extreme_quantile.csv

(About 45 seconds a row for N = 10,000, a second or two for the others.)

Rows: family,function,p0,p1,p2,arg,expected with p0 rho^2, p1 variates k,
p2 N, arg prob, and expected 1 - x, the quantile's distance from 1 (a
quantile within 1e-12 of 1 keeps its digits only there).
"""
import sys

import mpmath as mp

from mrc_extreme_reference import density, integral

mp.mp.dps = 40

RHO2 = [0.9999995, 0.9999999, 1 - 1e-9, 1 - 1e-12]
DESIGNS = [(10, 1), (10, 5), (100, 1), (100, 5), (100, 30), (10000, 1), (10000, 5),
           (10000, 30)]
PROBS = [1e-6, 0.05, 0.5, 0.95, 1 - 1e-6]


def quantile_distance(prob, rho2, k, N):
    a = mp.mpf(k - 1) / 2
    b = mp.mpf(N - k) / 2
    bp = mp.mpf(N - 1) / 2
    p = mp.mpf(prob)
    lower = p <= mp.mpf(1) / 2
    target = p if lower else 1 - p

    def log_tail(t):
        u = mp.exp(t)
        tail = integral(u, 1, rho2, a, b, bp) if lower else integral(0, u, rho2, a, b, bp)
        slope = u * density(1 - u, u, rho2, a, b, bp) / tail
        return mp.log(tail) - mp.log(target), (-slope if lower else slope)

    # From the bulk, whose scale in u is (1 - rho^2)(N - k)/(N - 1); steps
    # of ln u held to 2, or to 10 rough standard deviations of ln(1 - R^2)
    # where that is less (large N), so that no step lands so far out in a
    # tail that its integral no longer settles.
    t = mp.log((1 - rho2) * (N - k) / (N - 1))
    limit = min(2, 10 * (2.0 / (N - k) + 2.0 / (N - 1)) ** 0.5)
    for _ in range(200):
        f, slope = log_tail(t)
        if abs(f) < mp.mpf("1e-20"):
            return mp.exp(t)
        step = -f / slope
        step = max(min(step, limit), -limit)
        t += step
        if t > 0:
            t = mp.mpf(-1e-3)
    raise RuntimeError("quantile not settled")


def num(x):
    return mp.nstr(x, 17, strip_zeros=False, min_fixed=0, max_fixed=0).replace(" ", "")


if __name__ == "__main__":
    print("family,function,p0,p1,p2,arg,expected")
    for N, m in DESIGNS:
        k = m + 1
        for r in RHO2:
            rho2 = mp.mpf(r)
            for prob in PROBS:
                u = quantile_distance(prob, rho2, k, N)
                print(f"r2,inv,{r!r},{k},{N},{prob!r},{num(u)}")
                sys.stdout.flush()
