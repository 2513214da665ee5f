#!/usr/bin/python3
"""Both tails of the distribution of the sample squared multiple correlation
R^2 where the population rho^2 lies close to 1, in mpmath at 40 digits.

The density of R^2 (k variates, N observations, a = (k - 1)/2,
b = (N - k)/2, b' = (N - 1)/2) is

    f(x) = (1 - rho^2)^b' x^(a-1) (1 - x)^(b-1) / B(a, b) 2F1(b', b'; a; rho^2 x).

Euler's transformation turns the hypergeometric factor into
(1 - rho^2 x)^(a - 2b') 2F1(-b, -b; a; rho^2 x), whose series has positive
terms only, and in u = 1 - x with d = 1 - rho^2 the first factor is
(d + rho^2 u)^(a - 2b'): nothing cancels however close rho^2 is to 1.
P(R^2 <= x) is the integral of that density over u from 1 - x to 1,
P(R^2 > x) the one from 0 to 1 - x, each by mpmath.quad with break points
around the bulk, whose scale in u is d; neither sums the negative-binomial
mixture of beta ratios. At R^2 = 0.5, far below the bulk, the density
falls too steeply for one quadrature rule, and the lower tail is the
mixture summed term by term instead: its summand lies within the first
few hundred terms there.

    /usr/bin/python3 mrc_extreme_reference.py > mrc_extreme.csv

Rows: family,function,p0,p1,p2,arg,expected with p0 rho^2, p1 variates k,
p2 N, function cdf (P(R^2 <= arg)) or sf (P(R^2 > arg)). rho^2 and arg are
the doubles written, taken exactly.
"""
import sys

import mpmath as mp

mp.mp.dps = 40


def density(x, u, rho2, a, b, bp):
    """The density at R^2 = x, given x and u = 1 - x each to full precision."""
    d = 1 - rho2
    log_f = (bp * mp.log(d) + (a - 2 * bp) * mp.log(d + rho2 * u) + (a - 1) * mp.log(x)
             + (b - 1) * mp.log(u) - mp.log(mp.beta(a, b)))
    return mp.exp(log_f) * mp.hyp2f1(-b, -b, a, rho2 * x)


def breaks(lo, hi, d):
    pts = {lo, hi}
    for e in range(-12, 13):
        for c in (1, 2, 5):
            p = d * c * mp.mpf(10) ** e
            if lo < p < hi:
                pts.add(p)
    return sorted(pts)


def integral(lo, hi, rho2, a, b, bp, floor=0):
    """The density integrated over u = 1 - x from lo to hi; below x = 1/2 in
    x itself, so that x^(a-1) near 0 keeps its digits. mpmath's own error
    estimate of every piece must lie below 1e-12 of the result, or the
    result with its error below floor."""
    d = 1 - rho2
    half = mp.mpf(1) / 2
    total, error = mp.mpf(0), mp.mpf(0)
    if lo < half:
        pts = breaks(lo, min(hi, half), d)
        for p, q in zip(pts, pts[1:]):
            v, e = mp.quad(lambda u: density(1 - u, u, rho2, a, b, bp), [p, q], error=True)
            total, error = total + v, error + e
    if hi > half:
        v, e = mp.quad(lambda x: density(x, 1 - x, rho2, a, b, bp), [0, 1 - max(lo, half)],
                       error=True)
        total, error = total + v, error + e
    if not (error <= mp.mpf("1e-12") * total or total + error <= floor):
        raise RuntimeError("integral not settled: %s +- %s" % (total, error))
    return total


def mixture_cdf(x, rho2, k, N):
    """P(R^2 <= x) as the negative-binomial mixture of beta ratios, for an x
    whose summand lies within the first few thousand terms: summed until
    the terms, falling past their largest, are below 1e-45 of the sum."""
    a = mp.mpf(k - 1) / 2
    b = mp.mpf(N - k) / 2
    bp = mp.mpf(N - 1) / 2
    total, previous = mp.mpf(0), mp.mpf(0)
    for i in range(200000):
        w = mp.exp(mp.loggamma(bp + i) - mp.loggamma(bp) - mp.loggamma(i + 1)
                   + i * mp.log(rho2) + bp * mp.log(1 - rho2))
        term = w * mp.betainc(a + i, b, 0, x, regularized=True)
        total += term
        if i > 10 and term <= previous and term <= mp.mpf("1e-45") * total:
            return total
        previous = term
    raise RuntimeError("mixture not settled")


def tails(x, rho2, k, N):
    a = mp.mpf(k - 1) / 2
    b = mp.mpf(N - k) / 2
    bp = mp.mpf(N - 1) / 2
    u = 1 - x
    return integral(u, 1, rho2, a, b, bp), integral(0, u, rho2, a, b, bp)


def num(x):
    return mp.nstr(x, 17, strip_zeros=False, min_fixed=0, max_fixed=0).replace(" ", "")


RHO2 = [0.9999, 0.99999, 0.999999, 0.9999999, 1 - 1e-9, 1 - 1e-12]
DESIGNS = [(10, 1), (10, 5), (100, 1), (100, 5), (100, 30), (10000, 1), (10000, 5), (10000, 30)]
# Points in units of the bulk's scale of 1 - R^2, (1 - rho^2)(N - k)/(N - 1):
# its centre and 3 and 6 of the rough standard deviations s of ln(1 - R^2)
# either side; and a moderate R^2 = 0.5, where the lower tail is what a test
# against rho^2 = 0 meets.
SPREADS = [-6, -3, 0, 3, 6]

if __name__ == "__main__":
    print("family,function,p0,p1,p2,arg,expected")
    for N, m in DESIGNS:
        k = m + 1
        for r in RHO2:
            rho2 = mp.mpf(r)
            scale = (1 - r) * (N - k) / (N - 1)
            s = (2.0 / (N - k) + 2.0 / (N - 1)) ** 0.5
            for z in SPREADS:
                x = 1.0 - float(mp.exp(z * s)) * scale
                lower, upper = tails(mp.mpf(x), rho2, k, N)
                print(f"r2,cdf,{r!r},{k},{N},{x!r},{num(lower)}")
                print(f"r2,sf,{r!r},{k},{N},{x!r},{num(upper)}")
                sys.stdout.flush()
            # With N = 10000 that tail lies far below the doubles' range.
            if N <= 100:
                lower = mixture_cdf(mp.mpf(0.5), rho2, k, N)
                if lower > mp.mpf("1e-290"):
                    print(f"r2,cdf,{r!r},{k},{N},0.5,{num(lower)}")
