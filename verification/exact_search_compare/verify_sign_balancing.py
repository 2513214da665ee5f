#!/usr/bin/python3
# Run: /usr/bin/python3 verify_sign_balancing.py OLD NEW [all]
# (OLD, NEW: `exact_compare COUNT sign SEED` output of two builds; with
# `all`, every such row of NEW is checked, changed or not.)
#
# Checks every line that differs between OLD and NEW, in A priori, Post hoc
# and Sensitivity rows of the sign test, against the exact rule of alpha
# balancing 2 of two tails: the null probabilities are C(N, k) / 2^N, kept as
# whole numbers of 2^-N, so the next lower and upper counts, symmetric about
# N/2, have exactly equal mass and such a tie goes to the upper region. The
# power under p2 is taken from mpmath at 40 digits. A line is confirmed when
# NEW holds the reference's counts, actual alpha, power or N (A priori: the
# first N from the smooth start of ../exact_tests/binomial_reference.py
# whose power reaches the target with actual alpha <= alpha) or effect size
# (Sensitivity: the root of the power, to the 1e-8 of the tests' own search
# and the unit of the output row).
import os
import re
import sys
from fractions import Fraction
from functools import lru_cache

import mpmath as mp

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, '..', 'exact_tests'))
import binomial_reference as br  # noqa: E402

mp.mp.dps = 40


@lru_cache(maxsize=1)
def null(n):
    """Cumulative C(n, 0..k) for k up to n / 2, in units of 2^-n (the rest
    by symmetry)."""
    cum, s, c = [], 0, 1
    for k in range(n // 2 + 1):
        s += c
        cum.append(s)
        c = c * (n - k) // (k + 1)
    return cum


def cdf(n, p, x):
    """P(X <= x) under Bin(n, p) in mpmath, summed from x away from the mode
    until the terms no longer count at the working precision."""
    if x < 0:
        return mp.mpf(0)
    if x >= n:
        return mp.mpf(1)
    p = mp.mpf(p)
    q = 1 - p
    if x < n * p:
        t = mp.binomial(n, x) * p**x * q**(n - x)
        s, k = t, x
        while k > 0 and t > s * mp.eps:
            t = t * k / (n - k + 1) * q / p
            s += t
            k -= 1
        return s
    return 1 - sf(n, p, x + 1)


def sf(n, p, x):
    """P(X >= x), the same way."""
    if x <= 0:
        return mp.mpf(1)
    if x > n:
        return mp.mpf(0)
    p = mp.mpf(p)
    q = 1 - p
    if x > n * p:
        t = mp.binomial(n, x) * p**x * q**(n - x)
        s, k = t, x
        while k < n and t > s * mp.eps:
            t = t * (n - k) / (k + 1) * p / q
            s += t
            k += 1
        return s
    return 1 - cdf(n, p, x - 1)


# Up to this N the null is kept in whole numbers of 2^-N; above it, in
# mpmath at 60 digits, the mass of a count taken at min(k, N - k) so that
# the two counts of a tie get the very same number.
EXACT_N = 60000


def size_of(units, tot):
    return Fraction(units, tot) if tot != 1 else units


def as_mp(x):
    return mp.mpf(x.numerator) / x.denominator if isinstance(x, Fraction) else x


def counts(n, a, strict=False):
    """(last lower count, first upper count, size) of balancing 2; with
    `strict`, counts outside 0..N stand for empty regions."""
    if n <= EXACT_N:
        cum, tot = null(n), 1 << n

        def F(x):  # P(X <= x) * 2^n
            if x < 0:
                return 0
            if x >= n:
                return tot
            return cum[x] if x <= n // 2 else tot - cum[n - x - 1]

        def P(x):
            return 0 if x < 0 or x > n else F(x) - F(x - 1)
    else:
        tot = 1

        @lru_cache(maxsize=None)
        def F(x):
            with mp.workdps(60):
                return cdf(n, '0.5', x)

        def P(x):
            if x < 0 or x > n:
                return 0
            k = min(x, n - x)
            with mp.workdps(60):
                return mp.binomial(n, k) / mp.mpf(2)**n

    def S(x):
        return F(n - x)

    def below(units, u):  # units * 2^-n < u
        return units * u.denominator < u.numerator * tot

    def first(holds):  # smallest k in 0..n with holds(k), n + 1 when none
        lo, hi = 0, n + 1
        while lo < hi:
            mid = (lo + hi) // 2
            if holds(mid):
                hi = mid
            else:
                lo = mid + 1
        return lo

    def floor_q(u):  # largest k with F(k) <= u, 0 when none
        return max(first(lambda k: F(k) * u.denominator > u.numerator * tot) - 1, 0)

    def ceil_q(u):  # smallest k with F(k) >= u
        return min(first(lambda k: F(k) * u.denominator >= u.numerator * tot), n)

    half = a / 2
    L, U = floor_q(half), ceil_q(1 - half)
    if L <= 0:
        if S(U) * half.denominator > half.numerator * tot:
            U += 1
        if not below(F(L), half):
            L -= 1
        if not strict:
            L, U = max(L, 0), min(U, n)
        return L, U, size_of(F(L) + S(U), tot)
    if S(U) * half.denominator > half.numerator * tot:
        U += 1
    u = U - 1
    dL = floor_q(a) - L
    dU = u - ceil_q(1 - a)
    aL, aU = F(L), S(u + 1)
    k = 1
    while k <= max(dL, dU):
        mL = P(L + 1) if k <= dL else tot
        mU = P(u) if k <= dU else tot
        if below(aL + aU + mL + mU, a):
            L, aL, u, aU = L + 1, aL + mL, u - 1, aU + mU
        elif below(aL + aU + min(mL, mU), a):
            if mU <= mL:  # exact: a tie goes to the upper region
                u, aU = u - 1, aU + mU
            else:
                L, aL = L + 1, aL + mL
        else:
            break
        k += 1
    L, U = L, u + 1
    if not strict:
        L, U = max(L, 0), min(U, n)
    return L, U, size_of(F(L) + S(U), tot)


def power(n, p2, L, U):
    """P(X <= L) + P(X >= U) under Bin(n, p2)."""
    return cdf(n, p2, L) + sf(n, p2, U)


def unit(x):
    """The unit of the last digit the output row shows for x."""
    x = abs(x)
    if 0.01 < x < 100:
        return mp.mpf('1e-7')
    return mp.mpf(10) ** (mp.floor(mp.log10(x)) - 6)


def close(shown, value):
    return abs(mp.mpf(shown) - value) <= 0.5 * unit(value) * (1 + 1e-9)


def fields(line):
    ins, outs = line.split('|', 1)
    pat = r'(Tail\(s\)|Effect size g|\$\\alpha\$ err prob|Power \(1-\$\\beta\$ err prob\)|' \
          r'Total sample size|Lower critical N|Upper critical N|Actual power|Actual \$\\alpha\$)=(\S+)'
    return dict(re.findall(pat, ins)), dict(re.findall(pat, outs))


def check(line):
    kind = re.search(r' t(\d) ', line).group(1)
    ins, out = fields(line)
    if kind not in '012' or ins['Tail(s)'] != 'Two' or '[bal2' not in line \
            or 'status -1' not in line:
        return None
    a = Fraction(ins['$\\alpha$ err prob'])
    strict = 'strict1' in line
    shownL, shownU = int(out['Lower critical N']), int(out['Upper critical N'])
    got = (min(shownL, shownU), max(shownL, shownU))
    if kind == '2':  # post hoc
        n = int(ins['Total sample size'])
        p2 = mp.mpf('0.5') + mp.mpf(ins['Effect size g'])
        L, U, size = counts(n, a, strict)
        pw = power(n, p2, L, U)
        return got == (L, U) and close(out['Actual $\\alpha$'], as_mp(size)) \
            and close(out['Power (1-$\\beta$ err prob)'], pw)
    if kind == '0':  # A priori
        target = mp.mpf(ins['Power (1-$\\beta$ err prob)'])
        p2 = mp.mpf('0.5') + mp.mpf(ins['Effect size g'])
        t = br.Test('0.5', repr(float(p2)), False, 2)
        n = br.start_n(t, float(a), float(target))
        while True:
            L, U, size = counts(n, a, strict)
            pw = power(n, p2, L, U)
            if pw >= target and (size <= a if isinstance(size, Fraction) else size <= as_mp(a)):
                break
            n += 1
        return int(out['Total sample size']) == n and got == (L, U) \
            and close(out['Actual power'], pw) \
            and close(out['Actual $\\alpha$'], as_mp(size))
    if kind == '1':  # Sensitivity
        n = int(ins['Total sample size'])
        target = mp.mpf(ins['Power (1-$\\beta$ err prob)'])
        L, U, size = counts(n, a, strict)
        g = mp.mpf(out['Effect size g'])
        far = mp.mpf('0.5') - mp.mpf('1e-12') if g > 0 else -mp.mpf('0.5') + mp.mpf('1e-12')
        lo, hi = mp.mpf(0), far  # power below the target at lo, above at hi
        for _ in range(200):
            mid = (lo + hi) / 2
            if power(n, mp.mpf('0.5') + mid, L, U) < target:
                lo = mid
            else:
                hi = mid
        # The root rounded to the digits shown.
        root = (lo + hi) / 2
        return got == (L, U) \
            and abs(mp.mpf(out['Effect size g']) - root) <= 0.5 * unit(root) + mp.mpf('1e-13') \
            and close(out['Actual $\\alpha$'], as_mp(size))
    return None


def main():
    old = open(sys.argv[1]).read().splitlines()
    new = open(sys.argv[2]).read().splitlines()
    ok = bad = other = 0
    for a, b in zip(old, new):
        if a == b and 'all' not in sys.argv[3:]:
            continue
        r = check(b)
        if r is None:
            other += 1
            if a != b:
                print('NOT CHECKED', b[:200])
        elif r:
            ok += 1
        else:
            bad += 1
            print('BAD', b[:400])
    print(f'sign test rows confirmed: {ok}, not confirmed: {bad}, not checked: {other}')


if __name__ == '__main__':
    main()
