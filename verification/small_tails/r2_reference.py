#!/usr/bin/python3
"""Critical values of R^2 (random model, test 611) where they are small:
the lower critical R^2 of a two-tailed test lies near 1e-4, where a
quantile found to an absolute 1e-8 keeps only four digits. The distribution
function is the negative-binomial mixture of beta distributions of
../exact_corr/correlation_reference.py at 30 digits; each quantile is its
root to 1e-24.

    /usr/bin/python3 r2_reference.py > r2_reference.tsv

Rows as in ../exact_corr/correlation_cases.tsv.
"""
import os
import sys

import mpmath as mp

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "exact_corr"))
from correlation_reference import r2_power  # noqa: E402

mp.mp.dps = 30


def num(x):
    return mp.nstr(x, 16, min_fixed=-5, max_fixed=6)


print("# test\ttype\tstatus\tinputs\toutputs")
for rho1, rho0, alpha, n, p in [("0.4", "0.07037", "0.00166", 37, 2),
                                ("0.3", "0.05", "0.001", 25, 3)]:
    lo, hi, pw = r2_power(mp.mpf(rho1), mp.mpf(rho0), p, n, mp.mpf(alpha), True)
    print(f"611\tposthoc\t-1\ttails=Two rho1sq={rho1} rho0sq={rho0} alpha={alpha} n={n} "
          f"predictors={p}\tlowr2={num(lo)} upr2={num(hi)} power={num(pw)}")
