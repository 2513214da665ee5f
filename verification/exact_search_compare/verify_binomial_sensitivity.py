#!/usr/bin/python3
# Run: /usr/bin/python3 verify_binomial_sensitivity.py OUT [OUT...]
# (outputs of `exact_compare COUNT binomial|oneprop|sign|mcnemar SEED
# sensitivity`). Every answered Sensitivity line of the binomial test, the
# test of one proportion, the sign test and McNemar's approximation (the
# binomial test on ceil(N pd) pairs at p1 1/2) is checked from its own
# regions, as the line shows them (X <= L or X >= U; one tail X >= U): the
# effect shown is the root of the power less the target in p2 above p1,
# by scipy's binomial tails and halving to 1e-16, rounded to the digits
# shown (p2 - p1, p2 itself, or the odds ratio p2/(1 - p2)). A line where
# the regions' size alone reaches the target must show no effect.
import math
import os
import re
import sys
from fractions import Fraction

from scipy.stats import binom

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'exact_edges'))
from mcnemar_sensitivity import unit  # noqa: E402


def value(line, key):
    m = re.search(re.escape(key) + r'=(\S+)', line)
    return m.group(1) if m else None


def check(line):
    """True, False, or None where the line is not one to check."""
    if 'status -1' not in line or (line.startswith('mcnemar') and 'approx1' not in line):
        return None
    n = int(value(line, 'Total sample size'))
    p1 = 0.5
    if line.startswith('mcnemar'):
        n = math.ceil(n * float(value(line, 'Prop discordant pairs')) - 1e-9)
    elif value(line, 'Constant proportion'):
        p1 = float(value(line, 'Constant proportion'))
    elif value(line, 'Proportion p1'):
        p1 = float(value(line, 'Proportion p1'))
    target = float(value(line, 'Power (1-$\\beta$ err prob)'))
    lower, upper = int(value(line, 'Lower critical N')), int(value(line, 'Upper critical N'))
    one = 'Tail(s)=One' in line

    def power(p):
        reach = binom.sf(upper - 1, n, p) if upper <= n else 0.0
        if not one and lower >= 0:
            reach += binom.cdf(lower, n, p)
        return float(reach)

    if value(line, 'Odds ratio'):
        shown, of = Fraction(value(line, 'Odds ratio')), lambda p: p / (1 - p)
    elif value(line, 'Effect size g'):
        shown, of = Fraction(value(line, 'Effect size g')), lambda p: p - Fraction(p1)
    else:
        shown, of = Fraction(value(line, 'Proportion p2')), lambda p: p
    if power(p1) >= target:
        none = of(Fraction(p1))
        return shown == 0 if none == 0 else abs(shown - none) <= unit(abs(none)) / 2
    lo, hi = p1, 1.0
    while True:
        mid = (lo + hi) / 2
        if not lo < mid < hi:
            break
        if power(mid) < target:
            lo = mid
        else:
            hi = mid
    root = of(Fraction(lo))
    return abs(shown - root) <= unit(abs(root)) / 2 + Fraction(1, 10**13)


def main(paths):
    for path in paths:
        tally = {True: 0, False: 0}
        for line in open(path):
            result = check(line)
            if result is None:
                continue
            tally[result] += 1
            if not result:
                print('BAD', line[:300])
        print(f'{path}: confirmed {tally[True]}, not confirmed {tally[False]}')


if __name__ == '__main__':
    main(sys.argv[1:])
