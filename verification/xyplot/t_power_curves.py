#!/usr/bin/python3
"""Reference values for the X-Y plot series of the two-sample t test
(two-tailed, alpha 0.05), computed with SciPy's noncentral t distribution.

post_hoc rows: power at total N = 10, 15, ..., 100 for d = 0.2, 0.5, 0.8,
  groups n1 = N/2 rounded half up and n2 = N - n1.
a_priori rows: the unrounded total N (equal groups) reaching power 0.8 at
  d = 0.3, 0.4, ..., 1.0.

Run: /usr/bin/python3 t_power_curves.py > t_power_curves.csv
"""
import math
from scipy import stats, optimize


def power(d, alpha, n1, n2):
    n = n1 + n2
    df = n - 2
    delta = d * math.sqrt(n1 * n2 / n)
    t = stats.t.isf(alpha / 2, df)
    return stats.nct.sf(t, df, delta) + stats.nct.cdf(-t, df, delta)


print("kind,effect,x,value")
for d in (0.2, 0.5, 0.8):
    for n in range(10, 101, 5):
        n1 = math.floor(n / 2 + 0.5)
        print(f"post_hoc,{d},{n},{power(d, 0.05, n1, n - n1):.15g}")
for k in range(3, 11):
    d = k / 10
    total = optimize.brentq(lambda n: power(d, 0.05, n / 2, n / 2) - 0.8, 3, 10000,
                            xtol=1e-12, rtol=1e-14)
    print(f"a_priori,{d},0.8,{total:.15g}")
