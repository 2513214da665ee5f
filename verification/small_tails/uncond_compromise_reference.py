#!/usr/bin/python3
"""Compromise of the unconditional exact tests of two proportions (607, the
test of equality, and 608, the test with an offset) where the ratio q is met
at alpha far below 1e-16, with beta summed over the accepted outcomes and
the size over the rejected ones, never as complements; and the large-sample
Compromise at such an alpha, beta from the acceptance region.

    /usr/bin/python3 uncond_compromise_reference.py > uncond_compromise_reference.tsv

Exact rows. Every outcome (x1, x2) is visited, as in
../unconditional/enumeration_reference.py, whose statistics (written from
their definitions) this script takes. An outcome is rejected at the nominal
alpha when its value v on the tested side (t, -t, or |t| with two tails)
exceeds the critical value, the upper alpha/k quantile of the normal (of t
with N - 2 df for the t statistic): that is, when alpha > k S(v), S the upper
tail. Sorting the values, the regions are nested and change only at those
breakpoints; for each region
    actual alpha = sum of P0(x1) P(x2) over the rejected outcomes,
    beta         = sum of P1(x1) P(x2) over the accepted outcomes,
the binomial masses exact in mpmath at 60 digits. Values closer than 1e-9
relative (equal but for rounding) are one step. The ratio beta/alpha falls
as alpha rises; the row holds the step on either side of where it crosses q
whose ratio is nearer to q.

Large-sample rows. The moments of the statistic from
../unconditional/offset_reference.py; beta = P(statistic accepted) under H1
from the normal tail on its own side; alpha solves beta(alpha) = q alpha on
log alpha (mpmath findroot).
"""
import math
import os
import sys

import mpmath as mp

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "unconditional"))
import enumeration_reference as enum  # noqa: E402
import offset_reference as ref  # noqa: E402

mp.mp.dps = 60


def upper_tail(code, v, N):
    """S(v) of the reference distribution of the critical value."""
    if v >= 1e29 or v == math.inf:
        return mp.mpf(0)
    v = mp.mpf(v)
    if code == 6:
        nu = N - 2
        # P(T > v) by the regularized incomplete beta function.
        x = nu / (nu + v * v)
        tail = mp.betainc(nu / 2, mp.mpf(1) / 2, 0, x, regularized=True) / 2
        return tail if v >= 0 else 1 - tail
    return mp.erfc(v / mp.sqrt(2)) / 2


def masses(n, p):
    p = mp.mpf(p)
    return [mp.binomial(n, x) * p ** x * (1 - p) ** (n - x) for x in range(n + 1)]


def exact_case(value, code, p1, p0, p2, n1, n2, one_tailed, q):
    side = (1 if p1 <= p0 else 0) if one_tailed else 2
    k = 1 if one_tailed else 2
    b1, b0, b2 = masses(n1, p1), masses(n1, p0), masses(n2, p2)
    outcomes = []
    for x1 in range(n1 + 1):
        for x2 in range(n2 + 1):
            t = value(x1, x2, side)
            v = {0: t, 1: -t, 2: abs(t)}[side]
            outcomes.append((v, b0[x1] * b2[x2], b1[x1] * b2[x2]))
    outcomes.sort(key=lambda o: -o[0])
    # Steps: groups of values equal within 1e-9 relative, largest first.
    groups = []
    for v, m0, m1 in outcomes:
        if groups and abs(v - groups[-1][0]) <= 1e-9 * max(abs(v), 1.0):
            groups[-1][1] += m0
            groups[-1][2] += m1
        else:
            groups.append([v, m0, m1])
    # Region j rejects groups 0..j: its size from the top, beta from the
    # bottom, each summed on its own side.
    sizes, acc = [], mp.mpf(0)
    for g in groups:
        acc += g[1]
        sizes.append(acc)
    betas, acc = [mp.mpf(0)] * len(groups), mp.mpf(0)
    for j in range(len(groups) - 1, -1, -1):
        betas[j] = acc
        acc += groups[j][2]
    # Only regions reached by a nominal alpha in (0, 1): values above 0.
    usable = [j for j in range(len(groups)) if groups[j][0] > 0 and sizes[j] > 0]
    ratio = lambda j: betas[j] / sizes[j]
    cross = next(i for i, j in enumerate(usable) if ratio(j) <= q)
    candidates = [usable[cross]] + ([usable[cross - 1]] if cross > 0 else [])
    best = min(candidates, key=lambda j: abs(ratio(j) - q))
    # The nominal alphas of the step chosen.
    low = k * upper_tail(code, groups[best][0], n1 + n2)
    high = k * upper_tail(code, groups[best + 1][0], n1 + n2) if best + 1 < len(groups) else 1
    return sizes[best], betas[best], ratio(best), low, high


def large_case(code, p1, p2, delta, n1, n2, one_tailed, q):
    """Normal approximation: alpha with beta = q alpha."""
    lo, up, s0, s1, side = ref.moments(code, p1, p2, delta, n1, n2, one_tailed)
    lo, up, s0, s1 = map(mp.mpf, (lo, up, s0, s1))
    Phi = lambda x: mp.erfc(-x / mp.sqrt(2)) / 2
    S = lambda x: mp.erfc(x / mp.sqrt(2)) / 2

    def inv(a):
        """The lower normal quantile at a, with the digits to hold 1 - 2a."""
        with mp.workdps(250):
            return -mp.sqrt(2) * mp.erfinv(1 - 2 * a)

    def beta(a):
        if side == 0:
            return S((s0 * inv(a) - lo) / s1)
        if side == 1:
            return Phi((-s0 * inv(a) - up) / s1)
        c = -s0 * inv(a / 2)
        return Phi((c - up) / s1) - Phi((-c - lo) / s1)

    f = lambda la: mp.log(beta(mp.exp(la))) - mp.log(q * mp.exp(la))
    la = mp.findroot(f, (mp.log(mp.mpf("1e-60")), mp.log(mp.mpf("1e-5"))), solver="anderson")
    a = mp.exp(la)
    return a, beta(a)


def num(x):
    return mp.nstr(x, 15)


def main():
    print("# test\ttype\tstatus\tinputs\toutputs")
    print("# written by uncond_compromise_reference.py: stat is the statistic code, index the")
    print("# effect measure; exact rows by every outcome, large=1 by the normal approximation")
    exact_rows = [
        # test, stat, index, tails, h1, h0 (608), p2, n1, n2, q
        ("607", 0, 0, "One", 0.95, None, 0.05, 250, 250, 1),
        ("607", 2, 0, "Two", 0.9, None, 0.1, 200, 260, 2),
        ("607", 6, 0, "One", 0.05, None, 0.9, 220, 180, 0.5),
        ("608", 0, 1, "Two", 0.75, 0.1, 0.15, 260, 260, 1),
        ("608", 6, 0, "One", 0.95, 0.3, 0.2, 200, 250, 1),
        ("608", 12, 2, "Two", 0.73155, 0.34801, 0.8951, 502, 3, 0.02076),
    ]
    for test, code, index, tails, h1, h0, p2, n1, n2, q in exact_rows:
        one = tails == "One"
        if test == "607":
            p1, p0, delta = h1, p2, 0.0
            value = lambda x1, x2, side: enum.null_statistic(code, x1, n1, x2, n2, side)
            inputs = f"stat={code} index=0 tails={tails} p1={h1} p2={p2}"
        else:
            p1, p0 = enum.to_p1(index, h1, p2), enum.to_p1(index, h0, p2)
            delta = p0 - p2
            p0 = p2 + delta
            value = (lambda x1, x2, side:
                     enum.offset_statistic(code, x1, n1, x2, n2, p2, delta, side))
            k1, k0 = enum.KEYS[index]
            inputs = f"stat={code} index={index} tails={tails} {k1}={h1} {k0}={h0} p2={p2}"
        size, beta, ratio, low, high = exact_case(value, code, p1, p0, p2, n1, n2, one,
                                                  mp.mpf(q))
        print(f"# nominal alpha of the step: {mp.nstr(low, 6)} to {mp.nstr(high, 6)}")
        print(f"{test}\tcompromise\t-1\t{inputs} q={q} n1={n1} n2={n2}\t"
              f"actualalpha={num(size)} beta={num(beta)} actualratio={num(ratio)}")
    for code, tails, p1, p2, n1, n2, q in [(0, "One", 0.7, 0.1, 500, 500, 1),
                                           (2, "Two", 0.8, 0.2, 300, 300, 4)]:
        a, beta = large_case(code, p1, p2, 0.0, n1, n2, tails == "One", mp.mpf(q))
        print(f"607\tcompromise\t-1\tstat={code} index=0 large=1 tails={tails} p1={p1} "
              f"p2={p2} q={q} n1={n1} n2={n2}\t"
              f"alpha={num(a)} actualalpha={num(a)} beta={num(beta)}")


if __name__ == "__main__":
    main()
