#!/usr/bin/python3
"""Reference rows for the Criterion and Compromise of the R^2 test in the
random regression model (test 611), from the distribution of R^2 summed in
mpmath at 60 digits (r2_model.py beside this file):

  sample_size_edge   N = p + 2, where N - k = 1 and the upper tail of R^2
                     under rho^2 = 0 thins like sqrt(1 - x): the critical
                     value of alpha below some 1e-8 lies within 1e-16 of 1
                     (it is 1 in doubles, with a power of 0 there).
  small_alpha        alpha far below 1e-16 with rho^2 > 0 under H0, where
                     the upper tail's terms peak far beyond the weights'
                     bulk (a complement of 1e-60 at the weights' mode grows
                     to near 1 further up).
  large_n            N = 100,000 with H0 rho^2 > 0.

Criterion: the root of power(alpha) = target on log alpha, shown as the
smallest alpha the row shows whose power reaches the target (the first
shown value at or above the root). Compromise: the root of beta(alpha) =
q alpha on log alpha, beta summed over the acceptance region, rounded.
Each answer shows alpha to seven digits (fixed decimals between 0.01 and
100, else significant digits), and the outputs beside it are those of the
alpha shown, as Post hoc gives them: the critical values, and in
Compromise beta and the power.

    /usr/bin/python3 r2_edges_reference.py [table ...]

writes sample_size_edge.tsv, small_alpha.tsv and large_n.tsv (or the tables
named) beside this script. Rows as in ../exact_corr/correlation_cases.tsv: test, type, status, the
inputs typed, the outputs expected.
"""
import sys
import os

import mpmath as mp

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import r2_model as m  # noqa: E402


def shown(x):
    """x as an output row shows it."""
    x = mp.mpf(x)
    if mp.mpf('0.01') < abs(x) < 100:
        return mp.mpf(mp.nstr(x, 7 + int(mp.floor(mp.log10(abs(x)))) + 1, min_fixed=-10,
                              max_fixed=10))
    return mp.mpf(mp.nstr(x, 7))


def shown_at_least(x):
    """The smallest value an output row shows that is not below x."""
    x = mp.mpf(x)
    s = shown(x)
    if s < x:
        unit = mp.mpf('1e-7') if mp.mpf('0.01') < x < 100 else mp.mpf(10) ** (mp.floor(mp.log10(x)) - 6)
        s = shown(s + unit)
    return s


def root_log_alpha(f, lo, hi):
    return mp.exp(m._root(f, mp.log(mp.mpf(lo)), mp.log(mp.mpf(hi))))


def criterion(rho1, rho0, p, n, power, one, lo, hi):
    k = p + 1
    rho1, rho0 = mp.mpf(rho1), mp.mpf(rho0)
    f = lambda t: m.power_and_beta(rho1, rho0, k, n, mp.exp(t), one)[0] - mp.mpf(power)
    # The power rises with alpha: the smallest alpha the row shows whose
    # power reaches the target is the first shown value at or above the root.
    a = shown_at_least(root_log_alpha(f, lo, hi))
    assert f(mp.log(a)) >= 0
    _, _, c_lo, c_hi = m.power_and_beta(rho1, rho0, k, n, a, one)
    return {'alpha': a, 'lowr2': min(c_lo, c_hi), 'upr2': max(c_lo, c_hi)}


def compromise(rho1, rho0, p, n, q, one, lo, hi):
    k = p + 1
    rho1, rho0 = mp.mpf(rho1), mp.mpf(rho0)
    f = lambda t: mp.log(mp.mpf(q)) + t - mp.log(m.power_and_beta(rho1, rho0, k, n, mp.exp(t), one)[1])
    a = shown(root_log_alpha(f, lo, hi))
    pw, beta, c_lo, c_hi = m.power_and_beta(rho1, rho0, k, n, a, one)
    return {'alpha': a, 'beta': beta, 'power': pw, 'lowr2': min(c_lo, c_hi),
            'upr2': max(c_lo, c_hi)}


def num(x):
    return mp.nstr(mp.mpf(x), 16, min_fixed=-5, max_fixed=6)


# (kind, type, tails, rho1, rho0, power or q, N, p, bracket of alpha)
CASES = [
    ('sample_size_edge', 'criterion', 'One', '0.5158', '0', '0.537', 5, 3, ('0.2', '0.5')),
    ('sample_size_edge', 'compromise', 'One', '0.5', '0', '1', 5, 3, ('0.3', '0.5')),
    ('sample_size_edge', 'criterion', 'Two', '0.6', '0', '0.5', 3, 1, ('0.05', '0.9')),
    ('sample_size_edge', 'compromise', 'Two', '0.3', '0', '2', 7, 5, ('0.05', '0.6')),
    ('sample_size_edge', 'criterion', 'One', '0.5', '0.2', '0.6', 4, 2, ('0.05', '0.9')),
    ('small_alpha', 'compromise', 'Two', '0.7091', '0.1092', '2.54', 1434, 1, ('1e-62', '1e-60')),
    ('small_alpha', 'compromise', 'One', '0.7091', '0.1092', '2.54', 1434, 1, ('1e-64', '1e-58')),
    ('small_alpha', 'criterion', 'Two', '0.6', '0.1', '0.9', 500, 2, ('1e-45', '1e-25')),
    ('large_n', 'criterion', 'One', '0.3002', '0.3', '0.8', 100000, 5, ('0.7', '0.85')),
    ('large_n', 'compromise', 'One', '0.3002', '0.3', '1', 100000, 5, ('0.4', '0.55')),
]

if __name__ == '__main__':
    here = os.path.dirname(os.path.abspath(__file__))
    only = sys.argv[1:]
    for table in ('sample_size_edge', 'small_alpha', 'large_n'):
        if only and table not in only:
            continue
        with open(os.path.join(here, table + '.tsv'), 'w') as out:
            out.write("# test\ttype\tstatus\tinputs\toutputs\n")
            for kind, kind_type, tails, rho1, rho0, given, n, p, (lo, hi) in CASES:
                if kind != table:
                    continue
                one = tails == 'One'
                if kind_type == 'criterion':
                    row = criterion(rho1, rho0, p, n, given, one, lo, hi)
                    given_text = f"power={given}"
                else:
                    row = compromise(rho1, rho0, p, n, given, one, lo, hi)
                    given_text = f"q={given}"
                out.write(f"611\t{kind_type}\t-1\ttails={tails} rho1sq={rho1} rho0sq={rho0} "
                          f"{given_text} n={n} predictors={p}\t"
                          + " ".join(f"{k}={num(v)}" for k, v in row.items()) + "\n")
                out.flush()
