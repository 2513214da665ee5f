#!/usr/bin/python3
"""Criterion of the R^2 test (random model, test 611) where alpha lies near 1:
with N - k = 1 the upper tail of R^2 thins like sqrt(1 - x), so the critical
R^2 of a one-tailed test against a smaller rho^2 lies within 1e-14 of 1 for
a power of 1 - 1e-7. The tails are summed on their own side at 40 digits,
    P(R^2 > x) = sum_i w_i I_{1-x}((N - k)/2, (k - 1)/2 + i),
with the negative-binomial weights of ../exact_corr/correlation_reference.py;
the critical value is found on the scale of log(1 - x) and alpha on that of
log(1 - alpha).

    /usr/bin/python3 r2_criterion_reference.py > r2_criterion_reference.tsv

Rows as in ../exact_corr/correlation_cases.tsv.
"""
import mpmath as mp

mp.mp.dps = 40


def upper_tail(x, rho2, k, N):
    """P(R^2 > x), from 1 - x (exact in doubles near 1, any x here)."""
    a = mp.mpf(k - 1) / 2
    b2 = mp.mpf(N - k) / 2
    b = mp.mpf(N - 1) / 2
    rho2 = mp.mpf(rho2)
    mean = b * rho2 / (1 - rho2)
    top = int(mean + 80 * mp.sqrt(mean + 1) + 80)
    w = (1 - rho2) ** b
    total = mp.mpf(0)
    for i in range(top + 1):
        if i > 0:
            w *= (b + i - 1) * rho2 / i
        total += w * mp.betainc(b2, a + i, 0, 1 - x, regularized=True)
    return total


def critical(tail, rho0, k, N):
    """The x with P(R^2 > x | rho0) = tail, by its log distance from 1."""
    f = lambda u: mp.log(upper_tail(1 - mp.exp(u), rho0, k, N)) - mp.log(tail)
    return 1 - mp.exp(mp.findroot(f, mp.log(tail) * 2, solver='secant', tol=1e-35))


def criterion_lower(rho1, rho0, p, N, target):
    """One tail, rho1 < rho0: alpha with P(R^2 <= c(alpha) | rho1) = target,
    found on log(1 - alpha); beta is the upper tail under rho1."""
    k = p + 1
    beta = 1 - mp.mpf(target)
    f = lambda v: mp.log(upper_tail(critical(mp.exp(v), rho0, k, N), rho1, k, N)) - mp.log(beta)
    v = mp.findroot(f, mp.log(beta), solver='secant', tol=1e-30)
    return 1 - mp.exp(v)


def num(x):
    return mp.nstr(x, 16, min_fixed=-5, max_fixed=6)


print("# test\ttype\tstatus\tinputs\toutputs")
for rho1, rho0, power, n, p in [("0.01", "0.07037", "0.9999999", 3, 1),
                                ("0.05", "0.07037", "0.999999", 4, 2)]:
    a = criterion_lower(mp.mpf(rho1), mp.mpf(rho0), p, n, power)
    print(f"611\tcriterion\t-1\ttails=One rho1sq={rho1} rho0sq={rho0} power={power} n={n} "
          f"predictors={p}\talpha={num(a)}")
