#!/usr/bin/python3
"""Exact power and actual alpha of McNemar's test on up to a million pairs, for
the test of the power summed with ladders of the binomial tails.

The definitions are those of ../exact_tests/mcnemar_reference.py (the
conditional binomial test on d pairs, p = 1/2 under H0 and OR/(OR + 1) under
H1, weighted by P(D = d), D ~ Bin(N, pd), each tail empty where no count
fits), with scipy.stats.binom; only the search for the lower count starts
from scipy's quantile instead of from -1, so that thousands of pairs take
seconds.

Writes mcnemar_ladder_cases.csv beside this script:
tails, odds ratio, pd, alpha, N, power, actual alpha.
Run: /usr/bin/python3 mcnemar_ladder_reference.py
"""
import os
import sys

from scipy.stats import binom

here = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(os.path.dirname(here), 'exact_tests'))
import mcnemar_reference as mr  # noqa: E402


def lower_count(n, p, a):
    """Largest k in -1..n with P(X <= k) <= a."""
    k = max(-1, min(n, int(binom.ppf(a, n, p))))
    while k >= 0 and binom.cdf(k, n, p) > a:
        k -= 1
    while k + 1 <= n and binom.cdf(k + 1, n, p) <= a:
        k += 1
    return k


mr.lower_count = lower_count

CASES = [
    # tails, OR, pd, alpha, N
    ('Two', 2.0, 0.3, 0.05, 200),
    ('Two', 1.2, 0.3, 0.05, 3000),
    ('Two', 1.05, 0.3, 0.05, 20000),
    ('One', 0.8, 0.4, 0.05, 2000),
    ('Two', 1.0, 0.2, 0.01, 500),
    ('One', 3.0, 0.1, 1e-6, 1500),
    # tails under H1 that underflow: the count far from the bulk of H1
    ('Two', 1.5, 0.3, 0.05, 200000),
    ('One', 0.7, 0.3, 0.01, 1000000),
]

with open(os.path.join(here, 'mcnemar_ladder_cases.csv'), 'w') as out:
    out.write('# tails,or,pd,alpha,n,power,actualalpha: written by mcnemar_ladder_reference.py\n')
    for tails, odds, pd, alpha, n in CASES:
        power, size = mr.exact_power(odds, alpha, n, pd, tails == 'One')
        out.write('%s,%r,%r,%r,%d,%r,%r\n' % (tails, odds, pd, alpha, n, power, size))
        print(tails, odds, pd, alpha, n, power, size)
