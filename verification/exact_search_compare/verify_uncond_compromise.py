#!/usr/bin/python3
"""Checks the Compromise lines of compare_uncond (OUT files) by exact
enumeration, independent of the program: every outcome's statistic from
../unconditional/enumeration_reference.py, the steps of the power in alpha
from the alpha at which each outcome enters the region, scipy's binomial
masses. For each answered line of at most MAXCELLS outcomes and a statistic
without optimisation (codes 0-6): the alpha shown gives the actual alpha,
power and ratio shown, and its step is, of the steps that hold a value the
alpha row can show, the one whose ratio is nearest to q.

    verify_uncond_compromise.py OUT... [MAXCELLS]
"""
import math
import os
import re
import sys
from decimal import Decimal

import numpy as np
from scipy import stats

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "unconditional"))
import enumeration_reference as er  # noqa: E402

LARGEST = 0.9999999


def shown_above(x):
    """The smallest value the alpha row shows above x."""
    d = Decimal(x)
    if d >= Decimal("0.01"):
        unit = Decimal("1e-7")
    else:
        unit = Decimal(10) ** (d.adjusted() - 6)
    return float((d // unit + 1) * unit)


MEASURES = {"Proportion p1": 0, "Diff (p1-p2)": 1, "Ratio (p1/p2)": 2, "Odds ratio": 3,
            "Prop. p1|H1": 0, "(p1-p2)|H1": 1, "(p1/p2)|H1": 2, "Odds ratio|H1": 3}
H0 = {"Prop. p1|H0", "(p1-p2)|H0", "(p1/p2)|H0", "Odds ratio|H0"}


def parse(line):
    head, _, tail = line.partition(" | ")
    kind, code = head.split()[0], int(re.search(r" code(\d+)", head).group(1))
    fields = dict(re.findall(r" ([^=]+?)=(\S+)", " " + head.split(" t4 ", 1)[1]))
    outs = dict(re.findall(r"(\$\\alpha\$ err prob|Actual \$\\alpha\$|Power \(1-\$\\beta\$ err "
                           r"prob\)|Actual \$\\beta\$/\$\\alpha\$ ratio)=(\S+)", tail))
    return kind, code, fields, outs, "status -1" in tail


def steps(kind, code, fields):
    p2 = float(fields["Proportion p2"])
    index = next(MEASURES[k] for k in fields if k in MEASURES)
    h1 = float(next(fields[k] for k in fields if k in MEASURES))
    p1 = er.to_p1(index, h1, p2)
    delta = 0.0
    if kind == "offset":
        h0 = float(next(fields[k] for k in fields if k in H0))
        delta = er.to_p1(index, h0, p2) - p2
    p0 = p2 + delta
    n1, n2 = int(fields["Sample size group 1"]), int(fields["Sample size group 2"])
    one = fields["Tail(s)"] == "One"
    side = (1 if p1 <= p0 else 0) if one else 2
    N = n1 + n2
    x1 = np.repeat(np.arange(n1 + 1), n2 + 1)
    x2 = np.tile(np.arange(n2 + 1), n1 + 1)
    if kind == "null":
        t = np.array([er.null_statistic(code, a, n1, b, n2, side) for a, b in zip(x1, x2)])
    else:
        t = np.array([er.offset_statistic(code, a, n1, b, n2, p2, delta, side)
                      for a, b in zip(x1, x2)])
    sf = (lambda v: stats.t.sf(v, N - 2)) if code == 6 else stats.norm.sf
    # The alpha above which each outcome is rejected.
    if side == 0:
        enter = sf(t)
    elif side == 1:
        enter = sf(-t)
    else:
        enter = 2.0 * sf(np.abs(t))
    w1 = stats.binom.pmf(x1, n1, p1) * stats.binom.pmf(x2, n2, p2)
    w0 = stats.binom.pmf(x1, n1, p0) * stats.binom.pmf(x2, n2, p2)
    order = np.argsort(enter, kind="stable")
    e, w1, w0 = enter[order], w1[order], w0[order]
    bounds, first = np.unique(e, return_index=True)
    # Step k: alpha in (bounds[k], bounds[k+1]], region = outcomes up to the
    # last of bounds[k].
    last = np.append(first[1:], len(e))
    power = np.cumsum(w1)[last - 1]
    size = np.cumsum(w0)[last - 1]
    beta = np.cumsum(w1[::-1])[::-1]
    beta = np.append(beta, 0.0)[last]
    upper = np.append(bounds[1:], 1.0)
    return bounds, upper, power, size, beta


def check(line):
    kind, code, fields, outs, done = parse(line)
    if not done or code > 6:
        return None
    q = float(fields["$\\beta$/$\\alpha$ ratio"])
    bounds, upper, power, size, beta = steps(kind, code, fields)
    ratio = np.where(size > 0, beta / np.where(size > 0, size, 1), np.inf)
    alpha = float(outs["$\\alpha$ err prob"])
    k = np.searchsorted(bounds, alpha, side="left") - 1
    # An alpha on a jump itself (0.5 of one tail, where the critical value is
    # 0) is decided by the last bit of the program's quantile.
    if np.any(np.abs(bounds - alpha) <= 1e-14 * alpha):
        return "on a jump"
    shown = dict(actual=float(outs["Actual $\\alpha$"]),
                 power=float(outs["Power (1-$\\beta$ err prob)"]),
                 ratio=float(outs["Actual $\\beta$/$\\alpha$ ratio"]))
    tol = lambda x: 6e-8 if abs(x) >= 0.01 else abs(x) * 6e-7 + 1e-300
    typed = (k >= 0 and abs(size[k] - shown["actual"]) <= tol(shown["actual"]) and
             abs(power[k] - shown["power"]) <= tol(shown["power"]) + 1e-15 and
             abs(ratio[k] - shown["ratio"]) <= tol(shown["ratio"]))
    best, bestd = None, math.inf
    for j in range(len(bounds)):
        if not np.isfinite(ratio[j]):
            continue
        if shown_above(bounds[j]) > min(upper[j], LARGEST):
            continue
        d = abs(ratio[j] - q)
        if d < bestd:
            best, bestd = j, d
    nearest = best is not None and (best == k or abs(abs(ratio[k] - q) - bestd) <= 1e-12 * q)
    return typed, nearest


def main():
    args = sys.argv[1:]
    maxcells = 4000
    if args and args[-1].isdigit():
        maxcells = int(args.pop())
    counts = {}
    for path in args:
        for line in open(path):
            m = re.search(r"Sample size group 1=(\d+) Sample size group 2=(\d+)", line)
            if " t4 " not in line or not m:
                continue
            if (int(m.group(1)) + 1) * (int(m.group(2)) + 1) > maxcells:
                continue
            r = check(line.rstrip("\n"))
            if r is None:
                continue
            if r == "on a jump":
                counts[r] = counts.get(r, 0) + 1
                continue
            key = ("typed back" if r[0] else "NOT typed back") + ", " + (
                "nearest" if r[1] else "NOT nearest")
            counts[key] = counts.get(key, 0) + 1
            if not all(r):
                print("FAIL", key, line.strip()[:300])
    print(counts)


if __name__ == "__main__":
    main()
