#!/usr/bin/python3
"""Reference values of the exact binomial tests (generic binomial test,
one proportion against a constant, sign test).

Every probability is an exact sum of binomial terms in rational arithmetic
(fractions.Fraction), so the critical counts, the actual alpha and the power
come from enumeration and owe nothing to an incomplete beta routine. The
searches over N, p2, alpha and the count follow the rules the program uses:

- one tail, upper: reject for X >= k, k the smallest count with
  P0(X >= k) <= alpha (clamped to N when no such count exists);
  lower: reject for X <= s, s the largest count with P0(X <= s) <= alpha
  (clamped to 0);
- two tails: lower and upper alpha/2 counts, then balanced by method 0
  (alpha/2 each side), 1 (rest to the major tail, one count each) or
  2 (grow both regions from alpha/2 while the total stays below alpha);
- Criterion: the alpha is shown as the smallest value the output row can
  show (seven decimals between 0.01 and 100, else seven significant
  digits) at or above the size of the region: an alpha shown rounded below
  that size would not allow the region; with two tails, the smallest value
  the row can show whose regions by the balancing rule (as Post hoc builds
  them) reach the target, by bisection over alpha in exact fractions;
- A priori: the first N at or above the start of a smooth search whose
  power reaches the target with actual alpha <= alpha. The smooth start
  uses the binomial distribution continued to real counts and real N
  (regularised incomplete beta of scipy); it only picks the first N tried.

Writes binomial_cases.tsv beside this script:
  test id, analysis type, status, inputs, outputs (key=value pairs);
and binomial_tiny_alpha.tsv, the two-tailed regions at alphas far below
those the input accepts.
Run: /usr/bin/python3 binomial_reference.py
"""

from fractions import Fraction
from functools import lru_cache
import math
import os

from scipy import optimize, special


def frac(x):
    return Fraction(str(x))


@lru_cache(maxsize=None)
def pmf_table(n, p):
    """Exact P(X = k), k = 0..n, for X ~ Bin(n, p) with p given as text."""
    pf = frac(p)
    q = 1 - pf
    return tuple(math.comb(n, k) * pf**k * q ** (n - k) for k in range(n + 1))


@lru_cache(maxsize=None)
def cdf_table(n, p):
    out, s = [], Fraction(0)
    for t in pmf_table(n, p):
        s += t
        out.append(s)
    return tuple(out)


def F(n, p, x):
    """P(X <= x)."""
    if x < 0:
        return Fraction(0)
    if x >= n:
        return Fraction(1)
    return cdf_table(n, p)[x]


def S(n, p, x):
    """P(X >= x)."""
    if x <= 0:
        return Fraction(1)
    if x > n:
        return Fraction(0)
    return 1 - cdf_table(n, p)[x - 1]


def P(n, p, x):
    if x < 0 or x > n:
        return Fraction(0)
    return pmf_table(n, p)[x]


def ceil_q(n, p, u):
    """Smallest count k with P(X <= k) >= u (0 when u <= P(X = 0))."""
    u = frac(u)
    for k in range(n + 1):
        if F(n, p, k) >= u:
            return k
    return n


def floor_q(n, p, u):
    """Largest count k with P(X <= k) <= u, 0 when there is none."""
    u = frac(u)
    best = 0
    for k in range(n + 1):
        if F(n, p, k) <= u:
            best = k
        else:
            break
    return best


def lower_count(n, p, u):
    """Largest count k with P(X <= k) <= u, -1 when there is none."""
    u = frac(u)
    k = -1
    while k + 1 <= n and F(n, p, k + 1) <= u:
        k += 1
    return k


# ----------------------------------------------------------------- power


class Test:
    def __init__(self, p1, p2, one_tailed=True, method=0):
        self.p1, self.p2 = p1, p2
        self.one = one_tailed
        self.method = method


def one_tailed(t, alpha, n):
    a = frac(alpha)
    if frac(t.p2) >= frac(t.p1):
        s = ceil_q(n, t.p1, 1 - a)
        k = min(s + 1, n)
        return (k, k, S(n, t.p1, k), S(n, t.p2, k))
    s = floor_q(n, t.p1, a)
    return (s, s, F(n, t.p1, s), F(n, t.p2, s))


def two_sided_counts(t, alpha, n, major_upper):
    a = frac(alpha)
    p1 = t.p1
    L = floor_q(n, p1, a / 2)
    U = ceil_q(n, p1, 1 - a / 2)
    if t.method == 0 or (t.method == 2 and L <= 0):
        if S(n, p1, U) > a / 2:
            U += 1
        if F(n, p1, L) >= a / 2:
            L -= 1
        U, L = min(U, n), max(L, 0)
        return L, U, S(n, p1, U) + F(n, p1, L)
    if t.method == 1:
        aU, aL = S(n, p1, U), F(n, p1, L)
        if aU > a / 2:
            U += 1
        if aL > a / 2:
            L -= 1
        aU, aL = S(n, p1, U), F(n, p1, L)
        if aL + aU < a:
            if major_upper:
                if S(n, p1, U - 1) + aL <= a:
                    U -= 1
                    aU = S(n, p1, U)
                if F(n, p1, L + 1) + aU <= a:
                    L += 1
                    aL = F(n, p1, L)
            else:
                if F(n, p1, L + 1) + aU <= a:
                    L += 1
                    aL = F(n, p1, L)
                if S(n, p1, U - 1) + aL <= a:
                    U -= 1
                    aU = S(n, p1, U)
        U, L = min(U, n), max(L, 0)
        return L, U, S(n, p1, U) + F(n, p1, L)
    # method 2: alpha/2 regions on both sides, then grow them
    if S(n, p1, U) > a / 2:
        U += 1
    u = U - 1
    dL = floor_q(n, p1, a) - L
    dU = u - ceil_q(n, p1, 1 - a)
    aL = F(n, p1, L)
    aU = S(n, p1, u + 1)
    k = 1
    while k <= max(dL, dU):
        mL = P(n, p1, L + 1) if k <= dL else Fraction(1)
        mU = P(n, p1, u) if k <= dU else Fraction(1)
        if aL + aU + mL + mU < a:
            L, aL, u, aU = L + 1, aL + mL, u - 1, aU + mU
        elif aL + aU + min(mL, mU) < a:
            if mU <= mL:
                u, aU = u - 1, aU + mU
            else:
                L, aL = L + 1, aL + mL
        else:
            break
        k += 1
    lo, up = max(L, 0), min(u + 1, n)
    return lo, up, S(n, p1, up) + F(n, p1, lo)


def power(t, alpha, n):
    """(criticalValue, criticalValue2, actual alpha, power)."""
    if t.one:
        return one_tailed(t, alpha, n)
    L, U, act = two_sided_counts(t, alpha, n, frac(t.p2) > frac(t.p1))
    pw = F(n, t.p2, L) + S(n, t.p2, U)
    return (L, U, act, pw) if frac(t.p1) > frac(t.p2) else (U, L, act, pw)


# ------------------------------------------------------------ A priori


def cont_cdf(n, p, s):
    """P(X <= s) continued to real s and n: I_{1-p}(n - s, s + 1)."""
    if s < 0:
        return 0.0
    if s >= n:
        return 1.0
    return float(special.betainc(n - s, s + 1, 1 - float(p)))


def cont_quantile(n, p, u):
    if u <= cont_cdf(n, p, 0):
        return 0.0
    if u >= 1:
        return float(n)
    return optimize.brentq(lambda s: cont_cdf(n, p, s) - u, 0.0, float(n), xtol=1e-12,
                           rtol=1e-15, maxiter=500)


def smooth_power(t, alpha, n):
    a = alpha
    if t.one:
        if frac(t.p2) > frac(t.p1):
            s = cont_quantile(n, t.p1, 1 - a)
            return 1 - cont_cdf(n, t.p2, s)
        s = cont_quantile(n, t.p1, a)
        return cont_cdf(n, t.p2, s)
    cu = cont_quantile(n, t.p1, 1 - a / 2)
    cl = cont_quantile(n, t.p1, a / 2)
    return 1 + cont_cdf(n, t.p2, cl) - cont_cdf(n, t.p2, cu)


def start_n(t, alpha, target):
    hi = 10001.0
    while smooth_power(t, alpha, hi) < target:
        hi *= 1.6
    lo = 1.0
    while hi - lo > 0.001:
        mid = (lo + hi) / 2
        pw = smooth_power(t, alpha, mid)
        if abs(pw - target) < 1e-10:
            break
        if pw < target:
            lo = mid
        else:
            hi = mid
    return math.ceil(lo)


def a_priori(t, alpha, target):
    n0 = start_n(t, alpha, target)
    n = n0
    while True:
        c1, c2, act, pw = power(t, alpha, n)
        if pw >= frac(target) and act <= frac(alpha):
            return n0, n, c1, c2, act, pw
        n += 1


# ---------------------------------------------------------- Criterion


def criterion_two_sided(t, x, n):
    p1, p2 = t.p1, t.p2
    if frac(p2) > frac(p1):
        U = ceil_q(n, p2, 1 - frac(x))
        a = S(n, p1, U)
        L = lower_count(n, p1, a)
    else:
        L = ceil_q(n, p2, frac(x))
        a = F(n, p1, L)
        U = ceil_q(n, p1, 1 - a) + 1
    if L >= U:
        c = 0 if frac(p2) > frac(p1) else math.floor(n * frac(p1))
        return c, c, Fraction(1), Fraction(1)
    alpha = F(n, p1, L) + S(n, p1, U)
    pw = F(n, p2, L) + S(n, p2, U)
    return L, U, alpha, pw


def criterion(t, target, n):
    """(lower, upper, alpha, actual power)."""
    tg = frac(target)
    if t.one:
        if frac(t.p2) >= frac(t.p1):
            s = lower_count(n, t.p2, 1 - tg)
            return s + 1, s + 1, S(n, t.p1, s + 1), S(n, t.p2, s + 1)
        s = ceil_q(n, t.p2, tg)
        return s, s, F(n, t.p1, s), F(n, t.p2, s)
    r = criterion_two_sided(t, target, n)
    if abs(r[3] - tg) < Fraction(1, 10**10):
        return r
    best, best_power = target, r[3]
    lo, hi = max(target / 2, 1e-8), target
    while hi - lo > 1e-8:
        mid = (lo + hi) / 2
        r = criterion_two_sided(t, mid, n)
        if abs(r[3] - tg) < Fraction(1, 10**10):
            best = mid
            break
        if r[3] < tg:
            lo = mid
        else:
            if r[3] < best_power:
                best, best_power = mid, r[3]
            hi = mid
    return criterion_two_sided(t, best, n)


def criterion_by_rule(t, target, n):
    """Two tails: (lower, upper, alpha shown, actual power) at the smallest
    alpha the output row can show whose power by the balancing rule reaches
    the target."""
    tg = frac(target)
    lo, hi = Fraction(0), Fraction(9999999, 10**7)
    assert power(t, hi, n)[3] >= tg
    while hi - lo > Fraction(1, 10**24) * hi + Fraction(1, 10**120):
        mid = (lo + hi) / 2
        if power(t, mid, n)[3] >= tg:
            hi = mid
        else:
            lo = mid
    a = shown_at_least(hi)
    while power(t, a, n)[3] < tg:
        a = shown_at_least(a + Fraction(1, 10**130))
    c1, c2, _, pw = power(t, a, n)
    return min(c1, c2), max(c1, c2), a, pw


def shown_at_least(x):
    """The smallest number the program's output row can show that is not
    below x (a Fraction or an mpmath number, x > 0), exactly."""
    x = x if isinstance(x, Fraction) else Fraction(str(x))
    if Fraction(1, 100) < x < 100:
        unit = Fraction(1, 10**7)
    else:
        e = 0  # 10^e <= x < 10^(e + 1)
        while Fraction(10) ** (e + 1) <= x:
            e += 1
        while Fraction(10) ** e > x:
            e -= 1
        unit = Fraction(10) ** (e - 6)
    return -((-x) // unit) * unit


# --------------------------------------------------------- Compromise


def compromise(t, q, n):
    """(lower, upper, alpha, power, ratio)."""
    qf = frac(q)
    p1, p2 = t.p1, t.p2
    upper = frac(p2) > frac(p1)

    def region(c):
        if t.one:
            if upper:
                return c + 1, c + 1, S(n, p1, c + 1), S(n, p2, c + 1)
            return c, c, F(n, p1, c), F(n, p2, c)
        aL = F(n, p1, c)
        U = ceil_q(n, p1, 1 - aL) + 1
        if U <= c:  # the two regions meet: every count rejects
            return c, U, Fraction(1), Fraction(1)
        return c, U, aL + S(n, p1, U), F(n, p2, c) + S(n, p2, U)

    # The ratio rises with the count for the upper one-tailed region and
    # falls for the lower one-tailed and the two-tailed regions.
    rising = t.one and upper
    lo, hi = 0, (n if t.one else math.ceil(n * frac(p1)))
    best, best_dev = None, None
    while True:
        c = (lo + hi) // 2
        _, _, a, pw = region(c)
        if a > 0:
            dev = abs((1 - pw) / a - qf)
            if dev < Fraction(1, 10**10):
                best = c
                break
            if best is None or dev < best_dev:
                best, best_dev = c, dev
        too_high = a == 0 or (1 - pw) / a > qf
        if too_high == rising:
            hi = c
        else:
            lo = c
        if hi - lo <= 1:
            break
    c1, c2, a, pw = region(best)
    ratio = (1 - pw) / a if a > 0 else math.inf
    return c1, c2, a, pw, ratio


# -------------------------------------------------------- Sensitivity


def sensitivity(t, alpha, target, n):
    """(lower, upper, actual alpha, p2)."""
    a = frac(alpha)
    p1 = frac(t.p1)
    if t.one:
        s = ceil_q(n, t.p1, 1 - a)
        L = U = s + 1
        act = S(n, t.p1, s + 1)
    else:
        L, U, act = two_sided_counts(t, alpha, n, True)

    def pw(p2):
        p2s = repr(p2)
        if t.one:
            return S(n, p2s, U)
        return F(n, p2s, L) + S(n, p2s, U)

    tg = frac(target)
    lo, hi = float(p1), 0.999999999
    p2 = lo
    while True:
        p2 = (lo + hi) / 2
        v = pw(p2)
        if abs(v - tg) < Fraction(1, 10**10):
            break
        if v < tg:
            lo = p2
        else:
            hi = p2
        if hi - lo <= 1e-8:
            break
    return min(L, U), max(L, U), act, p2


# -------------------------------------------------------------- table


def fmt(x):
    if isinstance(x, Fraction):
        x = float(x)
    return repr(float(x))


def main():
    rows = []

    def add(test_id, kind, inputs, outputs):
        ins = " ".join(f"{k}={v}" for k, v in inputs)
        outs = " ".join(f"{k}={fmt(v)}" for k, v in outputs)
        rows.append(f"{test_id}\t{kind}\t-1\t{ins}\t{outs}")

    def tails(one):
        return "One" if one else "Two"

    # Generic test (601): p1, p2 as given.
    for one, method, p1, p2, alpha, n in [
        (True, 0, "0.5", "0.8", "0.05", 30),
        (True, 0, "0.5", "0.8", "0.05", 28),
        (True, 0, "0.3", "0.1", "0.05", 40),
        (True, 0, "0.5", "0.8", "0.05", 3),  # critical count beyond N: clamped
        (False, 0, "0.5", "0.8", "0.05", 30),
        (False, 0, "0.5", "0.8", "0.05", 20),
        (False, 0, "0.5", "0.8", "0.05", 4),  # both counts clamped
        # The three balancing methods differ here.
        (False, 1, "0.4", "0.8", "0.05", 25),
        (False, 2, "0.4", "0.8", "0.05", 25),
        (False, 0, "0.4", "0.8", "0.05", 25),
        (False, 1, "0.65", "0.2", "0.05", 40),
        (False, 2, "0.65", "0.2", "0.05", 40),
        (False, 2, "0.5", "0.2", "0.05", 60),  # only the minor tail grows
        (False, 2, "0.5", "0.8", "0.05", 5),  # lower alpha/2 count at 0
        # p1 1/2: the next lower and upper counts, symmetric about N/2, have
        # equal probability, and the upper region takes the tie.
        (False, 2, "0.5", "0.6418", "0.0001827", 77),
        (False, 2, "0.5", "0.57014", "0.01156", 93),
        (False, 0, "0.65", "0.45", "0.01", 120),
    ]:
        t = Test(p1, p2, one, method)
        c1, c2, act, pw = power(t, alpha, n)
        add(
            601,
            "posthoc",
            [("tails", tails(one)), ("method", method), ("p2", p2), ("alpha", alpha), ("n", n),
             ("p1", p1)],
            [("lower", min(c1, c2)), ("upper", max(c1, c2)), ("power", pw), ("actualalpha", act)],
        )

    for one, method, p1, p2, alpha, target in [
        (True, 0, "0.5", "0.8", "0.05", "0.95"),
        (True, 0, "0.5", "0.3", "0.01", "0.9"),
        (False, 0, "0.5", "0.8", "0.05", "0.95"),
        (False, 1, "0.2", "0.35", "0.05", "0.8"),
        (False, 2, "0.5", "0.6", "0.05", "0.8"),
    ]:
        t = Test(p1, p2, one, method)
        n0, n, c1, c2, act, pw = a_priori(t, float(alpha), float(target))
        print(f"a priori {p1}->{p2} one={one} m={method}: start {n0}, N {n}")
        add(
            601,
            "apriori",
            [("tails", tails(one)), ("method", method), ("p2", p2), ("alpha", alpha),
             ("power", target), ("p1", p1)],
            [("lower", min(c1, c2)), ("upper", max(c1, c2)), ("N", n), ("actual", pw),
             ("actualalpha", act)],
        )

    for one, p1, p2, target, n in [
        (True, "0.5", "0.8", "0.95", 30),
        (True, "0.5", "0.3", "0.8", 50),
        (False, "0.5", "0.8", "0.95", 30),
        (False, "0.6", "0.4", "0.8", 80),
    ]:
        t = Test(p1, p2, one, 0)
        L, U, a, pw = criterion(t, float(target), n) if one else criterion_by_rule(t, target, n)
        add(
            601,
            "criterion",
            [("tails", tails(one)), ("p2", p2), ("power", target), ("n", n), ("p1", p1)],
            [("lower", min(L, U)), ("upper", max(L, U)), ("alpha", shown_at_least(a)),
             ("actual", pw)],
        )

    for one, p1, p2, q, n in [
        (True, "0.5", "0.8", "1", 30),
        (True, "0.5", "0.3", "2", 50),
        (False, "0.5", "0.8", "1", 30),
        (False, "0.4", "0.25", "4", 60),
    ]:
        t = Test(p1, p2, one, 0)
        c1, c2, a, pw, r = compromise(t, q, n)
        add(
            601,
            "compromise",
            [("tails", tails(one)), ("p2", p2), ("q", q), ("n", n), ("p1", p1)],
            [("lower", min(c1, c2)), ("upper", max(c1, c2)), ("alpha", a), ("beta", 1 - pw),
             ("power", pw), ("actualratio", r)],
        )

    for one, method, p1, alpha, target, n in [
        (True, 0, "0.5", "0.05", "0.95", 30),
        (False, 0, "0.5", "0.05", "0.8", 50),
        (False, 2, "0.3", "0.05", "0.9", 100),
    ]:
        t = Test(p1, p1, one, method)
        L, U, act, p2 = sensitivity(t, float(alpha), float(target), n)
        add(
            601,
            "sensitivity",
            [("tails", tails(one)), ("method", method), ("alpha", alpha), ("power", target),
             ("n", n), ("p1", p1)],
            [("lower", L), ("upper", U), ("actualalpha", act), ("p2", p2)],
        )

    # One proportion against a constant (602) and the sign test (603): the
    # effect g = p2 - p1.
    for test_id, one, p1, g, alpha, n in [
        (602, True, "0.65", "0.15", "0.05", 50),
        (602, False, "0.2", "-0.1", "0.05", 150),
        (603, True, "0.5", "-0.2", "0.01", 40),
        (603, False, "0.5", "0.25", "0.05", 25),
    ]:
        p2 = str(frac(p1) + frac(g))
        p2 = repr(float(frac(p2)))
        t = Test(p1, p2, one, 0)
        c1, c2, act, pw = power(t, alpha, n)
        ins = [("tails", tails(one)), ("g", g), ("alpha", alpha), ("n", n)]
        if test_id == 602:
            ins.append(("p0", p1))
        add(test_id, "posthoc", ins,
            [("lower", min(c1, c2)), ("upper", max(c1, c2)), ("power", pw), ("actualalpha", act)])

    for test_id, one, p1, g, alpha, target in [
        (602, True, "0.65", "0.15", "0.05", "0.9"),
        (603, False, "0.5", "0.2", "0.05", "0.95"),
    ]:
        p2 = repr(float(frac(p1) + frac(g)))
        t = Test(p1, p2, one, 0)
        n0, n, c1, c2, act, pw = a_priori(t, float(alpha), float(target))
        ins = [("tails", tails(one)), ("g", g), ("alpha", alpha), ("power", target)]
        if test_id == 602:
            ins.append(("p0", p1))
        add(test_id, "apriori", ins,
            [("lower", min(c1, c2)), ("upper", max(c1, c2)), ("N", n), ("actual", pw),
             ("actualalpha", act)])

    for test_id, one, p1, alpha, target, n in [
        (602, True, "0.2", "0.05", "0.8", 100),
        (603, True, "0.5", "0.05", "0.95", 30),
    ]:
        t = Test(p1, p1, one, 0)
        L, U, act, p2 = sensitivity(t, float(alpha), float(target), n)
        ins = [("tails", tails(one)), ("alpha", alpha), ("power", target), ("n", n)]
        if test_id == 602:
            ins.append(("p0", p1))
        add(test_id, "sensitivity", ins,
            [("lower", L), ("upper", U), ("actualalpha", act), ("g", p2 - float(p1))])

    # Regions far below the alphas the input accepts, as McNemar's exact
    # power meets them for each number of pairs: the computed masses of a
    # tie of balancing 2 differ there by more than a tail's round-off.
    tiny = []
    for p2, alpha, n in [("0.19", "3.069993e-55", 633)]:
        t = Test("0.5", p2, False, 2)
        c1, c2, act, pw = power(t, alpha, n)
        ins = " ".join(f"{k}={v}" for k, v in [("method", 2), ("p2", p2), ("alpha", alpha),
                                                 ("n", n), ("p1", "0.5")])
        outs = " ".join(f"{k}={fmt(v)}" for k, v in [("lower", min(c1, c2)), ("upper", max(c1, c2)),
                                                      ("power", pw), ("actualalpha", act)])
        tiny.append(f"601\tposthoc\t-1\t{ins}\t{outs}")
    here = os.path.dirname(os.path.abspath(__file__))
    with open(os.path.join(here, "binomial_tiny_alpha.tsv"), "w") as out:
        out.write("# test\ttype\tstatus\tinputs\toutputs\n")
        out.write("# written by binomial_reference.py; two tails, method is the alpha balancing\n")
        for row in tiny:
            out.write(row + "\n")

    path = os.path.join(os.path.dirname(os.path.abspath(__file__)), "binomial_cases.tsv")
    with open(path, "w") as out:
        out.write("# test\ttype\tstatus\tinputs\toutputs\n")
        out.write("# written by binomial_reference.py; method is the alpha balancing option\n")
        for row in rows:
            out.write(row + "\n")
    print(f"{len(rows)} rows written to {path}")


if __name__ == "__main__":
    main()
