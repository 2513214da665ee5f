#!/usr/bin/python3
"""Noncentral t densities in the upper tail, where the difference form of the
density must take the difference of the upper tails, with mpmath at 60
digits from the closed form in two confluent hypergeometric functions
(both terms positive for x > 0, so no digits cancel). The last row is the
mirror image, delta < 0 and x < 0. Writes density_tail_reference.csv beside
this script in the format of the other tables
(family,function,p0,p1,p2,arg,expected)."""
import os
import mpmath as mp

mp.mp.dps = 60

def t_pdf(x, nu, delta):
    x, nu, d = mp.mpf(x), mp.mpf(nu), mp.mpf(delta)
    s = nu + x * x
    z = d * d * x * x / (2 * s)
    pre = mp.exp(nu / 2 * mp.log(nu) + mp.loggamma(nu + 1) - d * d / 2 - nu * mp.log(2)
                 - nu / 2 * mp.log(s) - mp.loggamma(nu / 2))
    odd = mp.sqrt(2) * d * x / s * mp.hyp1f1(nu / 2 + 1, mp.mpf(1.5), z) / mp.gamma((nu + 1) / 2)
    even = mp.hyp1f1((nu + 1) / 2, mp.mpf(0.5), z) / (mp.sqrt(s) * mp.gamma(nu / 2 + 1))
    return pre * (odd + even)

cases = [(20.7, 100, 10.0), (20.7, 1000, 10.0), (10.7, 1000, 5.0), (10.7, 30, 5.0), (6.0, 10, 2.0),
         (-20.7, 1000, -10.0)]
rows = []
for x, nu, delta in cases:
    rows.append('t,pdf,%r,%r,0,%r,%s' % (delta, float(nu), x, mp.nstr(t_pdf(x, nu, delta), 20)))

here = os.path.dirname(os.path.abspath(__file__))
with open(os.path.join(here, 'density_tail_reference.csv'), 'w') as out:
    out.write('family,function,p0,p1,p2,arg,expected\n')
    out.write('\n'.join(rows) + '\n')
