#!/usr/bin/python3
"""Far-side tails of the noncentral t distribution, P(T <= x) for x < 0 and
delta > 0 (the tail beyond 0 away from the noncentrality), with mpmath at 30
digits. Each value is E[Q(delta - x sqrt(Y/nu))] over Y ~ chi-square(nu), Q
the upper normal tail, integrated over ln Y; it is checked against the same
probability written as the integral over w > 0 of phi(delta + w)
P(Y <= nu w^2 / x^2) (regularized lower incomplete gamma), over ln w, where
that form converges, and the two must agree to 1e-20.

Both integrands are unimodal; breakpoints are stepped out from the maximum
so that the logarithm of the integrand changes by at most 6 between
neighbours, down to 110 below the maximum, and the integrand is scaled so
that its peak is 1 (mpmath's quadrature controls an absolute error, which
on an integrand of 1e-160 it reports as converged when it is not).

Boost.Math loses up to 1e-6 relative here at large nu, so these rows come
from the integrals themselves. Writes far_side_reference.csv beside this
script in the format of the other tables (family,function,p0,p1,p2,arg,
expected): p0 the noncentrality, p1 the degrees of freedom."""
import os
import random
import mpmath as mp

mp.mp.dps = 30


def integral_of_exp(logf, start, drop=110):
    t0 = mp.mpf(start)
    f0 = logf(t0)
    step = mp.mpf('0.25')
    # Ascent to the maximum.
    while step > mp.mpf(10) ** -12:
        moved = False
        for d in (step, -step):
            f1 = logf(t0 + d)
            if f1 > f0:
                t0, f0, moved = t0 + d, f1, True
                break
        if moved:
            step *= 2
        else:
            step /= 4
    peak = f0
    points = [t0]
    for direction in (1, -1):
        t, ft, s = t0, f0, mp.mpf('1e-6')
        while peak - ft < drop:
            while True:
                fn = logf(t + direction * s)
                if abs(fn - ft) <= 6 or s < mp.mpf(10) ** -30:
                    break
                s /= 2
            t, ft = t + direction * s, fn
            points.append(t)
            s *= 2
    points.sort()
    scaled = mp.quad(lambda t: mp.exp(logf(t) - peak), points, method='gauss-legendre')
    return mp.exp(peak) * scaled


def log_upper_normal(z):
    if z > 1e8:
        # mpmath's erfc cannot take such arguments; the asymptotic series
        # Q(z) = phi(z)/z (1 - 1/z^2 + 3/z^4 - ...) is exact to 1e-48 here.
        return -z * z / 2 - mp.log(z * mp.sqrt(2 * mp.pi)) + mp.log(1 - 1 / z ** 2 + 3 / z ** 4)
    return mp.log(mp.erfc(z / mp.sqrt(2)) / 2)


def over_chi_square(x, nu, delta):
    a, nu, delta = -mp.mpf(x), mp.mpf(nu), mp.mpf(delta)
    lg = mp.loggamma(nu / 2) + (nu / 2) * mp.log(2)

    def logf(t):
        y = mp.exp(t)
        return (nu / 2) * t - y / 2 - lg + log_upper_normal(delta + a * mp.sqrt(y / nu))
    return integral_of_exp(logf, mp.log(nu))


def over_normal(x, nu, delta):
    a, nu, delta = -mp.mpf(x), mp.mpf(nu), mp.mpf(delta)

    def logf(s):
        w = mp.exp(s)
        c = mp.gammainc(nu / 2, 0, nu * w * w / (2 * a * a), regularized=True)
        return s + mp.log(mp.npdf(delta + w)) + mp.log(c)
    return integral_of_exp(logf, mp.log(a))


def far_side_cdf(x, nu, delta):
    value = over_chi_square(x, nu, delta)
    try:
        check = over_normal(x, nu, delta)
    except mp.libmp.NoConvergence:
        check = None  # the incomplete gamma series at very large nu
    if check is not None:
        assert abs(check / value - 1) < mp.mpf('1e-20'), (x, nu, delta, value, check)
    return value


# (x, nu, delta): far sides of two-tailed power calculations, small and
# huge nu, tails down to 1e-300, tiny and huge x and delta.
cases = [(-3.36153, 1e5, 3.0), (-3.42532, 300, 3.0), (-3.0, 10, 2.0), (-0.5, 20, 4.0),
         (-2.0, 4, 1.0), (-8.0, 30, 2.5), (-40.0, 2.5, 0.7), (-1.2, 0.6, 1.5),
         (-3.0, 1, 5.0), (-0.5, 1, 10.0), (-0.5, 2.5, 10.0), (-0.5, 100, 10.0), (-3.0, 100, 10.0),
         (-1.9844674525438, 98, 2.5), (-1.9714346585217, 208, 3.6228441865),
         (-2.0452296421327, 29, 2.7386127875258), (-2.6, 1, 1.0), (-4.3, 2, 2.0),
         (-1.96, 1e6, 3.0), (-0.01, 4e8, 5.0), (-0.5, 30, 30.0), (-3.0, 10, 36.0),
         (-2.0, 20, 1e-8), (-1e-8, 50, 3.0), (-1e10, 1, 1.0), (-1e5, 2.5, 0.7),
         (-0.00655593454194324, 0.04324866188079241, 0.6633830475266667),
         (-120.22159952031657, 0.013072334529677583, 0.3751403514394913),
         (-1e300, 0.01, 1e-90), (-1e100, 0.1, 1.0), (-1e300, 1, 1.0)]
values = [far_side_cdf(x, nu, delta) for x, nu, delta in cases]
# And random ones whose tails are normal doubles (above 1e-300).
random.seed(20261210)
while len(cases) < 47:
    case = (-10 ** random.uniform(-3, 2.5), 10 ** random.uniform(-2, 6.5),
            10 ** random.uniform(-3, 1.5))
    value = far_side_cdf(*case)
    if value > mp.mpf('1e-300'):
        cases.append(case)
        values.append(value)

rows = ['t,cdf,%r,%r,0,%r,%s' % (delta, float(nu), x, mp.nstr(value, 20))
        for (x, nu, delta), value in zip(cases, values)]

here = os.path.dirname(os.path.abspath(__file__))
with open(os.path.join(here, 'far_side_reference.csv'), 'w') as out:
    out.write('family,function,p0,p1,p2,arg,expected\n')
    out.write('\n'.join(rows) + '\n')
