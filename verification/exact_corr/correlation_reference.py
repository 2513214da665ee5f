#!/usr/bin/python3
"""Reference values of the exact tests of one correlation and of R^2.

Correlation (bivariate normal model): the distribution function of the
sample correlation r is the numerical integral (mpmath.quad) of its exact
density
    f(r) = (n - 2) Gamma(n - 1) (1 - rho^2)^((n - 1)/2) (1 - r^2)^((n - 4)/2)
           / (sqrt(2 pi) Gamma(n - 1/2) (1 - rho r)^(n - 3/2))
           * 2F1(1/2, 1/2; n - 1/2; (1 + rho r)/2).
Critical values under rho0 = 0 come from Student's t with n - 2 df
(r = t / sqrt(n - 2 + t^2)); under other rho0 and for the searches they
are roots of the integrated density. The large-sample method is Fisher's
z of r, normal with sd 1/sqrt(n - 3).

R^2 (random model): the distribution function is the negative-binomial
mixture of beta distributions
    P(R^2 <= x) = sum_i w_i I_x((k - 1)/2 + i, (N - k)/2),
    w_i = Gamma(b + i) / (Gamma(b) i!) rho^(2i) (1 - rho^2)^b, b = (N - 1)/2,
k = predictors + 1, summed with mpmath.betainc.

Writes correlation_cases.tsv beside this script (test id, analysis type,
status, inputs, outputs as key=value pairs; "approx" is the Fisher z option).
Also prints R's pwr.r.test answer for the two-tailed z check when R is
installed. Run: /usr/bin/python3 correlation_reference.py
"""

import os
import subprocess

import mpmath as mp
from scipy import stats

mp.mp.dps = 30


# ---------------------------------------------------------------- r

def solve(f, lo, hi):
    """Root of a monotone f in [lo, hi]: bisection to 1e-8, then Illinois."""
    lo, hi = mp.mpf(lo), mp.mpf(hi)
    flo = f(lo)
    while hi - lo > 1e-8:
        mid = (lo + hi) / 2
        fm = f(mid)
        if (fm < 0) == (flo < 0):
            lo, flo = mid, fm
        else:
            hi = mid
    return mp.findroot(f, (lo, hi), solver='illinois', tol=1e-24, verify=False)


def r_density(x, rho, n):
    x = mp.mpf(x)
    rho = mp.mpf(rho)
    k = ((n - 2) * mp.gamma(n - 1) * (1 - rho**2) ** (mp.mpf(n - 1) / 2)
         * (1 - x**2) ** (mp.mpf(n - 4) / 2)
         / (mp.sqrt(2 * mp.pi) * mp.gamma(n - mp.mpf(1) / 2)
            * (1 - rho * x) ** (n - mp.mpf(3) / 2)))
    return k * mp.hyp2f1(0.5, 0.5, n - 0.5, (1 + rho * x) / 2)


def r_cdf(x, rho, n):
    """P(r <= x), integrating from the nearer end, split at rho."""
    x = mp.mpf(x)
    pts = sorted(set([-1, x] + ([rho] if -1 < rho < x else [])))
    lower = mp.quad(lambda t: r_density(t, rho, n), pts)
    return lower


def r_sf(x, rho, n):
    x = mp.mpf(x)
    pts = sorted(set([x, 1] + ([rho] if x < rho < 1 else [])))
    return mp.quad(lambda t: r_density(t, rho, n), pts)


def r_quantile(p, rho, n):
    if rho == 0:
        t = stats.t.ppf(float(p), n - 2)
        return mp.mpf(t) / mp.sqrt(n - 2 + mp.mpf(t) ** 2)
    return solve(lambda x: r_cdf(x, rho, n) - p, -0.9999, 0.9999)


def r_power(rho1, rho0, n, alpha, two):
    """(lower critical, upper critical, power) of the exact test."""
    if two:
        hi = r_quantile(1 - mp.mpf(alpha) / 2, rho0, n)
        lo = r_quantile(mp.mpf(alpha) / 2, rho0, n)
        return lo, hi, r_cdf(lo, rho1, n) + r_sf(hi, rho1, n)
    if rho1 < rho0:
        c = r_quantile(alpha, rho0, n)
        return c, c, r_cdf(c, rho1, n)
    c = r_quantile(1 - mp.mpf(alpha), rho0, n)
    return c, c, r_sf(c, rho1, n)


def fisher_z(r):
    return mp.atanh(r)


def z_power(rho1, rho0, n, alpha, two):
    s = 1 / mp.sqrt(n - 3)
    d = (fisher_z(rho1) - fisher_z(rho0)) / s
    if two:
        c = mp.mpf(stats.norm.isf(alpha / 2))
        return -c, c, mp.ncdf(-c - d) + 1 - mp.ncdf(c - d)
    c = mp.mpf(stats.norm.isf(alpha))
    if rho1 < rho0:
        return -c, -c, mp.ncdf(-c - d)
    return c, c, 1 - mp.ncdf(c - d)


def smallest_n(power_at, target, start):
    """Smallest whole N >= 3 whose power reaches the target (power grows in N)."""
    n = start
    while n > 3 and power_at(n - 1) >= target:
        n -= 1
    while power_at(n) < target:
        n += 1
    return n


# ---------------------------------------------------------------- R^2

def r2_cdf(x, rho2, k, N):
    x = mp.mpf(x)
    rho2 = mp.mpf(rho2)
    a = mp.mpf(k - 1) / 2
    b2 = mp.mpf(N - k) / 2
    b = mp.mpf(N - 1) / 2
    if rho2 == 0:
        return mp.betainc(a, b2, 0, x, regularized=True)
    mean = b * rho2 / (1 - rho2)
    top = int(mean + 60 * mp.sqrt(mean + 1) + 60)
    total = mp.mpf(0)
    w = (1 - rho2) ** b
    for i in range(top + 1):
        if i > 0:
            w *= (b + i - 1) * rho2 / i
        total += w * mp.betainc(a + i, b2, 0, x, regularized=True)
    return total


def r2_quantile(p, rho2, k, N):
    if rho2 == 0:
        f = mp.mpf(stats.f.ppf(float(p), k - 1, N - k))
        return f / (f + mp.mpf(N - k) / (k - 1))
    return solve(lambda x: r2_cdf(x, rho2, k, N) - p, 1e-9, 0.9999)


def r2_power(rho1, rho0, p, N, alpha, two):
    k = p + 1
    if two:
        lo = r2_quantile(mp.mpf(alpha) / 2, rho0, k, N)
        hi = r2_quantile(1 - mp.mpf(alpha) / 2, rho0, k, N)
        return lo, hi, r2_cdf(lo, rho1, k, N) + 1 - r2_cdf(hi, rho1, k, N)
    if rho1 < rho0:
        c = r2_quantile(alpha, rho0, k, N)
        return c, c, r2_cdf(c, rho1, k, N)
    c = r2_quantile(1 - mp.mpf(alpha), rho0, k, N)
    return c, c, 1 - r2_cdf(c, rho1, k, N)


# ---------------------------------------------------------------- table

def fmt(x):
    return repr(float(x))


def main():
    rows = []

    def row(test, kind, inputs, outputs):
        ins = " ".join(f"{k}={v}" for k, v in inputs.items())
        outs = " ".join(f"{k}={fmt(v)}" for k, v in outputs.items())
        rows.append(f"{test}\t{kind}\t-1\t{ins}\t{outs}")

    # Post hoc, exact and Fisher z.
    for tails, rho1, rho0, n, alpha in [("One", 0.3, 0.0, 100, 0.05),
                                        ("Two", 0.3, 0.0, 100, 0.05),
                                        ("One", 0.2, 0.5, 50, 0.05),
                                        ("Two", 0.1, 0.4, 60, 0.01),
                                        ("One", 0.3, 0.0, 3, 0.05),
                                        ("One", -0.6, -0.2, 25, 0.1)]:
        two = tails == "Two"
        lo, hi, pw = r_power(rho1, rho0, n, alpha, two)
        lo, hi = min(lo, hi), max(lo, hi)
        row(605, "posthoc", dict(tails=tails, approx=0, rho1=rho1, alpha=alpha, n=n, rho0=rho0),
            dict(lowr=lo, upr=hi, power=pw))
        if n > 3:
            lo, hi, pw = z_power(rho1, rho0, n, alpha, two)
            lo, hi = min(lo, hi), max(lo, hi)
            row(605, "posthoc",
                dict(tails=tails, approx=1, rho1=rho1, alpha=alpha, n=n, rho0=rho0),
                dict(lowz=lo, upz=hi, power=pw))

    # A priori: the smallest N that reaches the power.
    for tails, rho1, rho0, alpha, target, start in [("One", 0.3, 0.0, 0.05, 0.95, 115),
                                                    ("Two", 0.3, 0.0, 0.05, 0.8, 84),
                                                    ("One", 0.5, 0.3, 0.05, 0.8, 100)]:
        two = tails == "Two"
        n = smallest_n(lambda m: r_power(rho1, rho0, m, alpha, two)[2], target, start)
        lo, hi, pw = r_power(rho1, rho0, n, alpha, two)
        row(605, "apriori", dict(tails=tails, approx=0, rho1=rho1, alpha=alpha,
                                 power=target, rho0=rho0),
            dict(N=n, actual=pw, lowr=min(lo, hi), upr=max(lo, hi)))
        nz = smallest_n(lambda m: z_power(rho1, rho0, m, alpha, two)[2], target, start)
        lo, hi, pw = z_power(rho1, rho0, nz, alpha, two)
        row(605, "apriori", dict(tails=tails, approx=1, rho1=rho1, alpha=alpha,
                                 power=target, rho0=rho0),
            dict(N=nz, actual=pw, lowz=min(lo, hi), upz=max(lo, hi)))

    # Criterion: the H1 quantile at the power's complement is the critical
    # value; alpha is its tail probability under H0.
    for rho1, n, target in [(0.3, 100, 0.95)]:
        c = r_quantile(1 - mp.mpf(target), rho1, n)
        a = r_sf(c, 0.0, n)
        row(605, "criterion", dict(tails="One", approx=0, rho1=rho1, power=target, n=n,
                                   rho0=0.0),
            dict(lowr=c, upr=c, alpha=a))

    # Sensitivity: the rho1 whose power at the H0 critical value is the target.
    for tails, direction, rho0, n, alpha, target in [("One", "1", 0.0, 100, 0.05, 0.95),
                                                      ("One", "0", 0.2, 80, 0.05, 0.8)]:
        c = r_quantile(1 - mp.mpf(alpha) if direction == "1" else mp.mpf(alpha), rho0, n)
        if direction == "1":
            rho1 = solve(lambda r: r_sf(c, r, n) - target, rho0 + 0.05, 0.9)
        else:
            rho1 = solve(lambda r: r_cdf(c, r, n) - target, -0.9, rho0 - 0.05)
        row(605, "sensitivity", dict(tails=tails, approx=0, dir=direction, alpha=alpha,
                                     power=target, n=n, rho0=rho0),
            dict(lowr=c, upr=c, rho1=rho1))

    # Compromise: the critical value where beta = q alpha.
    for rho1, n, q in [(0.3, 50, 2.0)]:
        c = solve(lambda x: r_cdf(x, rho1, n) - q * r_sf(x, 0.0, n), 0.1, 0.4)
        a = r_sf(c, 0.0, n)
        row(605, "compromise", dict(tails="One", approx=0, rho1=rho1, q=q, n=n, rho0=0.0),
            dict(lowr=c, upr=c, alpha=a, beta=q * a, power=1 - q * a))

    # R^2, random model.
    for tails, rho1, rho0, p, n, alpha in [("One", 0.3, 0.0, 3, 100, 0.05),
                                           ("One", 0.3, 0.1, 3, 100, 0.05),
                                           ("Two", 0.3, 0.1, 3, 100, 0.05),
                                           ("One", 0.1, 0.3, 5, 80, 0.05),
                                           ("One", 0.6, 0.0, 2, 12, 0.01)]:
        two = tails == "Two"
        lo, hi, pw = r2_power(rho1, rho0, p, n, alpha, two)
        row(611, "posthoc", dict(tails=tails, rho1sq=rho1, rho0sq=rho0, alpha=alpha, n=n,
                                 predictors=p),
            dict(lowr2=min(lo, hi), upr2=max(lo, hi), power=pw))

    for tails, rho1, rho0, p, alpha, target, start in [("One", 0.3, 0.0, 3, 0.05, 0.95, 49),
                                                       ("Two", 0.2, 0.05, 4, 0.05, 0.8, 100)]:
        two = tails == "Two"
        n = smallest_n(lambda m: r2_power(rho1, rho0, p, m, alpha, two)[2], target, start)
        lo, hi, pw = r2_power(rho1, rho0, p, n, alpha, two)
        row(611, "apriori", dict(tails=tails, rho1sq=rho1, rho0sq=rho0, alpha=alpha,
                                 power=target, predictors=p),
            dict(N=n, actual=pw, lowr2=min(lo, hi), upr2=max(lo, hi)))

    # R^2 Criterion: alpha at the H1 quantile of the power's complement,
    # shown as the smallest alpha the row shows whose power reaches the
    # target (the power rises with alpha: the first shown value at or above
    # it), with the critical value at the alpha shown.
    for rho1, p, n, target in [(0.2, 3, 60, 0.9)]:
        c = r2_quantile(1 - mp.mpf(target), rho1, p + 1, n)
        a = 1 - r2_cdf(c, 0.0, p + 1, n)
        unit = mp.mpf("1e-7") if mp.mpf("0.01") < a < 100 else mp.mpf(10) ** (mp.floor(mp.log10(a)) - 6)
        a = mp.ceil(a / unit) * unit
        c = r2_quantile(1 - a, 0.0, p + 1, n)
        assert 1 - r2_cdf(c, rho1, p + 1, n) >= mp.mpf(target)
        row(611, "criterion", dict(tails="One", rho1sq=rho1, rho0sq=0.0, power=target, n=n,
                                   predictors=p),
            dict(lowr2=c, upr2=c, alpha=a))

    # R^2 Sensitivity, upward from H0.
    for rho0, p, n, alpha, target in [(0.0, 3, 100, 0.05, 0.95)]:
        c = r2_quantile(1 - mp.mpf(alpha), rho0, p + 1, n)
        rho1 = solve(lambda r: 1 - r2_cdf(c, r, p + 1, n) - target, 0.1, 0.3)
        row(611, "sensitivity", dict(tails="One", dir="1", rho0sq=rho0, alpha=alpha,
                                     power=target, n=n, predictors=p),
            dict(lowr2=c, upr2=c, rho1sq=rho1))

    here = os.path.dirname(os.path.abspath(__file__))
    with open(os.path.join(here, "correlation_cases.tsv"), "w") as out:
        out.write("# test\ttype\tstatus\tinputs\toutputs\n")
        out.write("# written by correlation_reference.py; approx is the Fisher z option\n")
        for line in rows:
            out.write(line + "\n")

    try:
        res = subprocess.run(["Rscript", "-e",
                              "library(pwr); cat(pwr.r.test(r=0.3, sig.level=0.05, "
                              "power=0.8, alternative='two.sided')$n)"],
                             capture_output=True, text=True, timeout=60)
        print("pwr.r.test two-sided n:", res.stdout.strip())
    except (OSError, subprocess.SubprocessError):
        print("R not available")


if __name__ == "__main__":
    main()
