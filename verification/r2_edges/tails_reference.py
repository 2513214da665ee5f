#!/usr/bin/python3
"""Tails of the distribution of R^2 summed from their own side where their
terms peak far from the weights' bulk, in mpmath at 60 digits
(r2_model.py): the upper tail at a critical value far above the bulk under
H0 (its complements grow by a factor of 1e60 beyond the weights' mode), and
the lower tail far below the bulk with N in the tens of thousands (its
terms peak near i = 0, far below the weights' mode).

    /usr/bin/python3 tails_reference.py > tails.csv

Rows: family r2, function cdf (P(R^2 <= arg)) or sf (P(R^2 > arg)), p0
rho^2, p1 variates k, p2 N, arg, expected.
"""
import os
import sys

import mpmath as mp

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import r2_model as m  # noqa: E402

ROWS = [
    ('sf', '0.1092', 2, 1434, '0.4315663382510832'),
    ('sf', '0.1092', 2, 1434, '0.6'),
    ('sf', '0.3', 6, 2000, '0.45'),
    ('sf', '0.02', 4, 500, '0.3'),
    ('cdf', '0.3', 6, 20000, '0.25'),
    ('cdf', '0.3', 6, 20000, '0.2'),
    ('cdf', '0.5', 3, 5000, '0.3'),
]

print("family,function,p0,p1,p2,arg,expected")
for fn, rho2, k, N, x in ROWS:
    tail = m.upper if fn == 'sf' else m.lower
    v = tail(mp.mpf(x), mp.mpf(rho2), k, N)
    print(f"r2,{fn},{rho2},{k},{N},{x},{mp.nstr(v, 17)}", flush=True)
