#!/usr/bin/python3
"""Far-side tails of the noncentral t distribution, P(T <= x) for x < 0 and
delta > 0 (the tail beyond 0 away from the noncentrality), with mpmath at 50
digits as E[Phi(-delta - |x| sqrt(V/nu))] over V ~ chi-square(nu). Boost.Math
loses up to 1e-6 relative here at large nu, so these rows come from the
integral itself. Writes far_side_reference.csv beside this script in the
format of the other tables (family,function,p0,p1,p2,arg,expected)."""
import os
import mpmath as mp

mp.mp.dps = 50

def far_side_cdf(x, nu, delta):
    a = -mp.mpf(x)
    nu = mp.mpf(nu)
    delta = mp.mpf(delta)
    lg = mp.loggamma(nu / 2) + (nu / 2) * mp.log(2)
    if nu < 2:
        # v = u^(2/nu) removes the v^(nu/2 - 1) singularity at 0.
        g = lambda u: mp.ncdf(-delta - a * mp.sqrt(u ** (2 / nu) / nu)) * mp.exp(-u ** (2 / nu) / 2 - lg) * 2 / nu
        return mp.quad(g, [0, 0.25, 0.5, 1, 2, 4, mp.inf])
    f = lambda v: mp.ncdf(-delta - a * mp.sqrt(v / nu)) * mp.exp((nu / 2 - 1) * mp.log(v) - v / 2 - lg)
    s = mp.sqrt(2 * nu)
    pts = [0] + [nu + k * s for k in range(-40, 41) if nu + k * s > 0] + [3 * nu + 100, mp.inf]
    return mp.quad(f, sorted(set(pts)))

cases = [(-3.36153, 1e5, 3.0), (-3.42532, 300, 3.0), (-3.0, 10, 2.0), (-0.5, 20, 4.0),
         (-2.0, 4, 1.0), (-8.0, 30, 2.5), (-40.0, 2.5, 0.7), (-1.2, 0.6, 1.5),
         (-3.0, 1, 5.0), (-0.5, 1, 10.0), (-0.5, 2.5, 10.0), (-0.5, 100, 10.0), (-3.0, 100, 10.0)]
rows = []
for x, nu, delta in cases:
    rows.append('t,cdf,%r,%r,0,%r,%s' % (delta, float(nu), x, mp.nstr(far_side_cdf(x, nu, delta), 20)))

here = os.path.dirname(os.path.abspath(__file__))
with open(os.path.join(here, 'far_side_reference.csv'), 'w') as out:
    out.write('family,function,p0,p1,p2,arg,expected\n')
    out.write('\n'.join(rows) + '\n')
