#!/usr/bin/python3
"""Criterion rows of the exact test of one correlation (605) whose answer
lies below 1e-99, the smallest alpha any exact test shows: the power at
alpha = 1e-99 already reaches the target, so no alpha from 1e-99 up is the
smallest that does, and the calculation must fail with the words of the
other exact tests ("no alpha >= 1e-99"), not "Underflow".

Exact r under rho = 0 is Student's t with N - 2 df; under rho1 the upper
tail at the critical value is the integral of Hotelling's density on
Fisher's scale (../exact_corr_tails/corr_tails_reference.py), in mpmath at
30 digits. One tail, H0 rho = 0. Rows have status "none"; the script
prints the critical r of 1e-99 and the power there.

Writes below_floor.tsv beside this script.
Run: /usr/bin/python3 below_floor_reference.py   (N within the exact range)
"""
import os
import sys

import mpmath as mp

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "exact_corr_tails"))
import corr_tails_reference as ct  # noqa: E402

FLOOR = mp.mpf("1e-99")
HEADER = "# test\ttype\tstatus\tinputs\toutputs"


def power_at_floor(rho1, n):
    """(critical r, power) of one upper tail at alpha 1e-99 against rho 0."""
    c = mp.findroot(lambda x: mp.log(ct.t_upper(x, n)) - mp.log(FLOOR), (mp.mpf("0.05"),
                                                                         mp.mpf("0.999")),
                    solver="anderson")
    # P(r >= c) under rho1: the lower tail of the mirror image (-r under -rho1).
    return c, ct.lower_u(-mp.atanh(c), -mp.mpf(rho1), n)


CASES = [("0.9", "0.5", 1000), ("0.5", "0.8", 5000), ("0.85", "0.9", 400)]


def main():
    rows = [HEADER]
    for rho1, target, n in CASES:
        c, pw = power_at_floor(rho1, n)
        print(f"rho1 {rho1} N {n}: critical r {mp.nstr(c, 12)}, power {mp.nstr(pw, 12)}",
              flush=True)
        assert pw >= mp.mpf(target)
        rows.append(f"605\tcriterion\tnone\ttails=One approx=0 rho1={rho1} power={target} n={n} "
                    f"rho0=0\t")
    with open(os.path.join(HERE, "below_floor.tsv"), "w") as f:
        f.write("\n".join(rows) + "\n")


if __name__ == "__main__":
    main()
