#!/usr/bin/python3
"""Reference values of the unconditional exact tests of two independent
proportions (null hypothesis of equality), written to null_cases.tsv.

Independent of the program's walks: every outcome (x1, x2) of the two
binomial groups is enumerated, its statistic computed from its definition,
and the power and the size summed over the rejected outcomes with scipy's
binomial masses. The critical values come from scipy's normal, t and
chi-square quantiles; the large-sample powers from scipy's normal and
noncentral t distributions.

The size is the one at the H0 proportions (p1 = p2 + delta), not the
supremum over the nuisance parameter.

    /usr/bin/python3 uncond_reference.py > null_cases.tsv
"""

import math
import sys

import numpy as np
from scipy import optimize, stats

# -------------------------------------------------------------- statistics


def xlogx(y):
    return np.where(y > 0, y * np.log(np.where(y > 0, y, 1.0)), 0.0)


def statistic(code, x1, x2, n1, n2):
    """Statistic of the null test for arrays of outcomes; large values speak
    for p1 above p2. Code 5 is the likelihood ratio G (not oriented)."""
    x1 = x1.astype(float)
    x2 = x2.astype(float)
    N = n1 + n2
    p1 = x1 / n1
    p2 = x2 / n2
    d = p1 - p2
    with np.errstate(divide="ignore", invalid="ignore"):
        if code in (0, 1):
            pbar = (x1 + x2) / N
            sd = np.sqrt((1 / n1 + 1 / n2) * pbar * (1 - pbar))
            if code == 0:
                v = d / sd
            else:
                v = None  # side dependent, see corrected()
        elif code in (2, 3):
            sd = np.sqrt(p2 * (1 - p2) / n2 + p1 * (1 - p1) / n1)
            v = d / sd
        elif code == 4:
            s = x1 + x2
            e = s * n2 / N
            var = n1 * n2 * s * (N - s) / (N * N * (N - 1))
            v = -(x2 - e) / np.sqrt(var)
        elif code == 5:
            v = 2 * (xlogx(x1) + xlogx(x2) + xlogx(n1 - x1) + xlogx(n2 - x2) + xlogx(N) -
                     xlogx(x1 + x2) - xlogx(N - x1 - x2) - xlogx(n1) - xlogx(n2))
        elif code == 6:
            g = n2 * x1 - n1 * x2
            w = (x1 * n2 * (n1 - x1) + x2 * n1 * (n2 - x2)) * N
            v = np.sqrt((N - 2) / w) * g
            v = np.where(w > 0, v, np.sign(g) * 1e30)
    if v is not None:
        v = np.where(np.abs(d) < 1e-40, 0.0, v)
        v = np.where(np.isnan(v), 0.0, v)
    return v


def corrected(code, x1, x2, n1, n2, side):
    """Continuity-corrected z (codes 1 and 3) for the side code: 0 upper tail
    only, 1 lower tail only, 2 both."""
    x1 = x1.astype(float)
    x2 = x2.astype(float)
    N = n1 + n2
    p1 = x1 / n1
    p2 = x2 / n2
    d = p1 - p2
    if code == 1:
        pbar = (x1 + x2) / N
        sd = np.sqrt((1 / n1 + 1 / n2) * pbar * (1 - pbar))
    else:
        sd = np.sqrt(p2 * (1 - p2) / n2 + p1 * (1 - p1) / n1)
    if side == 0:
        k = -0.5 * np.ones_like(d)
    elif side == 1:
        k = 0.5 * np.ones_like(d)
    else:
        k = np.where(d > 0, -0.5, 0.5)
    with np.errstate(divide="ignore", invalid="ignore"):
        v = (d + (1 / n1 + 1 / n2) * k) / sd
    if side == 2:
        # The correction takes the difference towards 0, never past it.
        v = np.where(np.sign(v) * np.sign(d) < 0, 0.0, v)
    v = np.where(sd > 0, v, np.sign(d) * 1e30)
    return np.where(np.abs(d) < 1e-40, 0.0, v)


def exact(code, p1, p2, n1, n2, alpha, one_tailed):
    """Exact power at p1 and size at p2 by enumeration of all outcomes."""
    x1, x2 = np.meshgrid(np.arange(n1 + 1), np.arange(n2 + 1), indexing="ij")
    if one_tailed:
        side = 1 if p1 <= p2 else 0
        k = 1
    else:
        side = 2
        k = 2
    N = n1 + n2
    if code in (1, 3):
        t = corrected(code, x1, x2, n1, n2, side)
    else:
        t = statistic(code, x1, x2, n1, n2)
    if code == 5:
        c = stats.chi2.ppf(1 - 2 * alpha / k, 1)
        upward = x1 / n1 - x2 / n2
        upper = (t > c) & (upward > 0)
        lower = (t > c) & (upward < 0)
    else:
        if code == 6:
            c = stats.t.ppf(1 - alpha / k, N - 2)
        else:
            c = stats.norm.ppf(1 - alpha / k)
        upper = t > c
        lower = t < -c
    if side == 0:
        reject = upper
    elif side == 1:
        reject = lower
    else:
        reject = upper | lower

    def mass(q1, q2):
        w = np.outer(stats.binom.pmf(np.arange(n1 + 1), n1, q1),
                     stats.binom.pmf(np.arange(n2 + 1), n2, q2))
        return float(math.fsum(w[reject]))

    return mass(p1, p2), mass(p2, p2)


# ------------------------------------------------------- large-sample power


def moments(code, p1, p2, n1, n2, one_tailed):
    N = n1 + n2
    side = 2 if not one_tailed else (0 if p2 > p1 else 1)
    pbar = (p2 * n2 + p1 * n1) / N
    u = math.sqrt(p1 * (1 - p1) / n1 + p2 * (1 - p2) / n2)
    h = (1 / n1 + 1 / n2) / 2
    d = p1 - p2
    pooled = math.sqrt((1 / n1 + 1 / n2) * pbar * (1 - pbar))
    if code in (0, 5):
        return d, d, pooled, u, side
    if code == 1:
        return d + h, d - h, pooled, u, side
    if code == 2:
        return d, d, u, u, side
    if code == 3:
        return d + h, d - h, u, u, side
    if code == 4:
        a = p2 * n2
        m = p1 * n1 + a
        e = a - m * n2 / N
        if abs(e) < 1e-12:
            return 0, 0, 0, 0, side
        v = n1 * n2 * m * (N - a - p1 * n1) / (N * N * (N - 1))
        s = math.sqrt(v) if v >= 0 else 0.0
        return -e, -e, s, s, side
    if code == 6:
        a = p2 * n2
        b = p1 * n1
        g = (n2 - a) * b - (n1 - b) * a
        if abs(g) < 1e-12:
            mean = 0.0
        else:
            w = (b * n2 * (n1 - b) + a * n1 * (n2 - a)) * N
            mean = math.sqrt((N - 2) / w) * g if w > 0 else math.copysign(1e30, g)
        return mean, N, 0, 0, side
    raise ValueError(code)


def large_sample(code, p1, p2, n1, n2, alpha, one_tailed):
    lo, up, s0, s1, side = moments(code, p1, p2, n1, n2, one_tailed)
    if code == 6:
        df = up - 2
        if side == 0:
            return stats.nct.cdf(stats.t.ppf(alpha, df), df, lo)
        if side == 1:
            return stats.nct.sf(stats.t.ppf(1 - alpha, df), df, lo)
        return (stats.nct.cdf(stats.t.ppf(alpha / 2, df), df, lo) +
                stats.nct.sf(stats.t.ppf(1 - alpha / 2, df), df, lo))
    if side == 0:
        return stats.norm.cdf((s0 * stats.norm.ppf(alpha) - lo) / s1)
    if side == 1:
        return stats.norm.sf((s0 * stats.norm.ppf(1 - alpha) - up) / s1)
    return (stats.norm.cdf((s0 * stats.norm.ppf(alpha / 2) - lo) / s1) +
            stats.norm.sf((s0 * stats.norm.ppf(1 - alpha / 2) - up) / s1))


# ------------------------------------------------------------- A priori


def split(k, r):
    n1 = math.floor(k / (r + 1) + 0.5)
    return n1, math.floor(n1 * r + 0.5)


def apriori(code, p1, p2, alpha, target, r, one_tailed):
    """The first N from below, in the window the search scans, whose exact
    power reaches the target; the large-sample N is where it starts."""
    def f(x):
        n1 = x / (r + 1)
        return large_sample(code, p1, p2, n1, x - n1, alpha, one_tailed) - target
    n = optimize.brentq(f, 3.0, 1e7, xtol=1e-12)
    k0 = math.ceil(n)

    def power(k):
        n1, n2 = split(k, r)
        if n1 <= 1 or n2 <= 1:
            return None
        return exact(code, p1, p2, n1, n2, alpha, one_tailed)[0]

    K = None
    for k in range(k0, k0 + 300):
        p = power(k)
        if p is not None and p >= target:
            K = k
            break
    j = max(K - 30, 2)
    while j > 2:
        p = power(j)
        if p is not None and p < target:
            break
        j = max(j - 30, 2)
    answer = K
    for k in range(j, k0):
        p = power(k)
        if p is not None and p >= target:
            answer = k
            break
    n1, n2 = split(answer, r)
    pw, size = exact(code, p1, p2, n1, n2, alpha, one_tailed)
    return n1, n2, pw, size


# ------------------------------------------------------------- Sensitivity


def sensitivity(code, p2, alpha, target, n1, n2, one_tailed, upward):
    """p1 whose exact power meets the target: with the region fixed, the
    power rises continuously with p1 on the side searched."""
    def f(p1):
        return exact(code, p1, p2, n1, n2, alpha, one_tailed)[0] - target
    if upward:
        p1 = optimize.brentq(f, p2 + 1e-9, 1.0, xtol=1e-13)
    else:
        p1 = optimize.brentq(f, 0.0, p2 - 1e-9, xtol=1e-13)
    pw, size = exact(code, p1, p2, n1, n2, alpha, one_tailed)
    return p1, pw, size


# ------------------------------------------------------------------ rows


def fmt(x):
    return repr(float(x))


def main():
    out = sys.stdout
    out.write("# test\ttype\tstatus\tinputs\toutputs\n")
    out.write("# written by uncond_reference.py; stat is the statistic code, index the\n")
    out.write("# effect measure (0 p1, 1 difference, 2 risk ratio, 3 odds ratio), large\n")
    out.write("# the large-sample option\n")
    rows = []
    # Post hoc, exact: every statistic, both tails.
    posthoc = [
        (0.6, 0.3, 50, 50, 0.05),
        (0.2, 0.45, 30, 45, 0.05),
        (0.35, 0.3, 80, 40, 0.1),
        (0.9, 0.6, 12, 7, 0.05),
    ]
    for code in range(7):
        for (p1, p2, n1, n2, a) in posthoc:
            for tails in ("One", "Two"):
                pw, size = exact(code, p1, p2, n1, n2, a, tails == "One")
                rows.append(("posthoc", f"stat={code} index=1 tails={tails} diff={fmt(p1 - p2)} "
                             f"p2={p2} alpha={a} n1={n1} n2={n2}",
                             f"power={fmt(pw)} actualalpha={fmt(size)}"))
    # The effect measures: the same proportions entered four ways.
    p1, p2 = 0.45, 0.3
    measures = [(0, "p1", p1), (2, "rr", p1 / p2),
                (3, "or", (p1 / (1 - p1)) / (p2 / (1 - p2)))]
    pw, size = exact(0, p1, p2, 40, 60, 0.05, False)
    for index, key, value in measures:
        rows.append(("posthoc", f"stat=0 index={index} tails=Two {key}={fmt(value)} p2={p2} "
                     f"alpha=0.05 n1=40 n2=60", f"power={fmt(pw)} actualalpha={fmt(size)}"))
    # Large-sample power: every statistic.
    for code in range(7):
        for (p1, p2, n1, n2, a) in posthoc[:2]:
            for tails in ("One", "Two"):
                pw = large_sample(code, p1, p2, n1, n2, a, tails == "One")
                rows.append(("posthoc", f"stat={code} index=1 large=1 tails={tails} "
                             f"diff={fmt(p1 - p2)} p2={p2} alpha={a} n1={n1} n2={n2}",
                             f"power={fmt(pw)} actualalpha={a}"))
    # A priori, exact.
    for (code, p1, p2, a, target, r, tails) in [
        (0, 0.6, 0.3, 0.05, 0.95, 1.0, "Two"),
        (0, 0.6, 0.3, 0.05, 0.8, 1.0, "One"),
        (2, 0.2, 0.4, 0.05, 0.8, 2.0, "Two"),
        (6, 0.5, 0.3, 0.01, 0.9, 0.5, "One"),
        (5, 0.7, 0.4, 0.05, 0.9, 1.0, "Two"),
    ]:
        n1, n2, pw, size = apriori(code, p1, p2, a, target, r, tails == "One")
        rows.append(("apriori", f"stat={code} index=1 tails={tails} diff={fmt(p1 - p2)} "
                     f"p2={p2} alpha={a} power={target} r={r}",
                     f"n1={n1} n2={n2} N={n1 + n2} actual={fmt(pw)} actualalpha={fmt(size)}"))
    # A priori, large sample.
    for (code, p1, p2, a, target, r, tails) in [
        (0, 0.6, 0.3, 0.05, 0.95, 1.0, "Two"),
        (6, 0.5, 0.3, 0.01, 0.9, 0.5, "One"),
    ]:
        def f(x):
            m1 = x / (r + 1)
            return large_sample(code, p1, p2, m1, x - m1, a, tails == "One") - target
        n = optimize.brentq(f, 3.0, 1e7, xtol=1e-12)
        n1, n2 = split(n, r)
        while n1 + n2 < n:
            n1 += 1
            n2 = math.floor(n1 * r + 0.5)
        pw = large_sample(code, p1, p2, n1, n2, a, tails == "One")
        rows.append(("apriori", f"stat={code} index=1 large=1 tails={tails} "
                     f"diff={fmt(p1 - p2)} p2={p2} alpha={a} power={target} r={r}",
                     f"n1={n1} n2={n2} N={n1 + n2} actual={fmt(pw)} actualalpha={a}"))
    # Sensitivity, exact: the answer as a difference.
    for (code, p2, a, target, n1, n2, tails, up) in [
        (0, 0.3, 0.05, 0.8, 50, 50, "Two", True),
        (0, 0.3, 0.05, 0.8, 50, 50, "One", False),
        (3, 0.5, 0.05, 0.9, 40, 30, "Two", True),
    ]:
        p1, pw, size = sensitivity(code, p2, a, target, n1, n2, tails == "One", up)
        direction = "p1$\\ge$p2" if up else "p1$\\le$p2"
        rows.append(("sensitivity", f"stat={code} index=1 tails={tails} dir={direction} "
                     f"p2={p2} alpha={a} power={target} n1={n1} n2={n2}",
                     f"diff={fmt(p1 - p2)} actual={fmt(pw)} actualalpha={fmt(size)}"))
    for type_, inputs, outputs in rows:
        out.write(f"607\t{type_}\t-1\t{inputs}\t{outputs}\n")


if __name__ == "__main__":
    main()
