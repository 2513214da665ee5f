#!/usr/bin/python3
"""The density of R^2 where rho^2 lies close to 1, in mpmath at 40 digits,
from the closed form of mrc_extreme_reference.py (Euler's transformation of
the hypergeometric factor, in u = 1 - x).

    /usr/bin/python3 density_reference.py > mrc_extreme_density.csv

Rows as in mrc_extreme.csv, function pdf.
"""
import mpmath as mp

import mrc_extreme_reference as ref

mp.mp.dps = 40

print("family,function,p0,p1,p2,arg,expected")
for N, m in [(10, 1), (100, 5), (10000, 30)]:
    k = m + 1
    a, b, bp = mp.mpf(k - 1) / 2, mp.mpf(N - k) / 2, mp.mpf(N - 1) / 2
    for r in [0.99999, 0.999999, 1 - 1e-9]:
        scale = (1 - r) * (N - k) / (N - 1)
        s = (2.0 / (N - k) + 2.0 / (N - 1)) ** 0.5
        for z in (-3, 0, 3):
            x = 1.0 - float(mp.exp(z * s)) * scale
            d = ref.density(mp.mpf(x), 1 - mp.mpf(x), mp.mpf(r), a, b, bp)
            print(f"r2,pdf,{r!r},{k},{N},{x!r},{ref.num(d)}")
