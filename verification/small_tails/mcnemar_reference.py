#!/usr/bin/python3
"""Compromise of McNemar's test by its exact method (604, one tail) where the
ratio q is met at alpha far below 1e-16, with beta summed over the
acceptance regions, never as 1 - power.

    /usr/bin/python3 mcnemar_reference.py > mcnemar_reference.tsv

Given k discordant pairs, the count X of one kind is binomial with 1/2
under H0 and p2 = OR/(OR + 1) under H1; for a nominal alpha the test
rejects X >= c_k, the smallest c whose H0 tail is at most alpha (none when
no count fits). The number of discordant pairs D is binomial with N and pd,
and
    actual alpha = sum_k P(D = k) P0(X >= c_k | k),
    beta         = sum_k P(D = k) P1(X <  c_k | k),
over every k from 0 (no pair rejects nothing) to N. The H0 tails are exact
rationals and so are the nominal alphas at which a region changes; between
two of them the regions stay the same. The ratio beta/alpha rises as alpha
falls; the row holds the step on either side of where it crosses q whose
ratio is nearer to q, with its alpha, beta and ratio (mpmath at 60 digits).
"""
from bisect import bisect_left
from fractions import Fraction
from math import comb

import mpmath as mp

mp.mp.dps = 60


def case(odds, q, n, pd):
    p2 = mp.mpf(odds) / (mp.mpf(odds) + 1)
    pd = mp.mpf(pd)
    weight = [comb(n, k) * pd ** k * (1 - pd) ** (n - k) for k in range(n + 1)]
    # tails0[k][c] = P0(X >= c | k), c = 0..k+1, exact; below1[k][c] = P1(X < c | k).
    tails0, below1 = [], []
    for k in range(n + 1):
        t, acc = [Fraction(0)], Fraction(0)
        for c in range(k, -1, -1):
            acc += Fraction(comb(k, c), 2 ** k)
            t.append(acc)
        tails0.append(t[::-1])
        b, acc = [mp.mpf(0)], mp.mpf(0)
        for c in range(k + 1):
            acc += comb(k, c) * p2 ** c * (1 - p2) ** (k - c)
            b.append(acc)
        below1.append(b)

    def rates(a):
        """actual alpha and beta at nominal alpha a (a Fraction)."""
        size, beta = mp.mpf(0), mp.mpf(0)
        for k in range(n + 1):
            t = tails0[k]
            # smallest c with t[c] <= a; t falls with c, t[k + 1] = 0.
            c = next(c for c in range(k + 2) if t[c] <= a) if k > 0 else 1
            size += weight[k] * mp.mpf(t[c].numerator) / t[c].denominator if k > 0 else 0
            beta += weight[k] * (below1[k][c] if k > 0 else 1)
        return size, beta

    points = sorted({t for k in range(1, n + 1) for t in tails0[k] if 0 < t < 1})
    # The first breakpoint (the smallest alpha of its step) whose ratio is
    # at most q: ratios fall as alpha rises.
    ratio = lambda i: (lambda s, b: b / s)(*rates(points[i]))
    lo, hi = 0, len(points) - 1
    while hi - lo > 1:
        mid = (lo + hi) // 2
        if ratio(mid) <= q:
            hi = mid
        else:
            lo = mid
    best = min((lo, hi), key=lambda i: abs(ratio(i) - q))
    size, beta = rates(points[best])
    return size, beta, beta / size


def num(x):
    return mp.nstr(x, 15)


print("# test\ttype\tstatus\tinputs\toutputs")
for odds, q, n, pd in [("200", "1", 200, "0.9"), ("100", "0.5", 300, "0.5"),
                       ("50", "1", 120, "0.8")]:
    size, beta, r = case(odds, mp.mpf(q), n, pd)
    print(f"604\tcompromise\t-1\ttails=One approx=0 or={odds} q={q} n={n} pd={pd}\t"
          f"actualalpha={num(size)} beta={num(beta)} actualratio={num(r)}")
