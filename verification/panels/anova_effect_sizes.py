#!/usr/bin/python3
"""Reference values of Cohen's f for the ANOVA effect-size panels.

Omnibus rows: f = sqrt(sum n_i (m_i - m)^2 / N) / sigma with the size-weighted
grand mean m, in 400-digit arithmetic (mpmath). Special rows: partial eta
squared = v_effect / (v_effect + v_error) and f = sqrt(eta2 / (1 - eta2)).
Writes anova_effect_sizes.csv beside this script:
  omnibus,<sigma>,<means ; separated>,<sizes ; separated>,<f>,<N>
  variances,<v_effect>,<v_error>,<eta2>,<f>
  direct,<eta2>,<f>
"""
import os
from mpmath import mp, mpf, sqrt

mp.dps = 400  # enough for eta2 = 1 - 1e-305

omnibus = [
    ("1", ["1", "2", "3", "4"], [5, 5, 5, 5]),
    ("1", ["0", "1"], [10, 30]),
    ("2.5", ["0", "0", "0"], [4, 7, 9]),
    ("0.3", ["-1.25", "0.5", "2", "10", "-7"], [1, 2, 3, 4, 5]),
    ("1e-16", ["1e-16", "3e-16"], [2, 2]),
    ("1", ["1000000.5", "1000000.25", "1000000"], [3, 5, 8]),
    ("7", ["1e150", "-1e150"], [1, 1]),
]
variances = [("1", "1"), ("1", "3"), ("0.04", "1"), ("1e300", "1e-5"), ("2.220446049250313e-15", "1")]
direct = ["0.5", "0.25", "1e-19", "0.0588235294117647", "0.999999999999"]


def g(x):
    return mp.nstr(x, 17, min_fixed=-1, max_fixed=-1)


rows = []
for sigma, means, sizes in omnibus:
    n = sum(sizes)
    m = sum(k * mpf(x) for k, x in zip(sizes, means)) / n
    f = sqrt(sum(k * (mpf(x) - m) ** 2 for k, x in zip(sizes, means)) / n) / mpf(sigma)
    rows.append(f"omnibus,{sigma},{';'.join(means)},{';'.join(map(str, sizes))},{g(f)},{n}")
for ve, vr in variances:
    eta2 = mpf(ve) / (mpf(ve) + mpf(vr))
    rows.append(f"variances,{ve},{vr},{g(eta2)},{g(sqrt(eta2 / (1 - eta2)))}")
for e in direct:
    rows.append(f"direct,{e},{g(sqrt(mpf(e) / (1 - mpf(e))))}")

with open(os.path.join(os.path.dirname(os.path.abspath(__file__)), "anova_effect_sizes.csv"), "w") as out:
    out.write("\n".join(rows) + "\n")
