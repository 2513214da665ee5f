#!/usr/bin/python3
"""Reference values of McNemar's test for two dependent proportions.

Given d discordant pairs the test is the binomial test on d trials with
p1 = 0.5 under H0 and p2 = OR/(OR + 1) under H1. The approximation takes
d = ceil(N pd) and clamps counts outside 0..d to the range; the exact power is
the average of the conditional power over D ~ Bin(N, pd), each conditional
test with an empty tail where no count fits. Binomial probabilities come from
scipy.stats.binom; the critical counts are found by enumeration.

Writes mcnemar_cases.tsv beside this script (test id, analysis type, status,
inputs, outputs as key=value pairs; "approx" is the approximation option).
Run: /usr/bin/python3 mcnemar_reference.py
"""

import math
import os

from scipy.stats import binom

import binomial_reference as br

P1 = 0.5


def upper_count(n, p, a):
    """Smallest k in 0..n+1 with P(X >= k) <= a."""
    k = int(binom.ppf(1 - a, n, p)) + 1 if n > 0 else 0
    k = max(0, min(k, n + 1))
    while k > 0 and binom.sf(k - 2, n, p) <= a:
        k -= 1
    while k <= n and binom.sf(k - 1, n, p) > a:
        k += 1
    return k


def lower_count(n, p, a):
    """Largest k in -1..n with P(X <= k) <= a."""
    k = -1
    while k + 1 <= n and binom.cdf(k + 1, n, p) <= a:
        k += 1
    return k


def S(n, p, k):
    if k <= 0:
        return 1.0
    if k > n:
        return 0.0
    return binom.sf(k - 1, n, p)


def F(n, p, k):
    if k < 0:
        return 0.0
    if k >= n:
        return 1.0
    return binom.cdf(k, n, p)


def conditional(d, p2, alpha, one, strict):
    """(power, actual alpha, counts) of the binomial test on d pairs
    (alpha balancing: alpha/2 on each side)."""
    if one:
        if p2 >= P1:
            k = upper_count(d, P1, alpha)
            if k > d:
                if strict:
                    return 0.0, 0.0, (k, k)
                k = d
            return S(d, p2, k), S(d, P1, k), (k, k)
        s = lower_count(d, P1, alpha)
        if s < 0:
            if strict:
                return 0.0, 0.0, (-1, -1)
            s = 0
        return F(d, p2, s), F(d, P1, s), (s, s)
    half = alpha / 2
    L = max(lower_count(d, P1, half), 0)
    U = upper_count(d, P1, half) - 1
    if S(d, P1, U) > half:
        U += 1
    if F(d, P1, L) >= half:
        L -= 1
    if not strict:
        U, L = min(U, d), max(L, 0)
    return F(d, p2, L) + S(d, p2, U), F(d, P1, L) + S(d, P1, U), (L, U)


def pairs(n, pd):
    x = n * pd
    r = round(x)
    return r if abs(x - r) <= 1e-9 * max(1, x) else math.ceil(x)


def p2_of(odds):
    return odds / (odds + 1)


def approx_power(odds, alpha, n, pd, one):
    return conditional(pairs(n, pd), p2_of(odds), alpha, one, False)


def exact_power(odds, alpha, n, pd, one):
    p2 = p2_of(odds)
    kmin = max(1, lower_count_tail(n, pd))
    kmax = min(n, upper_count(n, pd, 1e-20))
    pw = al = 0.0
    for k in range(kmin, kmax + 1):
        w = binom.pmf(k, n, pd)
        cp, ca, _ = conditional(k, p2, alpha, one, True)
        pw += w * cp
        al += w * ca
    return min(1.0, pw), al


def lower_count_tail(n, pd):
    return lower_count(n, pd, 1e-20)


def approx_a_priori(odds, alpha, target, pd, one):
    """The first d from the smooth start that reaches the target (counts
    clamped), and the smallest N with ceil(N pd) = d."""
    t = br.Test(repr(0.5), repr(p2_of(odds)), one, 0)
    _, d, _, _, _, _ = br.a_priori(t, alpha, target)
    n = max(1, math.floor((d - 1) / pd) + 1)
    while n > 1 and pairs(n - 1, pd) >= d:
        n -= 1
    while pairs(n, pd) < d:
        n += 1
    return n


def exact_a_priori(odds, alpha, target, pd, one):
    start = approx_a_priori(odds, alpha, target, pd, one)

    def pw(n):
        return exact_power(odds, alpha, n, pd, one)[0]

    lo = hi = start
    if pw(start) < target:
        n = start
        while True:
            n = math.ceil(1.2 * n)
            if pw(n) >= target:
                break
        hi = n
    else:
        while lo > 1 and pw(lo) > target:
            lo = min(math.ceil(lo / 1.2), lo - 1)
    mid, exceeds = hi, False
    while hi - lo > 1:
        mid = math.floor((lo + hi) / 2 + 0.5)
        p = pw(mid)
        exceeds = p > target
        if abs(p - target) < 1e-8:
            break
        if exceeds:
            hi = mid
        else:
            lo = mid
    return start, (mid if exceeds else hi)


def fmt(x):
    return repr(float(x))


def main():
    rows = []

    def add(kind, inputs, outputs):
        ins = " ".join(f"{k}={v}" for k, v in inputs)
        outs = " ".join(f"{k}={fmt(v)}" for k, v in outputs)
        rows.append(f"604\t{kind}\t-1\t{ins}\t{outs}")

    for one, approx, odds, pd, alpha, n in [
        (True, 1, 1.5, 0.3, 0.05, 100),
        (True, 0, 1.5, 0.3, 0.05, 100),
        (False, 1, 1.5, 0.3, 0.05, 100),
        (False, 0, 1.5, 0.3, 0.05, 100),
        (True, 0, 0.4, 0.25, 0.05, 60),
        (False, 0, 3.0, 0.2, 0.01, 150),
        (True, 0, 2.0, 0.5, 0.05, 7),  # few pairs: tails without a count
    ]:
        tails = "One" if one else "Two"
        ins = [("tails", tails), ("approx", approx), ("or", odds), ("alpha", alpha), ("n", n),
               ("pd", pd)]
        p12, p21 = pd * odds / (odds + 1), pd / (odds + 1)
        if approx:
            pw, al, (c1, c2) = approx_power(odds, alpha, n, pd, one)
            outs = [("lower", min(c1, c2)), ("upper", max(c1, c2))]
        else:
            pw, al = exact_power(odds, alpha, n, pd, one)
            outs = []
        outs += [("power", pw), ("actualalpha", al), ("p12", p12), ("p21", p21)]
        add("posthoc", ins, outs)

    for one, approx, odds, pd, alpha, target in [
        (True, 1, 1.5, 0.3, 0.05, 0.95),
        (True, 0, 1.5, 0.3, 0.05, 0.8),
        (False, 1, 2.0, 0.4, 0.05, 0.9),
        (False, 0, 0.5, 0.3, 0.01, 0.8),
    ]:
        tails = "One" if one else "Two"
        ins = [("tails", tails), ("approx", approx), ("or", odds), ("alpha", alpha),
               ("power", target), ("pd", pd)]
        if approx:
            n = approx_a_priori(odds, alpha, target, pd, one)
            pw, al, _ = approx_power(odds, alpha, n, pd, one)
            print(f"approximate a priori OR {odds}: N {n}, power {pw}")
        else:
            start, n = exact_a_priori(odds, alpha, target, pd, one)
            pw, al = exact_power(odds, alpha, n, pd, one)
            prev = exact_power(odds, alpha, n - 1, pd, one)[0]
            print(f"exact a priori OR {odds}: start {start}, N {n}, power {pw}, at N-1 {prev}")
        add("apriori", ins, [("N", n), ("actual", pw), ("actualalpha", al)])

    path = os.path.join(os.path.dirname(os.path.abspath(__file__)), "mcnemar_cases.tsv")
    with open(path, "w") as out:
        out.write("# test\ttype\tstatus\tinputs\toutputs\n")
        out.write("# written by mcnemar_reference.py; approx is the approximation option\n")
        for row in rows:
            out.write(row + "\n")
    print(f"{len(rows)} rows written to {path}")


if __name__ == "__main__":
    main()
