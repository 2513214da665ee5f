#!/usr/bin/python3
"""Reference values of the exact test of two independent proportions
(the conditional test of the 2x2 table, averaged over the random margin).

Every table (x1, x2) of group sizes n1 and n2 is enumerated. Given its
margin m = x1 + x2 the count x of the reference group is hypergeometric
under H0; the conditional test rejects x by the rules below, decided in
rational arithmetic (fractions.Fraction), so that ties are exact. The power
is the sum of b(x1; n1, p1) b(x2; n2, p2) over the rejected tables and the
actual alpha the same sum with p2 in both groups, again in rationals.

Rules of the conditional test (X = successes of the reference group):
- one tail: the reference group is the group with the smaller proportion
  (group 1 when p1 <= p2). With mode = floor(mean + 1/2) and
  S = P(X >= mode): if S > 1 - alpha, k is the first count from the mode
  up at which P(mode <= X <= k) reaches S - 1 + alpha; else the first
  count from mode - 1 down at which P(k <= X <= mode - 1) reaches
  1 - S - alpha. Counts x < k are rejected.
- two tails: the reference group is group 2. The acceptance interval
  grows from {floor(mean), ceil(mean)} (or {mean, mean + 1}), adding the
  more probable neighbour (the lower one on a tie), until its probability
  reaches 1 - alpha; a single point of the start pair that reaches it
  alone is the whole interval. With the symmetrical balancing the side
  whose end has the smaller statistic is then widened by the counts whose
  statistic does not exceed the larger end statistic (Fisher: -log P,
  likelihood ratio G, Pearson X^2). Counts outside are rejected.

The large-sample z approximation and the searches follow the rules the
program uses: A priori (z solutions with and without continuity correction,
then scans over N of the exact power), Criterion (bisection over alpha from
the approximation's alpha), Compromise (expansion and bisection from the
size the approximation's alpha attains); roots of the approximation come
from scipy.optimize.brentq. Sensitivity is checked against the root in p1
of the exact power itself. Larger designs (hundreds of subjects) are
enumerated in floating point with scipy's binomial and hypergeometric
masses, margin by margin.

Writes fisher_cases.tsv beside this script:
  test id, analysis type, status, inputs, outputs (key=value pairs).
Run: /usr/bin/python3 fisher_reference.py
"""

from fractions import Fraction
from functools import lru_cache
import math
import os

import mpmath
from scipy import optimize
from scipy.stats import norm

mpmath.mp.dps = 60
TIE = mpmath.mpf("1e-40")


def frac(x):
    return Fraction(str(x))


@lru_cache(maxsize=None)
def binom_pmf(n, p):
    pf = frac(p)
    q = 1 - pf
    return tuple(math.comb(n, k) * pf**k * q ** (n - k) for k in range(n + 1))


@lru_cache(maxsize=None)
def hyper(m, na, nb):
    """P(X = x) for x = 0..min(m, na), X the reference group's successes."""
    total = math.comb(na + nb, m)
    return tuple(Fraction(math.comb(na, x) * math.comb(nb, m - x), total)
                 for x in range(0, min(m, na) + 1))


def h_at(h, x):
    return h[x] if 0 <= x < len(h) else Fraction(0)


def one_sided_k(m, na, nb, alpha):
    h = hyper(m, na, nb)
    mean = Fraction(m * na, na + nb)
    mode = math.floor(mean + Fraction(1, 2))
    s_up = sum(h[mode:], Fraction(0))
    if s_up > 1 - alpha:
        target = s_up - 1 + alpha
        k, s = mode, h_at(h, mode)
        limit = min(m, na)
        while k < limit and s < target:
            k += 1
            s += h_at(h, k)
        return k
    target = 1 - s_up - alpha
    k = mode - 1
    s = h_at(h, k)
    while k > 0 and s < target:
        k -= 1
        s += h_at(h, k)
    return max(k, 0)


def statistic(kind, x, m, na, nb):
    n = na + nb
    if kind == 0:
        p = mpmath.mpf(math.comb(na, x) * math.comb(nb, m - x)) / math.comb(n, m)
        return -mpmath.log(p)
    cells = [(x, na, m), (na - x, na, n - m), (m - x, nb, m), (nb - m + x, nb, n - m)]
    if kind == 1:
        if m == 0 or m == n:
            return mpmath.mpf(0)
        g = mpmath.mpf(0)
        for o, row, col in cells:
            if o > 0:
                g += o * mpmath.log(mpmath.mpf(o) * n / (row * col))
        return 2 * g
    chi = mpmath.mpf(0)
    for o, row, col in cells:
        e = mpmath.mpf(row * col) / n
        if e > 0:
            chi += (o - e) ** 2 / e
    return chi


def two_sided_bounds(m, na, nb, alpha, kind, balancing):
    h = hyper(m, na, nb)
    target = 1 - alpha
    limit = min(m, na)
    mean = Fraction(m * na, na + nb)
    lo, hi = math.floor(mean), math.ceil(mean)
    if lo == hi:
        hi += 1
    pu, pl = h_at(h, hi), h_at(h, lo)
    if pu >= pl and pu >= target:
        lo = hi
    elif pu < pl and pl >= target:
        hi = lo
    else:
        s = pl + pu
        while s < target:
            below = h_at(h, lo - 1) if lo > 0 else None
            above = h_at(h, hi + 1) if hi < limit else None
            if below is None and above is None:
                break
            if below is not None and (above is None or below >= above):
                lo -= 1
                s += below
            else:
                hi += 1
                s += above
    xmin = max(0, m - nb)
    if balancing == 0 and lo < hi:
        t = lambda x: statistic(kind, x, m, na, nb)
        tlo, thi = t(lo), t(hi)
        top = max(tlo, thi)
        if thi > tlo + TIE:
            while lo > xmin:
                v = t(lo - 1)
                if v > top + TIE:
                    break
                lo -= 1
                if abs(v - top) <= TIE:
                    break
        elif tlo > thi + TIE:
            while hi < limit:
                v = t(hi + 1)
                if v > top + TIE:
                    break
                hi += 1
                if abs(v - top) <= TIE:
                    break
    return lo, hi


class Design:
    def __init__(self, n1, n2, alpha, one, p1_above_p2, kind=0, balancing=0):
        self.n1, self.n2 = n1, n2
        self.alpha = frac(alpha)
        self.one = one
        # The reference group and the rejected counts of every margin.
        self.ref_first = one and not p1_above_p2
        na, nb = (n1, n2) if self.ref_first else (n2, n1)
        self.rejected = {}
        for m in range(n1 + n2 + 1):
            if one:
                k = one_sided_k(m, na, nb, self.alpha)
                self.rejected[m] = ("below", k)
            else:
                self.rejected[m] = ("outside", two_sided_bounds(m, na, nb, self.alpha,
                                                                 kind, balancing))

    def rejects(self, x1, x2):
        m = x1 + x2
        x = x1 if self.ref_first else x2
        kind, b = self.rejected[m]
        if kind == "below":
            return x < b
        return x < b[0] or x > b[1]

    def sum_over_rejected(self, p1, p2):
        b1, b2 = binom_pmf(self.n1, p1), binom_pmf(self.n2, p2)
        total = Fraction(0)
        for x1 in range(self.n1 + 1):
            for x2 in range(self.n2 + 1):
                if self.rejects(x1, x2):
                    total += b1[x1] * b2[x2]
        return total


def exact(n1, n2, p1, p2, alpha, one, kind=0, balancing=0):
    """(power, actual alpha) of the exact test."""
    d = Design(n1, n2, alpha, one, frac(p1) > frac(p2), kind, balancing)
    return float(d.sum_over_rejected(p1, p2)), float(d.sum_over_rejected(p2, p2))


def approx_power(p1, p2, alpha, n1, n2, one, cc=True):
    if p1 <= p2:
        ps, ns, pl, nl = p1, n1, p2, n2
    else:
        ps, ns, pl, nl = p2, n2, p1, n1
    d = pl - ps
    pbar = (nl * pl + ns * ps) / (nl + ns)
    k = 1 / n1 + 1 / n2
    c = 0.5 * k if cc and pl > ps else 0.0
    s1 = math.sqrt(ps * (1 - ps) / ns + pl * (1 - pl) / nl)
    s0 = math.sqrt(pbar * (1 - pbar) * k)
    if one:
        z = s0 * norm.isf(alpha)
        return norm.sf((z - (d - c)) / s1)
    zl, zu = s0 * norm.ppf(alpha / 2), s0 * norm.isf(alpha / 2)
    return norm.cdf((zl - (d + c)) / s1) + norm.sf((zu - (d - c)) / s1)


def round_to(x):
    return math.floor(x + 0.5)


def split(n, r):
    n1 = round_to(n / (r + 1))
    return n1, round_to(n1 * r)


def z_sample_size(p1, p2, alpha, target, r, one, cc):
    def f(x):
        n1 = x / (r + 1)
        return approx_power(p1, p2, alpha, n1, x - n1, one, cc) - target
    return optimize.brentq(f, 2.0, 1e9, xtol=1e-12, rtol=1e-15)


def a_priori(p1, p2, alpha, target, r, one, power=None):
    power = power or (lambda n1, n2: exact(n1, n2, p1, p2, alpha, one))
    n = z_sample_size(p1, p2, alpha, target, r, one, True)
    n1, n2 = split(n, r)
    while n1 + n2 < n:
        n1 += 1
        n2 = round_to(n1 * r)
    n = n1 + n2
    cache = {}

    def power_at(total):
        g = split(total, r)
        if g not in cache:
            cache[g] = power(g[0], g[1])
        return g, cache[g]

    upper = n
    while power_at(upper)[1][0] < target:
        upper += 1
    down = math.floor(z_sample_size(p1, p2, alpha, target, r, one, False))
    while down > 2 and power_at(down)[1][0] > target:
        down -= 1
    for total in range(down, upper + 1):
        (n1, n2), (pw, size) = power_at(total)
        if pw >= target:
            return n1, n2, pw, size
    raise AssertionError("no sample size")



# ---------------------------------------------------------------------------
# Larger designs in floating point (scipy), the same rules decided on the
# hypergeometric masses of scipy.stats.hypergeom; margins and counts whose
# mass is below 1e-40 of the largest are left out.

def float_power(n1, n2, p1, p2, alpha, one):
    import numpy as np
    from scipy.stats import binom, hypergeom
    ref_first = one and p1 <= p2
    na, nb, pa, pb = (n1, n2, p1, p2) if ref_first else (n2, n1, p2, p1)
    n = na + nb
    ma = binom.pmf(np.arange(na + 1), na, pa)
    mb = binom.pmf(np.arange(nb + 1), nb, pb)
    m0 = binom.pmf(np.arange(n + 1), n, p2)
    m1 = np.convolve(ma, mb)
    power = size = 0.0
    for m in range(n + 1):
        if m1[m] < 1e-40 * m1.max() and m0[m] < 1e-40 * m0.max():
            continue
        lo, hi = max(0, m - nb), min(m, na)
        xs = np.arange(lo, hi + 1)
        h = hypergeom.pmf(xs, n, na, m)
        if one:
            mode = math.floor(m * na / n + 0.5)
            c = np.cumsum(h)
            below = c[mode - lo - 1] if mode > lo else 0.0
            if below < alpha:
                rej = c < alpha
            else:
                rej = (c <= alpha) & (xs <= mode - 2)
        else:
            mean = m * na / n
            a, b = math.floor(mean), math.ceil(mean)
            if a == b:
                b += 1
            pmf = lambda x: h[x - lo] if lo <= x <= hi else 0.0
            pl, pu = pmf(a), pmf(b)
            if pu >= pl and pu >= 1 - alpha:
                a = b
            elif pu < pl and pl >= 1 - alpha:
                b = a
            else:
                acc = pl + pu
                while acc < 1 - alpha:
                    below_ = pmf(a - 1) if a > 0 else None
                    above_ = pmf(b + 1) if b < hi else None
                    if below_ is None and above_ is None:
                        break
                    if below_ is not None and (above_ is None or below_ >= above_ * (1 - 1e-12)):
                        a -= 1
                        acc += below_
                    else:
                        b += 1
                        acc += above_
                # Fisher's statistic: the mirror count of a tie joins in.
                ta, tb = pmf(a), pmf(b)
                if tb < ta * (1 - 1e-9) and a > lo and abs(pmf(a - 1) - tb) <= 1e-9 * tb:
                    a -= 1
                elif ta < tb * (1 - 1e-9) and b < hi and abs(pmf(b + 1) - ta) <= 1e-9 * ta:
                    b += 1
            rej = (xs < a) | (xs > b)
        size += m0[m] * h[rej].sum()
        power += (ma[xs[rej]] * mb[m - xs[rej]]).sum()
    return power, size


class Fixed:
    """The exact power as a function of p1 for fixed rejection sets."""

    def __init__(self, n1, n2, alpha, one, p1_above_p2):
        self.d = Design(n1, n2, alpha, one, p1_above_p2)
        self.cells = [(x1, x2) for x1 in range(n1 + 1) for x2 in range(n2 + 1)
                      if self.d.rejects(x1, x2)]

    def power(self, p1, p2):
        from scipy.stats import binom
        n1, n2 = self.d.n1, self.d.n2
        b1 = binom.pmf(range(n1 + 1), n1, p1)
        b2 = binom.pmf(range(n2 + 1), n2, p2)
        return sum(b1[x1] * b2[x2] for x1, x2 in self.cells)


def sensitivity(n1, n2, p2, alpha, target, one, upper):
    f = Fixed(n1, n2, alpha, one, upper)
    g = lambda p1: f.power(p1, p2) - target
    p1 = optimize.brentq(g, p2 + 1e-9, 1.0, xtol=1e-15) if upper else \
        optimize.brentq(g, 0.0, p2 - 1e-9, xtol=1e-15)
    return p1, exact(n1, n2, p1, p2, alpha, one)


def z_alpha(p1, p2, target, n1, n2, one):
    return optimize.brentq(lambda a: approx_power(p1, p2, a, n1, n2, one) - target,
                           1e-99, 1.0, xtol=1e-300, rtol=1e-15)


def criterion(p1, p2, target, n1, n2, one):
    """The bisection from the approximation's alpha to width 1e-7."""
    start = z_alpha(p1, p2, target, n1, n2, one)
    at = lambda a: exact(n1, n2, p1, p2, a, one)[0]
    lo, hi = (0.0, start) if at(start) >= target else (start, 1.0)
    while hi - lo > 1e-7:
        mid = (lo + hi) / 2
        if at(mid) < target:
            lo = mid
        else:
            hi = mid
    pw, size = exact(n1, n2, p1, p2, hi, one)
    return hi, size, pw



def compromise(p1, p2, q, n1, n2, one):
    """From the approximation's alpha: expansion from the attained size by
    1.6 or 0.8 until the attained beta/alpha crosses q, bisection to 1e-7,
    then the end whose ratio is nearer to q (the lower end on a tie)."""
    a = optimize.brentq(lambda x: 1 - (1 - approx_power(p1, p2, x, n1, n2, one)) / (x * q),
                        1e-99, 1.0, xtol=1e-300, rtol=1e-15)
    state = {}

    def ratio_at(x):
        pw, size = exact(n1, n2, p1, p2, x, one)
        state.update(alpha=x, power=pw, size=size)
        return (1 - pw) / size if size > 0 else math.inf

    first = ratio_at(a)
    a0 = state["size"] if state["size"] > 0 else a
    grow = first >= q
    x = a0
    for _ in range(100):
        if grow:
            x = min(1.6 * x, 0.9999999)
            if not ratio_at(x) > q or not x < 0.9999999:
                break
        else:
            x *= 0.8
            if ratio_at(x) >= q or not x > 1e-10:
                break
    lo, hi = (a0, x) if grow else (x, a0)
    for _ in range(100):
        if not hi - lo > 1e-7:
            break
        mid = (lo + hi) / 2
        r = ratio_at(mid)
        if abs(r - q) < 1e-5:
            return dict(state, ratio=r)
        if r > q:
            lo = mid
        else:
            hi = mid
    at_lo = ratio_at(lo)
    at_hi = ratio_at(hi)
    if abs(at_lo - q) <= abs(at_hi - q):
        return dict(state, ratio=ratio_at(lo))
    return dict(state, ratio=at_hi)


def fmt(x):
    return repr(float(x))


def main():
    rows = []

    def add(kind, inputs, outputs):
        rows.append("606\t%s\t-1\t%s\t%s" % (
            kind, " ".join("%s=%s" % kv for kv in inputs),
            " ".join("%s=%s" % (k, fmt(v)) for k, v in outputs)))

    # Post hoc, one tail, both orientations and unequal groups; the last
    # row has its only rejectable tables far in the tails.
    for p1, p2, n1, n2, alpha in [(0.5, 0.6, 50, 50, 0.05), (0.3, 0.6, 50, 50, 0.05),
                                  (0.6, 0.5, 50, 50, 0.05), (0.2, 0.45, 17, 33, 0.05),
                                  (0.7, 0.25, 12, 30, 0.01), (0.01, 0.03, 10, 100, 0.05)]:
        pw, size = exact(n1, n2, p1, p2, alpha, True)
        add("posthoc", [("tails", "One"), ("p1", p1), ("p2", p2), ("alpha", alpha),
                        ("n1", n1), ("n2", n2)], [("power", pw), ("actualalpha", size)])
    # Post hoc, two tails at 20 + 20 with the statistics and balancings.
    for kind, stat in [(0, "Fisher"), (1, "LR"), (2, "Pearson")]:
        for balancing in (0, 1):
            for p1, p2, n1, n2 in [(0.3, 0.7, 20, 20), (0.6, 0.2, 20, 20),
                                   (0.15, 0.5, 13, 27)]:
                pw, size = exact(n1, n2, p1, p2, 0.05, False, kind, balancing)
                add("posthoc", [("tails", "Two"), ("statistic", kind),
                                ("balancing", balancing), ("p1", p1), ("p2", p2),
                                ("alpha", 0.05), ("n1", n1), ("n2", n2)],
                    [("power", pw), ("actualalpha", size)])
    # Groups of a few subjects, where a tail or the acceptance interval
    # often holds exactly alpha or 1 - alpha (3 + 3 at alpha 0.05: 1/20 of
    # the tables with 3 successes): both balancings, all statistics.
    for p1, p2, n1, n2, alpha in [(0.747, 0.408, 3, 3, 0.05), (0.2, 0.7, 4, 4, 0.1),
                                  (0.9, 0.3, 2, 5, 0.2), (0.15, 0.6, 6, 3, 0.25)]:
        pw, size = exact(n1, n2, p1, p2, alpha, True)
        add("posthoc", [("tails", "One"), ("p1", p1), ("p2", p2), ("alpha", alpha),
                        ("n1", n1), ("n2", n2)], [("power", pw), ("actualalpha", size)])
        for kind in (0, 1, 2):
            for balancing in (0, 1):
                pw, size = exact(n1, n2, p1, p2, alpha, False, kind, balancing)
                add("posthoc", [("tails", "Two"), ("statistic", kind),
                                ("balancing", balancing), ("p1", p1), ("p2", p2),
                                ("alpha", alpha), ("n1", n1), ("n2", n2)],
                    [("power", pw), ("actualalpha", size)])
    # No effect: the power is the size of the rejection set.
    pw, size = exact(20, 20, 0.4, 0.4, 0.05, False)
    add("posthoc", [("tails", "Two"), ("p1", 0.4), ("p2", 0.4), ("alpha", 0.05),
                    ("n1", 20), ("n2", 20)], [("power", pw), ("actualalpha", size)])
    # The large-sample approximation, beyond the exact threshold.
    for one, n1, n2 in [(True, 5001, 5000), (False, 6000, 4500)]:
        pw = approx_power(0.5, 0.52, 0.05, n1, n2, one)
        add("posthoc", [("tails", "One" if one else "Two"), ("p1", 0.5), ("p2", 0.52),
                        ("alpha", 0.05), ("n1", n1), ("n2", n2)],
            [("power", pw), ("actualalpha", 0.05)])
    # A priori.
    for p1, p2, alpha, target, r, one in [(0.3, 0.6, 0.05, 0.8, 1.0, True),
                                          (0.3, 0.6, 0.05, 0.8, 1.0, False),
                                          (0.6, 0.2, 0.05, 0.9, 2.0, True),
                                          (0.5, 0.9, 0.01, 0.8, 0.5, False)]:
        n1, n2, pw, size = a_priori(p1, p2, alpha, target, r, one)
        add("apriori", [("tails", "One" if one else "Two"), ("p1", p1), ("p2", p2),
                        ("alpha", alpha), ("power", target), ("r", r)],
            [("n1", n1), ("n2", n2), ("N", n1 + n2), ("actual", pw), ("actualalpha", size)])

    # A priori over totals of about 600, in floating point.
    for p1, p2, one in [(0.3, 0.4, True), (0.45, 0.33, False)]:
        n1, n2, pw, size = a_priori(
            p1, p2, 0.05, 0.8, 1.0, one,
            lambda a, b: float_power(a, b, p1, p2, 0.05, one))
        add("apriori", [("tails", "One" if one else "Two"), ("p1", p1), ("p2", p2),
                        ("alpha", 0.05), ("power", 0.8), ("r", 1.0)],
            [("n1", n1), ("n2", n2), ("N", n1 + n2), ("actual", pw), ("actualalpha", size)])
    # Larger designs, one and two tails, in floating point.
    for p1, p2, n1, n2, one in [(0.3, 0.38, 300, 500, True), (0.5, 0.58, 400, 400, False),
                                (0.62, 0.55, 1200, 900, True)]:
        pw, size = float_power(n1, n2, p1, p2, 0.05, one)
        add("posthoc", [("tails", "One" if one else "Two"), ("p1", p1), ("p2", p2),
                        ("alpha", 0.05), ("n1", n1), ("n2", n2)],
            [("power", pw), ("actualalpha", size)])
    # Sensitivity: the p1 whose exact power meets the target.
    for n1, n2, p2, target, one, upper in [(30, 30, 0.4, 0.8, True, True),
                                           (25, 35, 0.5, 0.7, False, False)]:
        p1, (pw, size) = sensitivity(n1, n2, p2, 0.05, target, one, upper)
        add("sensitivity", [("tails", "One" if one else "Two"),
                            ("dir", "p1$\\ge$p2" if upper else "p1$\\le$p2"), ("p2", p2),
                            ("alpha", 0.05), ("power", target), ("n1", n1), ("n2", n2)],
            [("p1", p1), ("actual", pw), ("actualalpha", size)])
    # Criterion: alpha from the bisection, and the rejected tables' size and
    # power there.
    for p1, p2, target, n1, n2, one in [(0.3, 0.6, 0.8, 30, 30, True),
                                        (0.7, 0.4, 0.6, 20, 25, False)]:
        a, size, pw = criterion(p1, p2, target, n1, n2, one)
        add("criterion", [("tails", "One" if one else "Two"), ("p1", p1), ("p2", p2),
                          ("power", target), ("n1", n1), ("n2", n2)],
            [("alpha", a), ("actualalpha", size), ("actual", pw)])

    # The approximation: on request, and beyond the exact threshold.
    def approx_a_priori(p1, p2, alpha, target, r, one):
        n = z_sample_size(p1, p2, alpha, target, r, one, True)
        n1, n2 = split(n, r)
        while n1 + n2 < n:
            n1 += 1
            n2 = round_to(n1 * r)
        return n1, n2, approx_power(p1, p2, alpha, n1, n2, one)

    for p1, p2, r, one, option in [(0.3, 0.6, 1.0, True, 1), (0.5, 0.52, 1.5, False, 0)]:
        n1, n2, pw = approx_a_priori(p1, p2, 0.05, 0.9, r, one)
        add("apriori", [("tails", "One" if one else "Two"), ("approx", option), ("p1", p1),
                        ("p2", p2), ("alpha", 0.05), ("power", 0.9), ("r", r)],
            [("n1", n1), ("n2", n2), ("N", n1 + n2), ("actual", pw), ("actualalpha", 0.05)])
    p1 = optimize.brentq(lambda x: approx_power(x, 0.4, 0.05, 40, 60, True) - 0.8, 0.4, 1.0,
                         xtol=1e-15)
    add("sensitivity", [("tails", "One"), ("approx", 1), ("dir", "p1$\\ge$p2"), ("p2", 0.4),
                        ("alpha", 0.05), ("power", 0.8), ("n1", 40), ("n2", 60)],
        [("p1", p1), ("actual", 0.8), ("actualalpha", 0.05)])
    a = z_alpha(0.3, 0.6, 0.8, 30, 30, False)
    add("criterion", [("tails", "Two"), ("approx", 1), ("p1", 0.3), ("p2", 0.6),
                      ("power", 0.8), ("n1", 30), ("n2", 30)],
        [("alpha", a), ("actualalpha", a), ("actual", 0.8)])

    # Compromise.
    for p1, p2, q, n1, n2, one in [(0.3, 0.6, 1.0, 30, 40, True), (0.6, 0.35, 4.0, 25, 25, False)]:
        c = compromise(p1, p2, q, n1, n2, one)
        add("compromise", [("tails", "One" if one else "Two"), ("p1", p1), ("p2", p2),
                           ("q", q), ("n1", n1), ("n2", n2)],
            [("alpha", c["alpha"]), ("actualalpha", c["size"]), ("power", c["power"]),
             ("beta", 1 - c["power"]), ("actualratio", c["ratio"])])

    here = os.path.dirname(os.path.abspath(__file__))
    with open(os.path.join(here, "fisher_cases.tsv"), "w") as out:
        out.write("# test\ttype\tstatus\tinputs\toutputs\n")
        out.write("# written by fisher_reference.py; statistic and balancing are options\n")
        for row in rows:
            out.write(row + "\n")


if __name__ == "__main__":
    main()
