#!/usr/bin/python3
"""Criterion and Compromise of the Wilcoxon tests and of the slope test at
alpha far below 1e-16, in mpmath.

    /usr/bin/python3 t_family_reference.py > t_family_reference.tsv

- The A.R.E. method of the Wilcoxon tests is the t test at the efficiency
  times N: df = f N - 1, delta = dz sqrt(f N) for matched pairs. The slope
  test (211) is the t test with df = N - 2 and delta = sqrt(N) sigma_x
  (b1 - b0) / sqrt(sigma_y^2 - (b1 sigma_x)^2). Both use the noncentral t
  and the Compromise search of t_compromise_reference.py (beta summed on
  its own side, alpha in its logarithm down to 1e-99, "none" below).
- The Lehmann method approximates the signed-rank statistic by normal
  distributions with the moments p1, p2, p3 of the parent, here integrated
  from the Laplace density with mpmath's quadrature (not the closed forms
  of the program); critical points from the upper normal tail itself.

Rows as in ../wilcoxon/cases.tsv and ../t_regression/cases.tsv; method, cc
and parent (0 Normal, 1 Laplace, 2 Logistic) set the options of a Wilcoxon
row.
"""
import mpmath as mp

from t_compromise_reference import compromise, illinois

mp.mp.dps = 30
Phi = mp.ncdf


def upper_point(a):
    """x with P(Z > x) = a < 1/2, by bisection on the upper tail."""
    lo, hi = mp.mpf(0), mp.sqrt(-2 * mp.log(a)) + 1
    for _ in range(200):
        mid = (lo + hi) / 2
        if Phi(-mid) > a:
            lo = mid
        else:
            hi = mid
    return (lo + hi) / 2


def laplace_moments(delta):
    """p1 = P(X > 0), p2 = P(X1 + X2 > 0), p3 = P(X1 + X2 > 0, X1 + X3 > 0)
    for X = delta + a Laplace variate of standard deviation 1."""
    r2 = mp.sqrt(2)
    f = lambda x: mp.exp(-r2 * abs(x)) / r2
    F = lambda x: mp.exp(r2 * x) / 2 if x < 0 else 1 - mp.exp(-r2 * x) / 2
    p1 = 1 - F(-delta)
    pts = [-mp.inf, -2 * delta, 0, mp.inf]
    p2 = mp.quad(lambda x: f(x) * (1 - F(-x - 2 * delta)), pts)
    p3 = mp.quad(lambda x: f(x) * (1 - F(-x - 2 * delta)) ** 2, pts)
    return p1, p2, p3


def lehmann_criterion(dz, target, n):
    """Two tails, Laplace parent: alpha and the standardised critical z."""
    p1, p2, p3 = laplace_moments(mp.mpf(dz))
    m0 = n * (n + 1) / mp.mpf(4)
    v0 = n * (n + 1) * (2 * n + 1) / mp.mpf(24)
    m1 = n * (n - 1) * p2 / 2 + n * p1
    v1 = (n * (n - 1) / mp.mpf(2) * (3 * p2 * (1 - p2) + 2 * (p1 - p2) ** 2)
          + n * (n - 1) * (n - 2) * (p3 - p2 ** 2) + n * p1 * (1 - p1))

    def power(a):
        z = upper_point(a / 2)
        up, lo = m0 + z * mp.sqrt(v0), m0 - z * mp.sqrt(v0)
        return Phi((m1 - up) / mp.sqrt(v1)) + Phi((lo - m1) / mp.sqrt(v1))

    g = lambda la: power(mp.exp(la)) - target
    la = illinois(g, mp.log(mp.mpf('1e-99')), mp.log(mp.mpf('0.5')), mp.mpf(10) ** -18)
    a = mp.exp(la)
    return a, upper_point(a / 2)


def num(x):
    return mp.nstr(x, 15)


print('# test\ttype\tstatus\tinputs\toutputs')

# Lehmann method, Laplace parent, two tails: alpha 3.672643e-54, z 15.49633.
a, z = lehmann_criterion('0.864', mp.mpf('0.829'), 526)
print('207\tcriterion\t-1\tmethod=3 cc=0 tails=Two parent=1 dz=0.864 power=0.829 n=526\t'
      f'crit={num(z)} alpha={num(a)}')

# A.R.E. method, logistic parent (f = pi^2/9), one tail: alpha 3.258345e-85
# at critical t 20.70745, above the floor of 1e-99.
for dz, q, n, tails in [('1.02', '0.317', 1514, 1), ('0.9', '2', 800, 2)]:
    f = mp.pi ** 2 / 9
    df, delta = f * n - 1, mp.mpf(dz) * mp.sqrt(f * n)
    a, t = compromise(df, delta, tails, mp.mpf(q))
    inputs = (f'method=1 cc=0 tails={"One" if tails == 1 else "Two"} parent=2 dz={dz} q={q} '
              f'n={n}')
    if a is None:
        print(f'207\tcompromise\tnone\t{inputs}\t')
    else:
        print(f'207\tcompromise\t-1\t{inputs}\tcrit={num(t)} alpha={num(a)} '
              f'beta={num(a * mp.mpf(q))}')

# The slope of one regression: tiny alpha, and no alpha down to 1e-99.
for b1, q, n, tails in [('0.6', '1', 300, 2), ('-0.5', '0.4', 700, 1), ('0.7', '1', 1500, 2),
                         ('0.8', '1', 3000, 2)]:
    b0, sx, sy = mp.mpf(0), mp.mpf(1), mp.mpf(1)
    b = mp.mpf(b1)
    df = mp.mpf(n - 2)
    delta = mp.sqrt(n) * sx * (b - b0) / mp.sqrt(sy ** 2 - (b * sx) ** 2)
    a, t = compromise(df, abs(delta), tails, mp.mpf(q))
    inputs = f'tails={"One" if tails == 1 else "Two"} b1={b1} q={q} n={n} b0=0 sx=1 sy=1'
    if a is None:
        print(f'211\tcompromise\tnone\t{inputs}\t')
    else:
        crit = t if delta > 0 else -t
        print(f'211\tcompromise\t-1\t{inputs}\tcrit={num(crit)} alpha={num(a)} '
              f'beta={num(a * mp.mpf(q))}')
