#!/usr/bin/python3
"""Compromise of the exact binomial tests (generic 601, one proportion 602,
sign test 603) where the ratio beta/alpha meets q far below alpha 1e-16.

    /usr/bin/python3 binomial_reference.py > binomial_reference.tsv

Binomial terms in mpmath at 60 digits; each tail and the acceptance region
are sums of their own terms, so beta keeps its digits where 1 - power is 0.
The search is the program's rule (as in ../exact_tests/binomial_reference.py):
bisection over the critical count, the ratio rising with the count for the
upper one-tailed region and falling for the lower one and for two tails,
keeping the count whose ratio lies nearest to q. Rows as in
../exact_tests/binomial_cases.tsv (lower and upper critical counts, alpha,
beta, power, the actual ratio). Named cases first, then seeded random ones
with effects large enough for alpha to fall below 1e-16.
"""
import math
import random

import mpmath as mp

mp.mp.dps = 60


class Terms:
    def __init__(self, n, p):
        p = mp.mpf(p)
        self.n = n
        lp, lq = mp.log(p), mp.log(1 - p)
        self.t = [mp.exp(mp.loggamma(n + 1) - mp.loggamma(k + 1) - mp.loggamma(n - k + 1)
                         + k * lp + (n - k) * lq) for k in range(n + 1)]

    def at_most(self, k):
        return mp.fsum(self.t[:max(0, min(k, self.n) + 1)]) if k >= 0 else mp.mpf(0)

    def at_least(self, k):
        return mp.fsum(self.t[max(0, k):]) if k <= self.n else mp.mpf(0)

    def between(self, a, b):
        """P(a <= X <= b)."""
        a, b = max(a, 0), min(b, self.n)
        return mp.fsum(self.t[a:b + 1]) if a <= b else mp.mpf(0)

    def upper_count(self, a):
        """Smallest k with P(X >= k) <= a."""
        s, k = mp.mpf(0), self.n + 1
        while k - 1 >= 0 and s + self.t[k - 1] <= a:
            s += self.t[k - 1]
            k -= 1
        return k


def compromise(p1, p2, one, q, n):
    h0, h1 = Terms(n, p1), Terms(n, p2)
    upper = mp.mpf(p2) > mp.mpf(p1)
    q = mp.mpf(q)

    def region(c):
        if one:
            if upper:
                return c + 1, c + 1, h0.at_least(c + 1), h1.at_least(c + 1), h1.at_most(c)
            return c, c, h0.at_most(c), h1.at_most(c), h1.at_least(c + 1)
        a_low = h0.at_most(c)
        u = h0.upper_count(a_low)
        if u <= c:
            return c, u, mp.mpf(1), mp.mpf(1), mp.mpf(0)
        return (c, u, a_low + h0.at_least(u), h1.at_most(c) + h1.at_least(u),
                h1.between(c + 1, u - 1))

    rising = one and upper
    lo, hi = 0, (n if one else math.ceil(n * float(p1)))
    best, best_dev = None, None
    while True:
        c = (lo + hi) // 2
        _, _, a, _, b = region(c)
        if best is None:
            best = c
        if a > 0:
            dev = abs(b / a - q)
            if dev < mp.mpf('1e-10'):
                best = c
                break
            if best_dev is None or dev < best_dev:
                best, best_dev = c, dev
        too_high = a == 0 or b / a > q
        if too_high == rising:
            hi = c
        else:
            lo = c
        if hi - lo <= 1:
            break
    c1, c2, a, pw, b = region(best)
    return min(c1, c2), max(c1, c2), a, pw, b, b / a


def num(x):
    return mp.nstr(x, 15, min_fixed=-4, max_fixed=6)


def row(test, one, p1, effect, q, n):
    """effect: p2 for 601, g = p2 - p1 for 602 and 603."""
    p2 = effect if test == 601 else str(mp.mpf(p1) + mp.mpf(effect))
    lo, up, a, pw, b, r = compromise(p1, p2, one, q, n)
    tails = "One" if one else "Two"
    key = "p2" if test == 601 else "g"
    inputs = f"tails={tails} {key}={effect} q={q} n={n}"
    if test != 603:
        inputs += f" {'p1' if test == 601 else 'p0'}={p1}"
    print(f"{test}\tcompromise\t-1\t{inputs}\tlower={lo} upper={up} alpha={num(a)} beta={num(b)} "
          f"power={num(pw)} actualratio={num(r)}")


print("# test\ttype\tstatus\tinputs\toutputs")
# Sign test: critical count 744, alpha 3.0022e-26, ratio 4.1434.
row(603, True, "0.5", "0.2889", "7.28", 1135)
# One proportion, beta below 1e-10: ratio 0.2854875.
row(602, True, "0.1323", "0.1168", "0.282", 2426)
row(601, False, "0.3", "0.7", "1", 600)

random.seed(53)
for _ in range(5):
    test = random.choice([601, 602, 603])
    one = random.choice([True, False])
    n = random.randint(400, 2000)
    p1 = "0.5" if test == 603 else f"{random.uniform(0.1, 0.5):.3f}"
    g = random.choice([-1, 1]) * random.uniform(0.2, 0.35)
    if float(p1) + g <= 0.02:
        g = -g
    effect = f"{float(p1) + g:.4f}" if test == 601 else f"{g:.4f}"
    row(test, one, p1, effect, f"{10 ** random.uniform(-1, 1):.3g}", n)
