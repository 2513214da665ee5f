#!/usr/bin/python3
"""Reference rows for the binomial tests with two tails under the balancing
rules 1 (the rest of alpha to the tails, one count each) and 2 (both
regions grown from alpha/2 while the total stays below alpha), whose power
is a step function of alpha that may fall where alpha rises.

Every probability is an exact sum of binomial terms in fractions, with the
regions of each rule as ../exact_tests/binomial_reference.py builds them.
Each rule compares only tails of H0 and sums of one lower and one upper
tail with alpha or alpha/2, so the regions stay the same between two
consecutive values of the forms F(l), 2 F(l), S(u), 2 S(u) and F(l) + S(u)
over all counts l < u. This script lists all of them (no window, no
envelope), and evaluates the rule at each value and at the middle of each
gap between two of them: every step of the power, exactly.

  Criterion:  the smallest alpha the output row can show (seven decimals
              from 0.01 up, else seven significant digits), from 1e-99 to
              0.9999999, whose power reaches the target; the counts and the
              power there.
  Compromise: of the steps that hold an alpha the row can show, the one
              whose ratio (1 - power)/actual alpha is nearest to q (the
              first from below on a tie); its counts, beta, power and ratio.

Writes balanced_criterion.tsv and balanced_compromise.tsv beside this
script.
Run: /usr/bin/python3 balanced_steps_reference.py   (a few seconds)
"""

from fractions import Fraction
import os
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "exact_tests"))
import binomial_reference as br  # noqa: E402

FLOOR = Fraction(1, 10**99)
LARGEST = Fraction(9999999, 10**7)
HEADER = "# test\ttype\tstatus\tinputs\toutputs"


def fmt(x):
    return repr(float(x))


def next_shown(x):
    """The smallest value the row shows above x."""
    return br.shown_at_least(x + x / 10**12)


def pieces(t, n):
    """(first alpha the row shows on the piece, counts, actual alpha, power)
    for every piece of [FLOOR, LARGEST] on which the regions stay the same
    and that holds an alpha the row shows, in ascending order."""
    p1 = t.p1
    cuts = set()
    for k in range(-1, n + 2):
        f, s = br.F(n, p1, k), br.S(n, p1, k)
        cuts.update((f, 2 * f, s, 2 * s))
    for lo in range(0, n + 1):
        for up in range(lo + 1, n + 1):
            cuts.add(br.F(n, p1, lo) + br.S(n, p1, up))
    cuts = sorted(c for c in cuts if FLOOR < c < LARGEST)
    edges = [FLOOR] + cuts + [LARGEST]
    out = []
    for i, a in enumerate(edges):
        # The edge itself, where the row shows it.
        if br.shown_at_least(a) == a:
            out.append((a,) + tuple(br.power(t, a, n)))
        if i + 1 < len(edges):
            b = edges[i + 1]
            x = br.shown_at_least(a)
            if x == a:
                x = next_shown(a)
            if x < b:
                # The regions of the open gap, taken at its middle, hold at x.
                mid = br.power(t, (a + b) / 2, n)
                assert tuple(br.power(t, x, n)) == tuple(mid)
                out.append((x,) + tuple(mid))
    return out


def test_of(case):
    if "p0" in case:
        p1 = Fraction(case["p0"])
        p2 = p1 + Fraction(case["g"])
    elif "g" in case:
        p1 = Fraction(1, 2)
        p2 = p1 + Fraction(case["g"])
    else:
        p1, p2 = Fraction(case["p1"]), Fraction(case["p2"])
    return br.Test(str(p1), str(p2), False, int(case["bal"]))


def inputs_text(test_id, case):
    keys = {601: ["tails", "bal", "p2", "n", "p1"], 602: ["tails", "bal", "g", "n", "p0"],
            603: ["tails", "bal", "g", "n"]}[test_id]
    given = "power" if "power" in case else "q"
    keys = keys[:3] + [given] + keys[3:]
    return " ".join(f"{k}={case[k]}" for k in keys)


def criterion_row(test_id, case):
    t, n, target = test_of(case), int(case["n"]), Fraction(case["power"])
    for x, c1, c2, act, pw in pieces(t, n):
        if pw >= target:
            print(f"{test_id} criterion {case}: alpha {float(x)!r} power {float(pw)!r}", flush=True)
            return (f"{test_id}\tcriterion\t-1\t{inputs_text(test_id, case)}\t"
                    f"lower={min(c1, c2)} upper={max(c1, c2)} alpha={fmt(x)} actual={fmt(pw)}")
    raise ValueError(f"no alpha reaches {case}")


def compromise_row(test_id, case):
    t, n, q = test_of(case), int(case["n"]), Fraction(case["q"])
    best = None
    for x, c1, c2, act, pw in pieces(t, n):
        if act == 0:
            continue
        r = (1 - pw) / act
        if best is None or abs(r - q) < abs(best[0] - q):
            best = (r, x, c1, c2, pw)
    r, x, c1, c2, pw = best
    print(f"{test_id} compromise {case}: ratio {float(r)!r} at alpha {float(x)!r}", flush=True)
    return (f"{test_id}\tcompromise\t-1\t{inputs_text(test_id, case)}\t"
            f"lower={min(c1, c2)} upper={max(c1, c2)} beta={fmt(1 - pw)} power={fmt(pw)} "
            f"actualratio={fmt(r)}")


CRITERION = [
    # The faults reported: a smaller alpha reaches the target, and the
    # largest alpha does not.
    (602, dict(tails="Two", bal="2", g="-0.386", power="0.955", n="7", p0="0.771")),
    (602, dict(tails="Two", bal="1", g="-0.376", power="0.9918", n="10", p0="0.813")),
    # Larger N, both rules, both sides of the alternative.
    (601, dict(tails="Two", bal="1", p2="0.45", power="0.6", n="60", p1="0.3")),
    (601, dict(tails="Two", bal="2", p2="0.45", power="0.6", n="60", p1="0.3")),
    (603, dict(tails="Two", bal="1", g="-0.2", power="0.8", n="45")),
    (603, dict(tails="Two", bal="2", g="-0.2", power="0.8", n="45")),
]

COMPROMISE = [
    (602, dict(tails="Two", bal="1", g="0.06", q="3.82", n="24", p0="0.191")),
    (602, dict(tails="Two", bal="2", g="-0.196", q="0.323", n="41", p0="0.841")),
    (601, dict(tails="Two", bal="1", p2="0.45", q="1.5", n="60", p1="0.3")),
    (601, dict(tails="Two", bal="2", p2="0.45", q="1.5", n="60", p1="0.3")),
    (603, dict(tails="Two", bal="2", g="0.15", q="0.4", n="33")),
]


def main():
    for name, rows in [("balanced_criterion.tsv", [criterion_row(i, c) for i, c in CRITERION]),
                       ("balanced_compromise.tsv",
                        [compromise_row(i, c) for i, c in COMPROMISE])]:
        with open(os.path.join(HERE, name), "w") as f:
            f.write("\n".join([HEADER] + rows) + "\n")


if __name__ == "__main__":
    main()
