#!/usr/bin/python3
"""Fisher's test A priori with proportions near 0 that differ by a factor
(1e-6 against 2e-6, 1e-5 against 2e-5): an effect, which the test must not
refuse as zero. The totals lie far beyond the exact threshold (N 10,000),
where the test takes the large-sample z approximation with continuity
correction (Fleiss, Levin and Paik, Statistical Methods for Rates and
Proportions, 3rd ed., 4.3): with d = |p1 - p2|, k = 1/n1 + 1/n2, the
pooled proportion p, sd0 = sqrt(p (1 - p) k) and
sd1 = sqrt(p1 (1 - p1)/n1 + p2 (1 - p2)/n2),

    power = Phi((d - k/2 - z sd0)/sd1)  (+ Phi((-z sd0 - d - k/2)/sd1) with two tails),

z the upper alpha (alpha/2) point of the standard normal. The total x with
n1 = n2 = x/2 that gives the target is found by bisection in mpmath at 40
digits; the groups are then whole: n1 = n2 = ceil(x/2).

Writes fisher_small.tsv beside this script.
Run: /usr/bin/python3 fisher_small_reference.py
"""
import os

import mpmath as mp

mp.mp.dps = 40
HERE = os.path.dirname(os.path.abspath(__file__))
HEADER = "# test\ttype\tstatus\tinputs\toutputs"


def power(p1, p2, n1, n2, alpha, one):
    d = abs(p1 - p2)
    k = 1 / n1 + 1 / n2
    cc = k / 2
    pooled = (n1 * p1 + n2 * p2) / (n1 + n2)
    sd1 = mp.sqrt(p1 * (1 - p1) / n1 + p2 * (1 - p2) / n2)
    sd0 = mp.sqrt(pooled * (1 - pooled) * k)
    z = -mp.sqrt(2) * mp.erfinv(2 * (alpha if one else alpha / 2) - 1)
    pw = mp.ncdf((d - cc - z * sd0) / sd1)
    if not one:
        pw += mp.ncdf((-z * sd0 - d - cc) / sd1)
    return pw


def total(p1, p2, alpha, target, one):
    p1, p2, alpha, target = map(mp.mpf, (p1, p2, alpha, target))
    lo, hi = mp.mpf(10), mp.mpf(10) ** 12
    assert power(p1, p2, lo / 2, lo / 2, alpha, one) < target <= power(p1, p2, hi / 2, hi / 2,
                                                                        alpha, one)
    for _ in range(300):
        mid = (lo + hi) / 2
        if power(p1, p2, mid / 2, mid / 2, alpha, one) < target:
            lo = mid
        else:
            hi = mid
    return int(mp.ceil(hi / 2))


CASES = [("One", "1e-6", "2e-6"), ("Two", "1e-6", "2e-6"), ("One", "1e-5", "2e-5")]


def main():
    rows = [HEADER]
    for tails, p1, p2 in CASES:
        g = total(p1, p2, "0.05", "0.95", tails == "One")
        print(f"{tails} {p1} {p2}: n1 = n2 = {g}", flush=True)
        rows.append(f"606\tapriori\t-1\ttails={tails} p1={p1} p2={p2} alpha=0.05 power=0.95 "
                    f"r=1.0\tn1={g} n2={g} N={2 * g}")
    with open(os.path.join(HERE, "fisher_small.tsv"), "w") as f:
        f.write("\n".join(rows) + "\n")


if __name__ == "__main__":
    main()
