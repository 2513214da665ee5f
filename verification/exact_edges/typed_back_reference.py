#!/usr/bin/python3
"""Reference rows for answers a user can type back into Post hoc, one table
per kind of answer:

  criterion_smallest.tsv  Criterion: the smallest alpha the output row can
                          show (seven decimals from 0.01 up, else seven
                          significant digits) whose exact power reaches the
                          target, and the power there. The power is found
                          by exact enumeration: the binomial tests in
                          fractions with the regions of the balancing rule
                          (../exact_tests/binomial_reference.py), Fisher's
                          test over every 2x2 table in fractions
                          (../fisher/fisher_reference.py), McNemar's exact
                          test over every number of discordant pairs in
                          mpmath at 50 digits (exact_edges_reference.py).
                          Bisection on alpha narrows the jump of the power
                          to 1e-12 of alpha; then the values shown from the
                          one at or above the last alpha that misses are
                          tried in turn.
  compromise_nearest.tsv  Compromise: the step of the power whose ratio
                          beta/actual alpha is nearest to q among all steps
                          an alpha from 1e-99 to 0.9999999 can reach. The
                          binomial test's and McNemar's steps change only
                          at alpha = 2 P(tail) of some count (two tails,
                          alpha/2 on each side), so every step is visited
                          by trying each such alpha and the alphas just
                          above it; the row pins the step by its counts or
                          actual alpha, its power, beta and ratio.
  compromise_reached.tsv  Fisher's Compromise: a ratio some alpha reaches
                          (the answer must come at least as near to q),
                          by exact enumeration at that alpha.

Run: /usr/bin/python3 typed_back_reference.py   (several minutes: Fisher's
tables in fractions)
"""

from fractions import Fraction
import math
import os
import sys

import mpmath as mp

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "fisher"))
sys.path.insert(0, os.path.join(HERE, "..", "exact_tests"))
sys.path.insert(0, HERE)
import binomial_reference as br  # noqa: E402
from fisher_reference import exact as fisher_exact  # noqa: E402
from exact_edges_reference import ExactMcNemar  # noqa: E402

mp.mp.dps = 50
HEADER = "# test\ttype\tstatus\tinputs\toutputs"
LARGEST = Fraction(9999999, 10**7)


def fmt(x):
    if isinstance(x, Fraction):
        return repr(float(x))
    return mp.nstr(mp.mpf(x), 15) if isinstance(x, mp.mpf) else repr(float(x))


def smallest_shown(power_at, target):
    """(alpha shown, power there): bisection on alpha between an alpha that
    misses the target and one that reaches it, then the shown values from
    the one at or above the last miss."""
    lo, hi = Fraction(0), LARGEST
    assert power_at(hi) >= target
    while hi - lo > hi / 10**12:
        mid = (lo + hi) / 2
        if power_at(mid) >= target:
            hi = mid
        else:
            lo = mid
    a = br.shown_at_least(lo)
    while True:
        p = power_at(a)
        if p >= target:
            return a, p
        a = br.shown_at_least(a + a / 10**9)


def criterion_rows():
    rows = []
    # The binomial test, two tails, alpha/2 on each side (it showed
    # 0.1435568, the equal tails' size, where Post hoc gives power 0.1506294).
    t = br.Test("0.2046", "0.2019", False, 0)
    a, p = smallest_shown(lambda x: br.power(t, x, 1941)[3], Fraction("0.159"))
    c1, c2, act, pw = br.power(t, a, 1941)
    rows.append(f"601\tcriterion\t-1\ttails=Two p2=0.2019 power=0.159 n=1941 p1=0.2046\t"
                f"lower={min(c1, c2)} upper={max(c1, c2)} alpha={fmt(a)} actual={fmt(pw)}")
    # Fisher's test, two tails (it showed 1.957002e-07 and 4.846401e-06).
    for p1, p2, target, n1, n2 in [("0.3422", "0.042", "0.603", 97, 97),
                                   ("0.722", "0.3885", "0.727", 82, 225)]:
        cache = {}

        def at(x):
            if x not in cache:
                cache[x] = Fraction(fisher_exact(n1, n2, p1, p2, x, False)[0])
            return cache[x]

        a, p = smallest_shown(at, Fraction(target))
        print(f"fisher {p1} {p2}: {float(a)!r} power {float(p)!r}", flush=True)
        rows.append(f"606\tcriterion\t-1\ttails=Two p1={p1} p2={p2} power={target} n1={n1} n2={n2}\t"
                    f"alpha={fmt(a)} actual={fmt(p)}")
    # McNemar's exact test, one tail. OR 0.5318 rejects the lower counts;
    # its power is that of 1/0.5318 on the upper ones. OR 14.06 with 2
    # pairs reaches power 0.74 only at an alpha above it.
    for odds, model_odds, target, n, pd in [("0.5318", mp.mpf(1) / mp.mpf("0.5318"), "0.587", 283,
                                             "0.9117"),
                                            ("14.06", mp.mpf("14.06"), "0.74", 2, "0.5286")]:
        model = ExactMcNemar(n, pd, model_odds, True)
        a, p = smallest_shown(lambda x: model.power(x)[0], mp.mpf(target))
        print(f"mcnemar {odds}: {float(a)!r} power {p}", flush=True)
        rows.append(f"604\tcriterion\t-1\ttails=One approx=0 or={odds} power={target} n={n} pd={pd}\t"
                    f"alpha={fmt(a)} actual={fmt(p)}")
    return rows


def candidates(tails):
    """Every alpha at which a step of two tails (alpha/2 on each side) may
    begin, and just above each, within the inputs' range."""
    out = {LARGEST}
    for tail in tails:
        a = 2 * tail
        for x in (a, a * (1 + Fraction(1, 10**15))):
            if Fraction(1, 10**99) <= x <= LARGEST:
                out.add(x)
    return sorted(out)


def compromise_rows():
    rows = []
    # The binomial test, two tails, p1 0.701, p2 0.33, N 17, q 0.399 (it
    # showed power 0.9745947 where Post hoc at its alpha gives 0.9287795).
    n, q = 17, Fraction("0.399")
    t = br.Test("0.701", "0.33", False, 0)
    tails = [br.F(n, t.p1, k) for k in range(n + 1)] + [br.S(n, t.p1, k) for k in range(n + 1)]
    best = None
    for a in candidates(tails):
        c1, c2, act, pw = br.power(t, a, n)
        if act == 0:
            continue
        r = (1 - pw) / act
        if best is None or abs(r - q) < abs(best[0] - q):
            best = (r, c1, c2, act, pw)
    r, c1, c2, act, pw = best
    rows.append(f"601\tcompromise\t-1\ttails=Two p2=0.33 q=0.399 n=17 p1=0.701\t"
                f"lower={min(c1, c2)} upper={max(c1, c2)} beta={fmt(1 - pw)} power={fmt(pw)} "
                f"actualratio={fmt(r)}")
    # McNemar's exact test, two tails (it showed alpha 1, which Post hoc
    # refuses).
    for odds, q, n, pd in [("1.393", "0.0258", 5, "0.1588"), ("0.5512", "0.171", 16, "0.2719")]:
        model = ExactMcNemar(n, pd, odds, False)
        tails = []
        for k, w, two, low0, up0, low1, up1 in model.ks:
            tails += [Fraction(v, two) for v in low0] + [Fraction(v, two) for v in up0]
        best = None
        qm = mp.mpf(q)
        for a in candidates(tails):
            pw, al = model.power(a)
            if al == 0:
                continue
            r = (1 - pw) / al
            if best is None or abs(r - qm) < abs(best[0] - qm):
                best = (r, pw, al, a)
        r, pw, al, a = best
        print(f"mcnemar compromise {odds}: alpha {float(a)!r} ratio {r}", flush=True)
        rows.append(f"604\tcompromise\t-1\ttails=Two approx=0 or={odds} q={q} pd={pd} n={n}\t"
                    f"actualalpha={fmt(al)} power={fmt(pw)} beta={fmt(1 - pw)} actualratio={fmt(r)}")
    return rows


def reached_rows():
    rows = []
    # Fisher's test, two tails: a ratio nearer to q than the one shown
    # (1.304 and 0.314).
    for p1, p2, q, n1, n2, alpha in [("0.0753", "0.3541", "0.754", 32, 106, "0.0809628"),
                                     ("0.4263", "0.4248", "0.183", 42, 75, "0.9999999")]:
        pw, size = fisher_exact(n1, n2, p1, p2, alpha, False)
        rows.append(f"606\tcompromise\t-1\ttails=Two p1={p1} p2={p2} q={q} n1={n1} n2={n2}\t"
                    f"alpha={alpha} actualratio={(1 - pw) / size!r}")
    return rows


def write(name, rows):
    with open(os.path.join(HERE, name), "w") as out:
        out.write(HEADER + "\n")
        for row in rows:
            out.write(row + "\n")


if __name__ == "__main__":
    write("compromise_nearest.tsv", compromise_rows())
    write("compromise_reached.tsv", reached_rows())
    write("criterion_smallest.tsv", criterion_rows())
