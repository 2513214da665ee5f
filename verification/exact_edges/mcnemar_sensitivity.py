#!/usr/bin/python3
"""McNemar's exact power as a function of the odds ratio, and the odds
ratio a Sensitivity analysis should show.

Given k discordant pairs the test is the binomial test on k trials with
p1 = 1/2 under H0 and p2 = OR/(OR + 1) under H1; the exact power averages
the power of that conditional test over K ~ Bin(N, pd). K = 0 rejects
nothing, and a tail with no count in 0..k is empty (nothing is clamped).
The rejection regions of each k, with alpha given as an exact decimal:

  one tail     reject X >= u (p2 >= 1/2), u the smallest count with
               P0(X >= u) <= alpha; below 1/2 reject X <= l, l the largest
               with P0(X <= l) <= alpha.
  two tails, balancing 0 (alpha/2 on each side): X >= u with
               P0(X >= u) <= alpha/2 and X <= l with P0(X <= l) < alpha/2.
  balancing 1 (alpha/2 to the minor tail, the rest to the major one): the
               regions with P0 <= alpha/2 on each side; where together they
               stay below alpha, the major tail (the side of p2) and then the
               minor one take one count more each, where the total stays
               within alpha.
  balancing 2 (grow both alpha/2 regions while the total stays below
               alpha): from l, the largest count with P0(X <= l) <= alpha/2,
               and u as above (balancing 0 where l is 0 or none); each step
               adds the next count to both regions where the total stays
               below alpha, else to the one whose count has the smaller
               probability where that still does, and stops otherwise. A
               region grows only while its own tail stays within alpha.

Every comparison of a tail with alpha is made on scipy's tails (relative
error far below 1e-12) where they lie clear of each other by 1e-9; closer
than that, the regions of that k are found again in exact fractions
(C(k, j)/2^k in integers), so every tie is decided as exact arithmetic
decides it. The regions do not depend on the odds ratio on one side of the
null, so the power is a smooth function of it there, rising away from the
null; its root is found by scipy.optimize.brentq to 1e-14.

The odds ratio shown is the root rounded to the digits the output row
shows (seven decimals between 0.01 and 100, else seven significant
digits), as every Sensitivity answer of a power continuous in its effect
is shown.
"""

from fractions import Fraction
import math

import numpy as np
from scipy import optimize
from scipy.stats import binom


class Near(Exception):
    """A float comparison too close to call."""


class FloatTails:
    def __init__(self, k):
        self.k = k
        j = np.arange(0, k + 1)
        self._up = binom.sf(j - 1, k, 0.5)   # P(X >= j)
        self._lo = binom.cdf(j, k, 0.5)      # P(X <= j)

    def up(self, j):
        return 1.0 if j <= 0 else (0.0 if j > self.k else float(self._up[j]))

    def lo(self, j):
        return 0.0 if j < 0 else (1.0 if j >= self.k else float(self._lo[j]))

    def pm(self, j):
        return float(binom.pmf(j, self.k, 0.5)) if 0 <= j <= self.k else 0.0

    def guess_upper(self, a):
        return int(np.searchsorted(-self._up, -a, side="left"))

    def guess_lower(self, a):
        return int(np.searchsorted(self._lo, a, side="right")) - 1

    @staticmethod
    def le(a, b):
        if abs(a - b) <= 1e-9 * max(abs(b), 1e-300):
            raise Near()
        return a <= b

    lt = le


class ExactTails:
    def __init__(self, k):
        self.k = k
        self.two = 2**k
        c = [math.comb(k, j) for j in range(k + 1)]
        self.c = c
        self.cum = []
        s = 0
        for x in c:
            s += x
            self.cum.append(s)
        self._float = FloatTails(k)

    def lo(self, j):
        if j < 0:
            return Fraction(0)
        if j >= self.k:
            return Fraction(1)
        return Fraction(self.cum[j], self.two)

    def up(self, j):
        return Fraction(1) - self.lo(j - 1)

    def pm(self, j):
        return Fraction(self.c[j], self.two) if 0 <= j <= self.k else Fraction(0)

    def guess_upper(self, a):
        return self._float.guess_upper(float(a))

    def guess_lower(self, a):
        return self._float.guess_lower(float(a))

    @staticmethod
    def le(a, b):
        return a <= b

    @staticmethod
    def lt(a, b):
        return a < b


def _upper(t, a):
    """Smallest u in 0..k+1 with P0(X >= u) <= a."""
    u = min(max(t.guess_upper(a), 0), t.k + 1)
    while u > 0 and t.le(t.up(u - 1), a):
        u -= 1
    while u <= t.k and not t.le(t.up(u), a):
        u += 1
    return u


def _lower(t, a, strict=False):
    """Largest l in -1..k with P0(X <= l) <= a (< a when strict)."""
    cmp = t.lt if strict else t.le
    l = min(max(t.guess_lower(a), -1), t.k)
    while l >= 0 and not cmp(t.lo(l), a):
        l -= 1
    while l < t.k and cmp(t.lo(l + 1), a):
        l += 1
    return l


def regions(t, alpha, one, method, major_upper, ties=None, tie_upper=True):
    """(l, u): reject X <= l and X >= u (l = -1, u = k + 1: empty). Under
    balancing 2 the next counts of the two regions have the same
    probability wherever they lie symmetrically about k/2; the rule gives
    such a tie to the upper region (tie_upper), and each tie met is noted in
    `ties`."""
    if one:
        if major_upper:
            return -1, _upper(t, alpha)
        return _lower(t, alpha), t.k + 1
    half = alpha / 2
    if method == 0:
        return _lower(t, half, strict=True), _upper(t, half)
    l, u = _lower(t, half), _upper(t, half)
    if method == 1:
        lt_, ut = t.lo(l), t.up(u)
        if t.lt(lt_ + ut, alpha):
            def widen_upper():
                nonlocal u, ut
                if t.le(t.up(u - 1) + lt_, alpha):
                    u -= 1
                    ut = t.up(u)

            def widen_lower():
                nonlocal l, lt_
                if t.le(t.lo(l + 1) + ut, alpha):
                    l += 1
                    lt_ = t.lo(l)
            if major_upper:
                widen_upper()
                widen_lower()
            else:
                widen_lower()
                widen_upper()
        return l, u
    if l <= 0:
        return _lower(t, half, strict=True), _upper(t, half)
    uu = u - 1
    lower_room = max(_lower(t, alpha), 0) - l
    upper_room = uu - (_upper(t, alpha) - 1)
    lt_, ut = t.lo(l), t.up(uu + 1)
    one_ = 1 if isinstance(lt_, float) else Fraction(1)
    for i in range(1, max(lower_room, upper_room) + 1):
        lm = t.pm(l + 1) if i <= lower_room else one_
        um = t.pm(uu) if i <= upper_room else one_
        used = lt_ + ut
        # Counts symmetric about k/2 have the same probability exactly;
        # other pairs differ by far more than rounding.
        tie = i <= lower_room and i <= upper_room and l + 1 + uu == t.k
        if t.lt(used + lm + um, alpha):
            l, lt_, uu, ut = l + 1, lt_ + lm, uu - 1, ut + um
        elif t.lt(used + min(lm, um), alpha):
            if tie and ties is not None:
                ties.append(t.k)
            if tie_upper if tie else um < lm:
                uu, ut = uu - 1, ut + um
            else:
                l, lt_ = l + 1, lt_ + lm
        else:
            break
    return l, uu + 1


class McNemar:
    """The exact power of N pairs at a fixed alpha, as a function of OR."""

    def __init__(self, n, pd, alpha, one, method=0, above=True, tie_upper=True):
        self.n, self.pd = n, float(pd)
        alpha_f = float(alpha)
        alpha_x = Fraction(str(alpha))
        ks = np.arange(1, n + 1)
        w = binom.pmf(ks, n, self.pd)
        keep = w > 1e-30
        self.ks, self.w = ks[keep], w[keep]
        lows, ups, sizes = [], [], []
        self.exact_ks = 0
        self.ties = []
        for k in self.ks.tolist():
            ties = []
            try:
                t = FloatTails(k)
                l, u = regions(t, alpha_f, one, method, above, ties, tie_upper)
            except Near:
                ties = []
                t = ExactTails(k)
                l, u = regions(t, alpha_x, one, method, above, ties, tie_upper)
                self.exact_ks += 1
            self.ties += ties
            assert l < u, (k, l, u)
            lows.append(l)
            ups.append(u)
            ft = t if isinstance(t, FloatTails) else t._float
            sizes.append(ft.lo(l) + ft.up(u))
        self.low, self.up = np.array(lows), np.array(ups)
        self.size = float(np.sum(self.w * np.array(sizes)))

    def power(self, odds):
        p2 = odds / (odds + 1.0)
        reach = np.where(self.up <= self.ks, binom.sf(self.up - 1, self.ks, p2), 0.0)
        reach = reach + np.where(self.low >= 0, binom.cdf(self.low, self.ks, p2), 0.0)
        return min(1.0, float(np.sum(self.w * reach)))


def unit(x):
    """One unit of the last digit the output row shows for x > 0."""
    x = Fraction(x)
    if Fraction(1, 100) < x < 100:
        return Fraction(1, 10**7)
    e = 0
    while Fraction(10) ** (e + 1) <= x:
        e += 1
    while Fraction(10) ** e > x:
        e -= 1
    return Fraction(10) ** (e - 6)


def shown_nearest(x):
    x = Fraction(x)
    u = unit(x)
    return round(x / u) * u


def shown_at_least(x):
    x = Fraction(x)
    u = unit(x)
    return -((-x) // u) * u


def shown_at_most(x):
    x = Fraction(x)
    u = unit(x)
    return (x // u) * u


def sensitivity(n, pd, alpha, target, one, method=0, above=True, tie_upper=True, ties=None):
    """(root, odds ratio shown, power there, actual alpha, margin): the
    margin is the root's distance from the nearest rounding boundary,
    relative to the root, how clearly floats decide the digit shown. The
    numbers of pairs with a tie of balancing 2 are added to `ties`."""
    model = McNemar(n, pd, alpha, one, method, above, tie_upper)
    if ties is not None:
        ties.extend(model.ties)
    f = lambda x: model.power(x) - target
    if f(1.0) >= 0:
        return 1.0, Fraction(1), model.power(1.0), model.size, abs(f(1.0))
    step = 1e-4
    far = 1.0 + step if above else 1.0 / (1.0 + step)
    near = 1.0
    while f(far) < 0:
        near = far
        step *= 2
        far = 1.0 + step if above else 1.0 / (1.0 + step)
        if step > 1e7:
            raise ValueError("no odds ratio reaches the target")
    root = optimize.brentq(f, near, far, xtol=1e-15, rtol=1e-15, maxiter=500)
    shown = shown_nearest(root)
    boundary = shown + unit(shown) / 2 if Fraction(root) > shown else shown - unit(shown) / 2
    margin = float(abs(Fraction(root) - boundary) / Fraction(root))
    return root, shown, model.power(float(shown)), model.size, margin
