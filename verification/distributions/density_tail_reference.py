#!/usr/bin/python3
"""Noncentral densities far in their tails, with mpmath at 60 digits.

t: the upper tail, where the difference form of the density must take the
difference of the upper tails; the closed form in two confluent
hypergeometric functions (both terms positive for x > 0, so no digits
cancel). The last t row is the mirror image, delta < 0 and x < 0.
chi-square and F: the Poisson mixtures far below and above the mean, where
the terms peak far from the Poisson mode; chi-square by its Bessel form, F
by the mixture of beta densities summed until the terms are negligible.

Writes density_tail_reference.csv beside this script in the format of the
other tables (family,function,p0,p1,p2,arg,expected)."""
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

def chi_pdf(x, k, lam):
    x, k, lam = mp.mpf(x), mp.mpf(k), mp.mpf(lam)
    return mp.exp(-(x + lam) / 2) / 2 * (x / lam) ** (k / 4 - mp.mpf(0.5)) * mp.besseli(k / 2 - 1, mp.sqrt(lam * x))

def f_pdf(x, d1, d2, lam):
    x, d1, d2, lam = mp.mpf(x), mp.mpf(d1), mp.mpf(d2), mp.mpf(lam)
    h, a, b = lam / 2, d1 / 2, d2 / 2
    y = d1 * x / (d1 * x + d2)
    dy = d1 * d2 / (d1 * x + d2) ** 2
    total, j, w = mp.mpf(0), 0, mp.exp(-h)
    while True:
        term = w * mp.exp((a + j - 1) * mp.log(y) + (b - 1) * mp.log1p(-y) - mp.log(mp.beta(a + j, b))) * dy
        total += term
        if j > h + 10 and term < mp.mpf(10) ** -40 * total:
            return total
        w *= h / (j + 1)
        j += 1

cases = [(20.7, 100, 10.0), (20.7, 1000, 10.0), (10.7, 1000, 5.0), (10.7, 30, 5.0), (6.0, 10, 2.0),
         (-20.7, 1000, -10.0)]
rows = []
for x, nu, delta in cases:
    rows.append('t,pdf,%r,%r,0,%r,%s' % (delta, float(nu), x, mp.nstr(t_pdf(x, nu, delta), 20)))

for lam, df, x in [(1000.0, 1.0, 1001.0 / 3.0), (1000.0, 0.5, 2001.0)]:
    rows.append('chi,pdf,%r,%r,0,%r,%s' % (lam, df, x, mp.nstr(chi_pdf(x, df, lam), 20)))
for lam, d1, d2, x in [(1000.0, 1.0, 10000.0, 1001.0 / 3.0), (1000.0, 1.0, 10000.0, 2002.0)]:
    rows.append('F,pdf,%r,%r,%r,%r,%s' % (lam, d1, d2, x, mp.nstr(f_pdf(x, d1, d2, lam), 20)))

here = os.path.dirname(os.path.abspath(__file__))
with open(os.path.join(here, 'density_tail_reference.csv'), 'w') as out:
    out.write('family,function,p0,p1,p2,arg,expected\n')
    out.write('\n'.join(rows) + '\n')
