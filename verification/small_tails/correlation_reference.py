#!/usr/bin/python3
"""Compromise of the tests of one correlation (605, Fisher's z) and of R^2
(611, exact distribution, H0 rho^2 = 0) where alpha and beta lie far below
1e-16, in mpmath.

    /usr/bin/python3 correlation_reference.py > correlation_reference.tsv

605 with the large-sample option: z of r is normal with mean
atanh(rho1) - atanh(rho0) and sd 1/sqrt(N - 3). 611: under H0 R^2 is
Beta((k - 1)/2, (N - k)/2), alpha its upper tail (the incomplete beta from
the upper side), beta the distribution function under H1 as the mixture of
../exact_corr/correlation_reference.py. Alpha solves log(beta) = log(q alpha)
over the critical value; one tail, rho1 above rho0. The answer shows alpha
to seven digits, and beta and the critical value beside it are those of the
alpha shown, as Post hoc gives them. Rows as in
../exact_corr/correlation_cases.tsv.
"""
import os
import sys

import mpmath as mp

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "exact_corr"))
from correlation_reference import r2_cdf  # noqa: E402

mp.mp.dps = 40


def bisect(f, lo, hi):
    flo = f(lo)
    for _ in range(90):
        mid = (lo + hi) / 2
        if (f(mid) < 0) == (flo < 0):
            lo, flo = mid, f(mid)
        else:
            hi = mid
    return (lo + hi) / 2


def shown(x):
    """x to the seven significant digits an output row shows below 0.01."""
    return mp.mpf(mp.nstr(x, 7))


def num(x):
    return mp.nstr(x, 15)


print("# test\ttype\tstatus\tinputs\toutputs")
for rho1, rho0, q, n in [("0.9", "0", "1", 500), ("0.8", "0.1", "0.5", 400)]:
    m = (mp.atanh(mp.mpf(rho1)) - mp.atanh(mp.mpf(rho0))) * mp.sqrt(n - 3)
    # crit c: alpha = P(Z > c), beta = P(Z + m < c) = Phi(c - m).
    c = bisect(lambda c: mp.log(mp.ncdf(c - m)) - mp.log(mp.mpf(q) * mp.ncdf(-c)), mp.mpf(0), m)
    a = shown(mp.ncdf(-c))
    c = bisect(lambda c: mp.log(a) - mp.log(mp.ncdf(-c)), mp.mpf(0), m)
    b = mp.ncdf(c - m)
    print(f"605\tcompromise\t-1\ttails=One approx=1 rho1={rho1} q={q} n={n} rho0={rho0}\t"
          f"alpha={num(a)} beta={num(b)}")

for rho1, q, n, p in [("0.7", "1", 160, 2), ("0.75", "2", 150, 4)]:
    k = p + 1
    a_, b_ = mp.mpf(k - 1) / 2, mp.mpf(n - k) / 2
    alpha = lambda c: mp.betainc(a_, b_, c, 1, regularized=True)
    beta = lambda c: r2_cdf(c, mp.mpf(rho1), k, n)
    c = bisect(lambda c: mp.log(beta(c)) - mp.log(mp.mpf(q) * alpha(c)), mp.mpf("0.05"),
               mp.mpf("0.999"))
    a = shown(alpha(c))
    c = bisect(lambda c: mp.log(a) - mp.log(alpha(c)), mp.mpf("0.05"), mp.mpf("0.999"))
    print(f"611\tcompromise\t-1\ttails=One rho1sq={rho1} rho0sq=0 q={q} n={n} predictors={p}\t"
          f"lowr2={num(c)} upr2={num(c)} alpha={num(a)} beta={num(beta(c))}")
