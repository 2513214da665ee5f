#!/usr/bin/python3
"""Test 611 (R^2, random model) where H1 or H0 puts rho^2 close to 1, as the
window computes it: critical values from the H0 distribution of R^2, power
from the H1 distribution, in all five analyses. mpmath, with
the distribution functions of mrc_extreme_reference.py at 24 digits (the density of R^2
integrated by mpmath.quad where the weights spread; the negative-binomial
mixture summed term by term where they do not), quantiles solved by the
Illinois method on ln(1 - x) to 1e-20.

    /usr/bin/python3 analysis_reference.py > analysis_reference.tsv

(or a list of the analyses to write, in that order, to run them apart).

Rows as in ../exact_corr/correlation_cases.tsv.
"""
import os
import sys

import mpmath as mp

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import mrc_extreme_reference as ref  # noqa: E402

mp.mp.dps = 24
SECTIONS = sys.argv[1:] or ["posthoc", "sensitivity", "apriori", "criterion", "compromise"]


def spread(rho2, N):
    """Whether the weights' bulk lies beyond a few thousand terms."""
    rho2 = mp.mpf(rho2)
    return rho2 > 0 and (N - 1) / 2 * rho2 / (1 - rho2) > 2000


def cdf(x, rho2, k, N):
    x, rho2 = mp.mpf(x), mp.mpf(rho2)
    if rho2 == 0:
        return mp.betainc(mp.mpf(k - 1) / 2, mp.mpf(N - k) / 2, 0, x, regularized=True)
    if not spread(rho2, N):
        return ref.mixture_cdf(x, rho2, k, N)
    if x <= mp.mpf("0.5") or 1 - x > 1000 * (1 - rho2):
        # Far below the bulk the summand lies within the first terms, and the
        # density falls too steeply there for one quadrature rule.
        return ref.mixture_cdf(x, rho2, k, N)
    a, b, bp = mp.mpf(k - 1) / 2, mp.mpf(N - k) / 2, mp.mpf(N - 1) / 2
    # A tail below 1e-15 only brackets a quantile here, or is the beta of
    # a power shown as 1: its digits do not count.
    return ref.integral(1 - x, 1, rho2, a, b, bp, floor=mp.mpf("1e-15"))


def quantile(p, rho2, k, N):
    """x with P(R^2 <= x) = p, solved in v = ln(1 - x)."""
    p, rho2 = mp.mpf(p), mp.mpf(rho2)
    f = lambda v: cdf(1 - mp.exp(v), rho2, k, N) - p
    if rho2 == 0 or not spread(rho2, N):
        lo, hi = mp.mpf(-60), mp.mpf(0)
    else:
        centre = mp.log((1 - mp.mpf(rho2)) * (N - k) / (N - 1))
        lo, hi = centre - 3, centre + 3
        while f(lo) < 0:
            lo -= 3
        while f(hi) > 0:
            hi = min(hi + 3, mp.mpf(0))
    v = mp.findroot(f, (lo, hi), solver="illinois", tol=mp.mpf("1e-20"), maxsteps=400)
    return 1 - mp.exp(v)


def critical(rho0, alpha, p, N, two):
    k = p + 1
    a = mp.mpf(alpha)
    if two:
        return quantile(a / 2, rho0, k, N), quantile(1 - a / 2, rho0, k, N)
    c = quantile(1 - a, rho0, k, N)
    return c, c


def beta_at(rho1, lo, hi, p, N, two):
    """The acceptance region's probability under H1 (rho1 above rho0)."""
    k = p + 1
    if two:
        return cdf(hi, rho1, k, N) - cdf(lo, rho1, k, N)
    return cdf(hi, rho1, k, N)


def num(x):
    return repr(float(x))


def row(kind, inputs, outputs):
    ins = " ".join(f"{k}={v}" for k, v in inputs.items())
    outs = " ".join(f"{k}={num(v)}" for k, v in outputs.items())
    print(f"611\t{kind}\t-1\t{ins}\t{outs}")
    sys.stdout.flush()


def solve(f, lo, hi):
    return mp.findroot(f, (mp.mpf(lo), mp.mpf(hi)), solver="illinois", tol=mp.mpf("1e-20"),
                       maxsteps=400)


if SECTIONS[0] == "posthoc":
    print("# test\ttype\tstatus\tinputs\toutputs")
    print("# written by analysis_reference.py")

# Post hoc: H1 rho^2 = 0.999999 against 0 and 0.5 (the failing case: the
# weights' mode lies beyond 5e7 terms), and against 0.99999, where the
# H0 weights spread as well.
for tails in ("One", "Two") if "posthoc" in SECTIONS else ():
    two = tails == "Two"
    for N, p, rho0 in [(10, 1, "0"), (10000, 1, "0"), (10, 5, "0.5"), (10, 1, "0.99999"),
                       (10, 5, "0.99999"), (100, 1, "0.99999")]:
        lo, hi = critical(rho0, "0.05", p, N, two)
        beta = beta_at("0.999999", lo, hi, p, N, two)
        row("posthoc", dict(tails=tails, rho1sq="0.999999", rho0sq=rho0, alpha="0.05", n=N,
                            predictors=p), dict(lowr2=lo, upr2=hi, power=1 - beta))

# Sensitivity: the H1 rho^2 above H0 = 0.9999 and 0.99999 with power 0.95.
for tails, rho0, N, p in [("One", "0.99999", 10, 1), ("Two", "0.9999", 100, 5)] \
        if "sensitivity" in SECTIONS else ():
    two = tails == "Two"
    lo, hi = critical(rho0, "0.05", p, N, two)
    # beta falls as rho1 grows; solved in ln(1 - rho1).
    r1 = 1 - mp.exp(solve(lambda v: beta_at(1 - mp.exp(v), lo, hi, p, N, two) - mp.mpf("0.05"),
                          mp.log(1 - mp.mpf(rho0)) - 4, mp.log(1 - mp.mpf(rho0)) - 0.01))
    row("sensitivity", dict(tails=tails, dir="1", rho0sq=rho0, alpha="0.05", power="0.95", n=N,
                            predictors=p), dict(lowr2=lo, upr2=hi, rho1sq=r1))

# A priori: the smallest N whose power reaches 0.95.
for tails, rho0, p in [("One", "0.99999", 1), ("Two", "0.99999", 5)] \
        if "apriori" in SECTIONS else ():
    two = tails == "Two"

    def power(N):
        lo, hi = critical(rho0, "0.05", p, N, two)
        return lo, hi, 1 - beta_at("0.999999", lo, hi, p, N, two)

    lo_n, hi_n = p + 2, 64
    while hi_n - lo_n > 1:
        mid = (lo_n + hi_n) // 2
        if power(mid)[2] >= mp.mpf("0.95"):
            hi_n = mid
        else:
            lo_n = mid
    if power(lo_n)[2] >= mp.mpf("0.95"):
        hi_n = lo_n
    lo, hi, pw = power(hi_n)
    row("apriori", dict(tails=tails, rho1sq="0.999999", rho0sq=rho0, alpha="0.05", power="0.95",
                        predictors=p), dict(N=hi_n, actual=pw, lowr2=lo, upr2=hi))

# Criterion: the alpha whose power is 0.95, solved in ln(alpha), shown as
# the smallest alpha the row shows whose power reaches it.
for tails, rho0, N, p in [("One", "0.99999", 10, 1), ("Two", "0.99999", 10, 5)] \
        if "criterion" in SECTIONS else ():
    two = tails == "Two"

    def power_at(alpha):
        lo, hi = critical(rho0, alpha, p, N, two)
        return 1 - beta_at("0.999999", lo, hi, p, N, two)

    la = solve(lambda la: power_at(mp.exp(la)) - mp.mpf("0.95"), mp.log("0.01"), mp.log("0.6"))
    # The power rises with alpha: the smallest alpha the row shows (seven
    # decimals here) whose power reaches the target is the first shown value
    # at or above the root; the critical values are those at it.
    alpha = mp.ceil(mp.exp(la) * 10**7) / 10**7
    assert power_at(alpha) >= mp.mpf("0.95")
    lo, hi = critical(rho0, alpha, p, N, two)
    row("criterion", dict(tails=tails, rho1sq="0.999999", rho0sq=rho0, power="0.95", n=N,
                          predictors=p), dict(lowr2=lo, upr2=hi, alpha=alpha))

# Compromise: beta / alpha = q = 1.
for tails, rho0, N, p in [("One", "0.99999", 10, 1), ("Two", "0.99999", 10, 5)] \
        if "compromise" in SECTIONS else ():
    two = tails == "Two"

    def ratio(la):
        alpha = mp.exp(la)
        lo, hi = critical(rho0, alpha, p, N, two)
        return mp.log(beta_at("0.999999", lo, hi, p, N, two)) - la

    # The answer shows alpha to its seven decimals; beta, the power and the
    # critical values beside it are those of the alpha shown.
    alpha = mp.exp(solve(ratio, mp.log("0.01"), mp.log("0.4")))
    alpha = mp.mpf(mp.nstr(alpha, 7 + int(mp.floor(mp.log10(alpha))) + 1))
    lo, hi = critical(rho0, alpha, p, N, two)
    beta = beta_at("0.999999", lo, hi, p, N, two)
    row("compromise", dict(tails=tails, rho1sq="0.999999", rho0sq=rho0, q="1", n=N,
                           predictors=p), dict(lowr2=lo, upr2=hi, alpha=alpha, beta=beta,
                                               power=1 - beta))
