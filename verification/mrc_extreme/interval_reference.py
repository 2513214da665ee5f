#!/usr/bin/python3
"""Confidence limits of rho^2 from an observed R^2, in mpmath at 40 digits.

The lower limit at level 1 - alpha is the rho^2 under which r2 is the
1 - alpha/2 quantile of R^2, P(R^2 > r2) = alpha/2; the upper limit the
rho^2 under which P(R^2 <= r2) = alpha/2. Both tails are the density of
R^2 integrated by mpmath.quad (the functions of mrc_extreme_reference.py,
which sum nothing of the mixture), and each limit is the root in rho^2 of
tail - alpha/2 by the Anderson-Bjorck method from a bracket given per row.

    /usr/bin/python3 interval_reference.py > mrc_interval.csv

Rows: family,function,p0,p1,p2,arg,expected with family r2, function the
limit (lower or upper), p0 the observed r2, p1 variates k, p2 N, arg
alpha, expected the limit's rho^2.
"""
import mpmath as mp

from mrc_extreme_reference import density, integral, num

mp.mp.dps = 40


def tail(rho2, k, N, r2, upper):
    a = mp.mpf(k - 1) / 2
    b = mp.mpf(N - k) / 2
    bp = mp.mpf(N - 1) / 2
    u = 1 - mp.mpf(r2)
    half = mp.mpf(1) / 2
    if upper and u > half:
        # integral() splits at x = 1/2 only for a range that reaches u = 1:
        # the part from r2 to 1/2 is integrated in x itself.
        below = mp.quad(lambda x: density(x, 1 - x, rho2, a, b, bp), [mp.mpf(r2), half])
        return below + integral(0, half, rho2, a, b, bp)
    if upper:
        return integral(0, u, rho2, a, b, bp)
    return integral(u, 1, rho2, a, b, bp)


def limit(k, N, r2, alpha, which, lo, hi):
    half = mp.mpf(alpha) / 2
    if which == "lower":
        f = lambda rho2: tail(rho2, k, N, r2, True) - half
    else:
        f = lambda rho2: tail(rho2, k, N, r2, False) - half
    root = mp.findroot(f, (mp.mpf(lo), mp.mpf(hi)), solver="anderson", verify=False)
    # The tail must meet alpha/2 to far more digits than any row keeps.
    if not abs(f(root)) <= mp.mpf("1e-25") * half:
        raise RuntimeError("limit not settled: %s" % root)
    return root


ROWS = [
    # k, N, r2, alpha, limit, bracket
    (31, 40, 0.999, 1e-6, "lower", 0.78, 0.80),
    (31, 40, 0.999, 1e-6, "upper", 0.9994, 0.9996),
    (2, 100, 0.3, 1e-6, "lower", 0.011, 0.013),
    (6, 9, 0.9, 0.2, "lower", 0.009, 0.012),
]

if __name__ == "__main__":
    print("family,function,p0,p1,p2,arg,expected")
    for k, N, r2, alpha, which, lo, hi in ROWS:
        value = limit(k, N, r2, alpha, which, lo, hi)
        print("r2,%s,%r,%d,%d,%r,%s" % (which, r2, k, N, alpha, num(value)), flush=True)
