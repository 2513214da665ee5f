#!/usr/bin/env python3
"""Acceptance intervals of the hypergeometric two-sided bounds, with exact
rational probabilities, for small cases that can be checked by hand.

The interval starts at the two counts floor(mean) and ceil(mean) (the next
count up when the mean is whole); if the more probable of the two alone
reaches the target, it is the interval. Otherwise the interval grows by the
more probable neighbour (the lower one on a tie) until its probability
reaches the target or the support is used up.

Run: python3 two_sided_bounds.py   (writes two_sided_bounds.csv beside it)
Columns: n,K,N,target,lower,upper,probability
"""
import math
import os
from fractions import Fraction


def pmf(x, n, K, N):
    if x < 0 or x > n or x > K or n - x > N - K:
        return Fraction(0)
    return Fraction(math.comb(K, x) * math.comb(N - K, n - x), math.comb(N, n))


def bounds(n, K, N, target):
    mean = Fraction(n * K, N)
    limit = min(n, K)
    lower, upper = math.floor(mean), math.ceil(mean)
    if lower == upper:
        upper += 1
    pl, pu = pmf(lower, n, K, N), pmf(upper, n, K, N)
    if pu >= pl and pu >= target:
        return upper, upper, pu
    if pu < pl and pl >= target:
        return lower, lower, pl
    total = pl + pu
    while total < target:
        below = pmf(lower - 1, n, K, N) if lower > 0 else None
        above = pmf(upper + 1, n, K, N) if upper < limit else None
        if below is None and above is None:
            break
        if below is not None and (above is None or below >= above):
            lower -= 1
            total += below
        else:
            upper += 1
            total += above
    return lower, upper, total


cases = [(10, 5, 20, 0.95), (10, 5, 20, 0.5), (10, 5, 20, 0.3), (10, 5, 20, 0.2), (6, 3, 12, 0.9),
         (8, 4, 16, 0.99), (5, 2, 9, 0.8), (7, 7, 14, 0.999), (12, 4, 30, 0.95), (4, 4, 8, 1.0),
         (20, 10, 40, 0.95)]
here = os.path.dirname(os.path.abspath(__file__))
with open(os.path.join(here, "two_sided_bounds.csv"), "w") as out:
    out.write("n,K,N,target,lower,upper,probability\n")
    for n, K, N, target in cases:
        lo, hi, p = bounds(n, K, N, Fraction(target))
        out.write("%d,%d,%d,%r,%d,%d,%.17g\n" % (n, K, N, target, lo, hi, float(p)))
