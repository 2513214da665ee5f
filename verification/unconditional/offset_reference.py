#!/usr/bin/python3
"""Reference values of the unconditional exact test of two independent
proportions with an offset (H0: p1 - p2 = delta, p1/p2 = rho0 or an odds
ratio psi0), written to offset_cases.tsv (calculations) and
offset_scores.tsv (statistics of single outcomes).

The restricted maximum-likelihood estimates of the score statistics are
found by direct numerical optimisation of the binomial log-likelihood along
the H0 constraint (scipy's bounded Brent search), not by the closed forms;
the exact power and size sum scipy's binomial masses over every outcome
(x1, x2) that the statistic rejects. Large-sample powers from scipy's normal
and noncentral t distributions.

    /usr/bin/python3 offset_reference.py
"""

import math
import os

import numpy as np
from scipy import optimize, special, stats

HERE = os.path.dirname(os.path.abspath(__file__))

# ------------------------------------------------ restricted estimates


def loglik(x1, n1, x2, n2, q1, q2):
    return (special.xlogy(x1, q1) + special.xlog1py(n1 - x1, -q1) +
            special.xlogy(x2, q2) + special.xlog1py(n2 - x2, -q2))


def restricted(measure, h0, x1, n1, x2, n2):
    """(p1, p2) maximising the likelihood on the H0 curve of the measure:
    'diff' p1 = p2 + h0, 'ratio' p1 = h0 p2, 'odds' odds1 = h0 odds2."""
    if measure == "diff":
        lo, hi = max(0.0, -h0), min(1.0, 1.0 - h0)
        p1_of = lambda q2: q2 + h0
    elif measure == "ratio":
        lo, hi = 0.0, min(1.0, 1.0 / h0)
        p1_of = lambda q2: h0 * q2
    else:
        lo, hi = 0.0, 1.0
        p1_of = lambda q2: h0 * q2 / (1.0 + (h0 - 1.0) * q2)
    f = lambda q2: -loglik(x1, n1, x2, n2, min(max(p1_of(q2), 0.0), 1.0), q2)
    r = optimize.minimize_scalar(f, bounds=(lo, hi), method="bounded",
                                 options={"xatol": 1e-14, "maxiter": 500})
    q2 = r.x
    # The optimum may sit on an end of the interval.
    for end in (lo, hi):
        if f(end) < f(q2):
            q2 = end
    # Brent's search ends within some 1e-8 of an interior optimum, where the
    # likelihood is flat; the slope of the log-likelihood along the H0 curve
    # changes sign there and pins it down to the last digits.
    if measure == "diff":
        dp1 = lambda q2: 1.0
    elif measure == "ratio":
        dp1 = lambda q2: h0
    else:
        dp1 = lambda q2: h0 / (1.0 + (h0 - 1.0) * q2) ** 2

    def slope(q):
        q1 = p1_of(q)
        return ((x1 / q1 - (n1 - x1) / (1 - q1)) * dp1(q) + x2 / q - (n2 - x2) / (1 - q))

    if lo < q2 < hi:
        a, b = max(lo, q2 - 1e-6), min(hi, q2 + 1e-6)
        a, b = (a + 1e-15 if a == lo else a), (b - 1e-15 if b == hi else b)
        if slope(a) > 0 > slope(b):
            q2 = optimize.brentq(slope, a, b, xtol=1e-16, rtol=1e-15)
    return p1_of(q2), q2


def gart_nam(z, g):
    if not math.isfinite(g) or g == 0.0:
        return z
    a = max(1.0 + 4.0 * g * (z + g), 0.0)
    return 2.0 * (z + g) / (math.sqrt(a) + 1.0)


def score(code, x1, n1, x2, n2, p2design, delta):
    """The score statistics 7 to 14 of one outcome, from estimates found by
    optimisation; large for p1 above its H0 value."""
    N = n1 + n2
    h1, h2 = x1 / n1, x2 / n2
    if code in (7, 8, 9):
        t1, t2 = restricted("diff", delta, x1, n1, x2, n2)
        d = h1 - h2 - delta
        v = t1 * (1 - t1) / n1 + t2 * (1 - t2) / n2
        if code == 8:
            v *= N / (N - 1)
        if v <= 0:
            return 0.0 if d == 0 else math.copysign(1e30, d), t1, t2
        z = d / math.sqrt(v)
        if code == 9:
            g = (v ** -1.5 / 6) * (t1 * (1 - t1) * (1 - 2 * t1) / n1 ** 2 -
                                   t2 * (1 - t2) * (1 - 2 * t2) / n2 ** 2)
            z = gart_nam(z, g)
        return z, t1, t2
    if code in (10, 11, 12):
        rho = (p2design + delta) / p2design
        if x1 + x2 == 0:
            return 0.0, 0.0, 0.0
        t1, t2 = restricted("ratio", rho, x1, n1, x2, n2)
        r = h1 - rho * h2
        v = t1 * (1 - t1) / n1 + rho * rho * t2 * (1 - t2) / n2
        if code == 11:
            v *= N / (N - 1)
        sd = math.sqrt(v)
        if sd < 1e-12:
            sd = 1e-5
        if sd < 1e-5:
            sd += 1e-7
        z = r / sd
        if code == 12:
            g = (((1 - 2 * t1) * (1 - t1) / (n1 ** 2 * t1 ** 2) -
                  (1 - 2 * t2) * (1 - t2) / (n2 ** 2 * t2 ** 2)) /
                 (6 * ((1 - t1) / (n1 * t1) + (1 - t2) / (n2 * t2)) ** 1.5))
            z = gart_nam(z, g)
        return z, t1, t2
    psi = ((p2design + delta) / (1 - p2design - delta)) / (p2design / (1 - p2design))
    if x1 + x2 == 0 or x1 + x2 == N:
        return 0.0, h1, h2
    t1, t2 = restricted("odds", psi, x1, n1, x2, n2)
    v = 1 / (n1 * t1 * (1 - t1)) + 1 / (n2 * t2 * (1 - t2))
    if code == 14:
        v *= N / (N - 1)
    u = (h1 - t1) / (t1 * (1 - t1)) - (h2 - t2) / (t2 * (1 - t2))
    return u / math.sqrt(v), t1, t2


def simple(code, x1, n1, x2, n2, delta, side):
    """Codes 0 to 3 and 6 of one outcome; side 0 upper tail, 1 lower, 2 both.
    Without pooled spread (codes 0, 1) or unpooled spread (code 3) the value
    is 0; code 2 divides by the zero sd (+-infinity, 0 for 0/0). The
    correction of codes 1 and 3 is -h when p1^ > p2^, else +h, and each tail
    tested alone drops the one that would move the value towards it."""
    N = n1 + n2
    h1, h2 = x1 / n1, x2 / n2
    d = h1 - h2 - delta
    if code == 6:
        g = (n2 - x2 - delta * n2) * x1 - (x2 + delta * n2) * (n1 - x1)
        if abs(g) < 1e-12:
            return 0.0
        w = (x1 * n2 * (n1 - x1) + x2 * n1 * (n2 - x2)) * N
        return math.sqrt((N - 2) / w) * g if w > 0 else math.copysign(1e30, g)
    if code in (0, 1):
        if x1 + x2 == 0 or x1 + x2 == N:
            return 0.0
        pbar = (x1 + x2) / N
        sd = math.sqrt((1 / n1 + 1 / n2) * pbar * (1 - pbar))
    else:
        sd = math.sqrt(h2 * (1 - h2) / n2 + h1 * (1 - h1) / n1)
    if code == 2:
        if sd <= 0:
            return 0.0 if d == 0 else math.copysign(math.inf, d)
        return d / sd
    if sd <= 0:
        return 0.0
    if code == 0:
        return d / sd
    above = x1 * n2 > x2 * n1
    k = {0: -1.0 if above else 0.0, 1: 0.0 if above else 1.0, 2: -1.0 if above else 1.0}[side]
    return (d + k * (1 / n1 + 1 / n2) / 2) / sd


# ------------------------------------------------------------ exact power


def statistic_grid(code, n1, n2, p2, delta, side):
    t = np.zeros((n1 + 1, n2 + 1))
    for x1 in range(n1 + 1):
        for x2 in range(n2 + 1):
            if code >= 7:
                t[x1, x2] = score(code, x1, n1, x2, n2, p2, delta)[0]
            else:
                t[x1, x2] = simple(code, x1, n1, x2, n2, delta, side)
    return t


_grids = {}


def exact(code, p1, p2, delta, n1, n2, alpha, one_tailed):
    p0 = p2 + delta
    side = (1 if p1 <= p0 else 0) if one_tailed else 2
    key = (code, n1, n2, p2, delta, side)
    if key not in _grids:
        _grids[key] = statistic_grid(code, n1, n2, p2, delta, side)
    t = _grids[key]
    k = 1 if one_tailed else 2
    N = n1 + n2
    c = stats.t.ppf(1 - alpha / k, N - 2) if code == 6 else stats.norm.ppf(1 - alpha / k)
    reject = {0: t > c, 1: t < -c, 2: (t > c) | (t < -c)}[side]

    def mass(q1):
        w = np.outer(stats.binom.pmf(np.arange(n1 + 1), n1, q1),
                     stats.binom.pmf(np.arange(n2 + 1), n2, p2))
        return float(math.fsum(w[reject]))

    return mass(p1), mass(p0)


# ------------------------------------------------------- large-sample power


def moments(code, p, p2, delta, n1, n2, one_tailed):
    """Moments of the statistic at the expected counts p n1 and p2 n2."""
    N = n1 + n2
    side = 2 if not one_tailed else (0 if p < p2 + delta else 1)
    d = p - p2 - delta
    pbar = (p * n1 + p2 * n2) / N
    s_pool = math.sqrt((1 / n1 + 1 / n2) * pbar * (1 - pbar))
    s_unp = math.sqrt(p2 * (1 - p2) / n2 + p * (1 - p) / n1)
    h = (1 / n1 + 1 / n2) / 2
    x1, x2 = p * n1, p2 * n2
    if code == 0:
        return d, d, s_pool, s_unp, side
    if code == 1:
        return d + h, d - h, s_pool, s_unp, side
    if code == 2:
        return d, d, s_unp, s_unp, side
    if code == 3:
        return d + h, d - h, s_unp, s_unp, side
    if code == 6:
        return simple(6, x1, n1, x2, n2, delta, 2), N, 0, 0, side
    if code in (7, 8, 9):
        z, t1, t2 = score(code, x1, n1, x2, n2, p2, delta)
        v = t1 * (1 - t1) / n1 + t2 * (1 - t2) / n2
        if code == 8:
            v *= N / (N - 1)
        sd0 = math.sqrt(v) if code != 9 else d / z
        return d, d, sd0, s_unp, side
    rho = (p2 + delta) / p2
    if code in (10, 11, 12):
        z, t1, t2 = score(code, x1, n1, x2, n2, p2, delta)
        r = p - rho * p2
        v = t1 * (1 - t1) / n1 + rho * rho * t2 * (1 - t2) / n2
        if code == 11:
            v *= N / (N - 1)
        sd = max(math.sqrt(v), 1e-5) if math.sqrt(v) < 1e-12 else math.sqrt(v)
        sd0 = sd if code != 12 else r / z
        return r, r, sd0, math.sqrt(rho * rho * p2 * (1 - p2) / n2 + p * (1 - p) / n1), side
    z, t1, t2 = score(code, x1, n1, x2, n2, p2, delta)
    return z, z, 1, 1, side


def large_sample(code, p1, p2, delta, n1, n2, alpha, one_tailed):
    lo, up, s0, s1, side = moments(code, p1, p2, delta, n1, n2, one_tailed)
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


# ------------------------------------------------------------------ rows

KEYS = {0: ("p1h1", "p1h0"), 1: ("diffh1", "diffh0"), 2: ("rrh1", "rrh0"), 3: ("orh1", "orh0")}


def measure(index, p1, p2):
    return [p1, p1 - p2, p1 / p2, (p1 / (1 - p1)) / (p2 / (1 - p2))][index]


def fmt(x):
    return repr(float(x))


def main():
    rows = []
    # (index, codes, p1, p0, p2, n1, n2, alpha); the corner outcomes where
    # a statistic has no spread (all or none of both groups) carry no mass
    # worth a digit in these designs.
    designs = [
        (0, [0], 0.65, 0.55, 0.5, 50, 50, 0.05),
        (1, [0, 1, 2, 3, 6, 7, 8, 9], 0.65, 0.55, 0.5, 50, 50, 0.05),
        (1, [0, 1, 3, 7, 9], 0.3, 0.45, 0.4, 40, 35, 0.1),
        (2, [10, 11, 12], 0.75, 0.6, 0.5, 45, 50, 0.05),
        (2, [10, 12], 0.2, 0.36, 0.4, 40, 35, 0.05),
        (3, [13, 14], 0.7, 0.6, 0.5, 50, 45, 0.05),
    ]
    for index, codes, p1, p0, p2, n1, n2, a in designs:
        delta = p0 - p2
        k1, k0 = KEYS[index]
        for code in codes:
            for tails in ("One", "Two"):
                pw, size = exact(code, p1, p2, delta, n1, n2, a, tails == "One")
                rows.append(("posthoc",
                             f"stat={code} index={index} tails={tails} "
                             f"{k1}={fmt(measure(index, p1, p2))} "
                             f"{k0}={fmt(measure(index, p0, p2))} p2={p2} alpha={a} "
                             f"n1={n1} n2={n2}",
                             f"power={fmt(pw)} actualalpha={fmt(size)}"))
                lpw = large_sample(code, p1, p2, delta, n1, n2, a, tails == "One")
                rows.append(("posthoc",
                             f"stat={code} index={index} large=1 tails={tails} "
                             f"{k1}={fmt(measure(index, p1, p2))} "
                             f"{k0}={fmt(measure(index, p0, p2))} p2={p2} alpha={a} "
                             f"n1={n1} n2={n2}",
                             f"power={fmt(lpw)} actualalpha={a}"))
    # Sensitivity: p1 whose exact power meets the target, the region fixed.
    for index, code, p0, p2, n1, n2, a, target, tails, up in [
        (1, 7, 0.55, 0.5, 50, 50, 0.05, 0.8, "One", True),
        (2, 10, 0.36, 0.4, 40, 35, 0.05, 0.7, "Two", False),
    ]:
        delta = p0 - p2
        f = lambda p1: exact(code, p1, p2, delta, n1, n2, a, tails == "One")[0] - target
        p1 = (optimize.brentq(f, p0 + 1e-9, 1.0, xtol=1e-13) if up else
              optimize.brentq(f, 0.0, p0 - 1e-9, xtol=1e-13))
        pw, size = exact(code, p1, p2, delta, n1, n2, a, tails == "One")
        k1, k0 = KEYS[index]
        direction = "p|H1$\\ge$p|H0" if up else "p|H1$\\le$p|H0"
        rows.append(("sensitivity",
                     f"stat={code} index={index} tails={tails} dir={direction} "
                     f"{k0}={fmt(measure(index, p0, p2))} p2={p2} alpha={a} power={target} "
                     f"n1={n1} n2={n2}",
                     f"{k1}={fmt(measure(index, p1, p2))} actual={fmt(pw)} "
                     f"actualalpha={fmt(size)}"))

    # A priori: the first total from below, in the window the search scans,
    # whose exact power reaches the target, starting from the large-sample
    # total; and the large-sample answer alone.
    def split(k, r):
        n1 = math.floor(k / (r + 1) + 0.5)
        return n1, math.floor(n1 * r + 0.5)

    for index, code, p1, p0, p2, a, target, r, tails, large in [
        (0, 0, 0.65, 0.55, 0.5, 0.05, 0.8, 1.0, "One", False),
        (2, 10, 0.75, 0.6, 0.5, 0.05, 0.9, 2.0, "Two", True),
        (3, 14, 0.3, 0.45, 0.5, 0.01, 0.8, 0.5, "One", True),
    ]:
        delta = p0 - p2
        one = tails == "One"

        def f(x):
            m1 = x / (r + 1)
            return large_sample(code, p1, p2, delta, m1, x - m1, a, one) - target
        n = optimize.brentq(f, 3.0, 1e7, xtol=1e-12)
        if large:
            n1, n2 = split(n, r)
            while n1 + n2 < n:
                n1 += 1
                n2 = math.floor(n1 * r + 0.5)
            pw, size = large_sample(code, p1, p2, delta, n1, n2, a, one), a
        else:
            k0 = math.ceil(n)

            def power(k):
                m1, m2 = split(k, r)
                if m1 <= 1 or m2 <= 1:
                    return None
                return exact(code, p1, p2, delta, m1, m2, a, one)[0]

            K = next(k for k in range(k0, k0 + 300)
                     if power(k) is not None and power(k) >= target)
            j = max(K - 30, 2)
            while j > 2:
                pj = power(j)
                if pj is not None and pj < target:
                    break
                j = max(j - 30, 2)
            answer = next((k for k in range(j, k0)
                           if power(k) is not None and power(k) >= target), K)
            n1, n2 = split(answer, r)
            pw, size = exact(code, p1, p2, delta, n1, n2, a, one)
        k1, k0key = KEYS[index]
        rows.append(("apriori",
                     f"stat={code} index={index} tails={tails} large={int(large)} "
                     f"{k1}={fmt(measure(index, p1, p2))} {k0key}={fmt(measure(index, p0, p2))} "
                     f"p2={p2} alpha={a} power={target} r={r}",
                     f"n1={n1} n2={n2} N={n1 + n2} actual={fmt(pw)} actualalpha={fmt(size)}"))

    with open(os.path.join(HERE, "offset_cases.tsv"), "w") as out:
        out.write("# test\ttype\tstatus\tinputs\toutputs\n")
        out.write("# written by offset_reference.py; stat is the statistic code, index the\n")
        out.write("# effect measure (0 p1, 1 difference, 2 risk ratio, 3 odds ratio), large\n")
        out.write("# the large-sample option\n")
        for type_, inputs, outputs in rows:
            out.write(f"608\t{type_}\t-1\t{inputs}\t{outputs}\n")

    # Statistics of single outcomes: code, x1, n1, x2, n2, p2 of the design,
    # delta, then the restricted estimates and the statistic.
    with open(os.path.join(HERE, "offset_scores.tsv"), "w") as out:
        out.write("# code\tx1\tn1\tx2\tn2\tp2\tdelta\tp1tilde\tp2tilde\tz\n")
        out.write("# written by offset_reference.py; estimates by optimisation\n")
        cases = []
        for code in (7, 8, 9):
            cases.append((code, 30, 50, 20, 50, 0.5, 0.05))
            cases.append((code, 12, 40, 21, 35, 0.4, 0.1))
            cases.append((code, 0, 30, 0, 20, 0.3, 0.2))
        for code in (10, 11, 12):
            cases.append((code, 30, 50, 20, 50, 0.5, 0.1))   # risk ratio 1.2
            cases.append((code, 9, 40, 25, 35, 0.4, -0.1))   # risk ratio 0.75
        for code in (13, 14):
            cases.append((code, 30, 50, 20, 50, 0.4, 0.1))   # odds ratio 1.5
            cases.append((code, 7, 25, 30, 60, 0.5, -0.2))
        for code, x1, n1, x2, n2, p2, delta in cases:
            z, t1, t2 = score(code, x1, n1, x2, n2, p2, delta)
            out.write(f"{code}\t{x1}\t{n1}\t{x2}\t{n2}\t{p2}\t{fmt(delta)}\t{fmt(t1)}\t"
                      f"{fmt(t2)}\t{fmt(z)}\n")


if __name__ == "__main__":
    main()
