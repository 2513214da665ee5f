#!/usr/bin/python3
"""Reference values for the Cephes-style special functions, computed with
mpmath at 50 digits. Writes cephes_reference.csv beside this script:
function,a,b,x,expected   (unused arguments are 0)."""
import os
import mpmath as mp

mp.mp.dps = 50
rows = []

def add(fn, a, b, x, v):
    rows.append((fn, a, b, x, mp.nstr(v, 20, min_fixed=-1, max_fixed=-1)))

for x in [0.5, 1.5, 2.25, 5.0, 10.3, 33.5, 34.2, 100.7, 170.5, -0.5, -1.5, -2.7, -33.3, -34.6, -50.25, 1e-10, -1e-10]:
    add('gamma', 0, 0, x, mp.gamma(x))
for x in [0.1, 0.5, 1.5, 2.9, 3.7, 12.9, 13.1, 50.0, 999.0, 1500.0, 1e6, 2e9, -0.5, -2.5, -33.7, -35.4, -100.3]:
    add('lgam', 0, 0, x, mp.log(abs(mp.gamma(x))))
for x in [0.3, 1.0, 2.5, 7.25, -0.5, -1.5, -2.3, -20.7, -40.5, 100.2]:
    add('rgamma', 0, 0, x, mp.rgamma(x))
for a, b, x in [(2, 3, 0.2), (2, 3, 0.8), (0.5, 0.5, 0.3), (0.3, 7.0, 0.05), (10, 20, 0.4),
                (50, 60, 0.45), (200, 300, 0.41), (1000, 10, 0.99), (0.01, 0.02, 0.5),
                (5.5, 250.0, 0.01), (3, 0.2, 0.999), (400, 400, 0.5), (1.5, 1e4, 1e-5),
                (20, 2, 0.3), (1e-3, 5, 0.9)]:
    add('incbet', a, b, x, mp.betainc(a, b, 0, x, regularized=True))
for a, b, x in [(1, 2, 0.5), (0.5, 1.5, -3.0), (2.5, 4.0, 10.0), (-2, 3, 1.7), (1.5, 2.5, 60.0),
                (3, 5, -40.0), (0.1, 0.2, 200.0), (2, 3, -300.0), (1, 1, 5.0)]:
    add('hyperg', a, b, x, mp.hyp1f1(a, b, x))
for x in [0.1, 0.7, 1.0, 1.3, 2.5, 5.0, 7.9, 8.5, -0.4, -3.0, 26.0]:
    add('erf', 0, 0, x, mp.erf(x))
for x in [0.0, 0.5, 1.2, 1.5, 3.0, -1.5, -5.0, -10.0, -20.0, -30.0, -37.5, 7.0, 12.0]:
    add('ndtr', 0, 0, x, mp.ncdf(x))
for x in [0.5, 3.3, 10.0, 20.5, 26.6]:
    add('expx2', 0, 0, x, mp.exp(mp.mpf(x) ** 2))
    add('expx2neg', 0, 0, x, mp.exp(-mp.mpf(x) ** 2))

here = os.path.dirname(os.path.abspath(__file__))
with open(os.path.join(here, 'cephes_reference.csv'), 'w') as f:
    f.write('function,a,b,x,expected\n')
    for r in rows:
        f.write('%s,%r,%r,%r,%s\n' % r)
