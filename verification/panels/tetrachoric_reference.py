#!/usr/bin/python3
"""Reference values of the tetrachoric correlation panel, in 40-digit
arithmetic (mpmath), independent of the program's estimator.

prob rows: a 2x2 table of cell probabilities of a standard bivariate normal
  with correlation rho cut at thresholds h (X) and k (Y), each cell a
  numerical integral: p11 = P(X < h, Y < k) = int_{-inf}^{h} phi(x)
  Phi((k - rho x) / sqrt(1 - rho^2)) dx, p12 = P(X >= h, Y < k), p21 =
  P(X < h, Y >= k), p22 the rest. The panel must give back rho.
freq rows: counts f11 f12 f21 f22; the proportions (f + 0.5) / (N + 2); the
  exact tetrachoric r solving P(X < h, Y < k; r) = p11 with h, k from the
  margins (a root of the same integral); r* = cos(pi / (1 + w^c)) of Bonett
  and Price with its 95% limits from log w -+ z se(log w).
Writes tetrachoric_reference.csv beside this script.
"""
import os
from mpmath import mp, mpf, quad, ncdf, npdf, sqrt, findroot, erfinv, cos, pi, exp, log, inf

mp.dps = 40


def phi2(h, k, rho):
    s = sqrt(1 - rho * rho)
    return quad(lambda x: npdf(x) * ncdf((k - rho * x) / s), [-inf, h])


def probit(p):
    return sqrt(2) * erfinv(2 * p - 1)


def g(x):
    return mp.nstr(x, 17, min_fixed=-1, max_fixed=-1)


rows = []
for rho, h, k in [("0.3", "0", "0"), ("-0.55", "0.4", "-0.2"), ("0.8", "-1", "0.5"),
                  ("0.05", "1.2", "1.4"), ("-0.9", "-0.3", "0.7")]:
    rho, h, k = mpf(rho), mpf(h), mpf(k)
    p11 = phi2(h, k, rho)
    p12 = ncdf(k) - p11
    p21 = ncdf(h) - p11
    p22 = 1 - p11 - p12 - p21
    rows.append("prob," + ",".join(g(x) for x in (rho, p11, p12, p21, p22)))

z = probit(mpf("0.025"))
for f in [(25, 25, 25, 25), (40, 10, 15, 35), (3, 12, 20, 5), (60, 2, 3, 1)]:
    n = sum(f)
    p = [(mpf(x) + mpf("0.5")) / (n + 2) for x in f]
    h = probit(p[0] + p[2])
    k = probit(p[0] + p[1])
    r = findroot(lambda t: phi2(h, k, t) - p[0], mpf("0.1"))
    a, b, c, d = p
    w = a * d / (b * c)
    m = min(a + b, c + d, a + c, b + d)
    cexp = (1 - abs((a + b) - (a + c)) / 5 - (mpf("0.5") - m) ** 2) / 2
    se = sqrt((1 / a + 1 / b + 1 / c + 1 / d) / n)
    rstar = cos(pi / (1 + w ** cexp))
    lo = cos(pi / (1 + exp(log(w) + z * se) ** cexp))
    up = cos(pi / (1 + exp(log(w) - z * se) ** cexp))
    rows.append("freq," + ",".join(str(x) for x in f) + "," + ",".join(g(x) for x in (r, rstar, lo, up)))

with open(os.path.join(os.path.dirname(os.path.abspath(__file__)), "tetrachoric_reference.csv"), "w") as out:
    out.write("\n".join(rows) + "\n")
