#!/usr/bin/python3
"""Noncentral chi-square with one degree of freedom at the largest accepted
noncentrality, 1e10, from its closed form at 50 digits:
X = (Z + sqrt(lambda))^2, so
  P(X <= x) = Phi(sqrt(x) - sqrt(lambda)) - Phi(-sqrt(x) - sqrt(lambda)),
  f(x) = (phi(sqrt(x) - sqrt(lambda)) + phi(sqrt(x) + sqrt(lambda))) / (2 sqrt(x)),
and the quantile (sqrt(lambda) + Phi^-1(p))^2, the second term of the
distribution function, below exp(-2e10), being far beneath 50 digits.
Writes chi_limit_reference.csv in the rows of the distribution tables:
family,function,p0 (lambda),p1 (df),p2,arg,expected."""
import os
from mpmath import mp, mpf, sqrt, ncdf, npdf, erfinv

mp.dps = 50
df, lam = 1, mpf(10) ** 10
sd = sqrt(2 * (df + 2 * lam))
mean = df + lam


def cdf(x):
    return ncdf(sqrt(x) - sqrt(lam)) - ncdf(-sqrt(x) - sqrt(lam))


def pdf(x):
    return (npdf(sqrt(x) - sqrt(lam)) + npdf(sqrt(x) + sqrt(lam))) / (2 * sqrt(x))


rows = []
for k in (-8, -3, 0, 1, 5):
    x = mpf(float(mean + k * sd))  # a double, so that the table holds it exactly
    rows.append(("cdf", x, cdf(x)))
    if k == -3:
        rows.append(("pdf", x, pdf(x)))
# The density and the quantile cost a mixture of some 1.5 million terms at
# this noncentrality (per Newton step for the quantile): few rows of them.
for p in ("1e-12",):
    p = mpf(p)
    x = (sqrt(lam) + sqrt(2) * erfinv(2 * p - 1)) ** 2
    rows.append(("quantile", p, x))

out = os.path.join(os.path.dirname(os.path.abspath(__file__)), "chi_limit_reference.csv")
with open(out, "w") as f:
    f.write("family,function,p0,p1,p2,arg,expected\n")
    for op, arg, value in rows:
        f.write("chi,%s,%s,%d,0,%s,%s\n" % (op, repr(float(lam)), df, repr(float(arg)), mp.nstr(value, 17)))
print(open(out).read())
