#!/usr/bin/python3
"""Compromise analyses of the t tests, many with an implied alpha far below
1e-12, with mpmath at 22 digits: alpha solves beta(alpha) = q alpha, where
the critical value t_c is the central t quantile of alpha (alpha/2 with two
tails) and beta = P(T <= t_c) - P(T <= -t_c) (one tail: P(T <= t_c)) for the
noncentral t with the test's |delta| and df (a negative effect mirrors the
critical value). The noncentral distribution function is
E[Phi(x sqrt(Y/df) - delta)] over Y ~ chi-square(df), integrated over ln Y
(far_side_reference.py of verification/distributions shows the method).

Every search stays on the real line inside a bracket whose ends have
opposite signs: the central quantile bisects ln t against the incomplete
beta ratio, alpha is found by the Illinois method in ln alpha on
[ln 1e-99, ln 1). Where beta/alpha stays below q down to alpha = 1e-99, no
alpha in the admissible range satisfies the ratio and the row says "none".

Beside the named cases, seeded random ones over every t test, both tails
and a wide range of noncentralities (so alphas from about 0.4 down past the
floor).

  /usr/bin/python3 t_compromise_reference.py

writes t_compromise_reference.tsv beside this script: test id, analysis,
status, inputs, outputs in the format of calc_test::ReadReferenceCases."""
import os
import random
import mpmath as mp
from multiprocessing import Pool
from scipy import stats

mp.mp.dps = 22


def integral_of_exp(logf, start, drop=110):
    t0 = mp.mpf(start)
    f0 = logf(t0)
    step = mp.mpf('0.25')
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
    return mp.exp(peak) * mp.quad(lambda t: mp.exp(logf(t) - peak), points,
                                  method='gauss-legendre')


def noncentral_t_cdf(x, df, delta):
    """P(T <= x) = E[Phi(x sqrt(Y/df) - delta)] over Y ~ chi-square(df)."""
    lg = mp.loggamma(df / 2) + (df / 2) * mp.log(2)

    def logf(t):
        y = mp.exp(t)
        z = x * mp.sqrt(y / df) - delta
        return (df / 2) * t - y / 2 - lg + mp.log(mp.ncdf(z))
    return integral_of_exp(logf, mp.log(df))


def bisect(f, lo, hi, tol):
    """The root of a function of opposite signs at lo and hi."""
    flo = f(lo)
    assert flo * f(hi) < 0, (lo, hi)
    while hi - lo > tol:
        mid = (lo + hi) / 2
        fm = f(mid)
        if (fm < 0) == (flo < 0):
            lo, flo = mid, fm
        else:
            hi = mid
    return (lo + hi) / 2


def illinois(f, lo, hi, tol):
    """Regula falsi with the Illinois halving: the root of a function of
    opposite signs at lo and hi, never leaving [lo, hi]."""
    flo, fhi = f(lo), f(hi)
    assert flo * fhi < 0, (lo, hi)
    side = 0
    for _ in range(500):
        x = (lo * fhi - hi * flo) / (fhi - flo)
        fx = f(x)
        if abs(fx) < mp.mpf(10) ** -19:
            return x
        if (fx < 0) == (flo < 0):
            lo, flo = x, fx
            if side == -1:
                fhi /= 2
            side = -1
        else:
            hi, fhi = x, fx
            if side == 1:
                flo /= 2
            side = 1
        if hi - lo <= tol * max(1, abs(x)):
            return x
    raise RuntimeError('no convergence')


def central_t_tail(t, df):
    """P(T > t) for the central t and t > 0: I_{df/(df+t^2)}(df/2, 1/2)/2,
    or, where that series converges too slowly (large df far out), the
    integral on the far side, E[Phi(-t sqrt(Y/df))]."""
    try:
        return mp.betainc(df / 2, mp.mpf(1) / 2, 0, df / (df + t * t), regularized=True) / 2
    except mp.libmp.NoConvergence:
        return noncentral_t_cdf(-t, df, 0)


def central_t_upper_quantile(p, df):
    """t with P(T > t) = p. For p < 1/2 the tail falls as t grows: a bracket
    around a double-precision start, widened until its ends differ in sign,
    then Illinois in ln t. Larger p by symmetry."""
    if p == mp.mpf('0.5'):
        return mp.mpf(0)
    if p > mp.mpf('0.5'):
        return -central_t_upper_quantile(1 - p, df)
    h = lambda lt: mp.log(central_t_tail(mp.exp(lt), df)) - mp.log(p)
    start = mp.log(stats.t.isf(float(p), float(df)))
    width = mp.mpf('1e-9')
    while True:
        lo, hi = start - width, start + width
        if h(lo) > 0 and h(hi) < 0:
            break
        width *= 16
    return mp.exp(illinois(h, lo, hi, mp.mpf(10) ** -18))


def beta_of(alpha, df, delta, tails):
    """beta and the critical value for delta >= 0."""
    t = central_t_upper_quantile(alpha / tails, df)
    b = noncentral_t_cdf(t, df, delta)
    if tails == 2:
        b -= noncentral_t_cdf(-t, df, delta)
    return b, t


FLOOR = mp.log(mp.mpf('1e-99'))


def compromise(df, delta, tails, q):
    """alpha and the critical value (for |delta|), or None below the floor."""
    g = lambda la: mp.log(beta_of(mp.exp(la), df, delta, tails)[0]) - la - mp.log(q)
    if g(FLOOR) < 0:
        return None, None
    # g falls as alpha grows and is negative near alpha = 1, where beta
    # vanishes.
    top = mp.log(mp.mpf('0.9999999'))
    if g(top) > 0:
        raise ValueError('ratio met even at the top of the range')
    la = illinois(g, FLOOR, top, mp.mpf(10) ** -16)
    alpha = mp.exp(la)
    return alpha, beta_of(alpha, df, delta, tails)[1]


# test id, tails, effect key and value, sizes, q
cases = [
    (201, 2, 'd', '1.5', {'n1': 200, 'n2': 200}, '1'),
    (203, 2, 'd', '1', {'n': 300}, '1'),
    (201, 1, 'd', '1.86', {'n1': 91579, 'n2': 91579}, '0.36'),
    (204, 1, 'dz', '0.18', {'n': 31241}, '1.15'),
    (201, 2, 'd', '0.5', {'n1': 50, 'n2': 50}, '1'),
]

rng = random.Random(45)
for _ in range(24):
    test = rng.choice((200, 201, 203, 204))
    tails = rng.choice((1, 2))
    q = '%.3g' % (10 ** rng.uniform(-1.5, 1.5))
    # |delta| log-uniform from 0.5 to 60: alphas from tenths to below 1e-99.
    target = 10 ** rng.uniform(mp.log10(0.5), mp.log10(60))
    if test == 200:
        df = rng.choice((rng.randint(2, 40), rng.randint(41, 2000), rng.randint(2001, 200000)))
        sign = rng.choice((1, -1))
        cases.append((200, tails, 'delta', '%.4g' % (sign * target), {'df': df}, q))
    elif test == 201:
        n1 = int(10 ** rng.uniform(0.5, 5))
        n2 = max(2, int(n1 * 10 ** rng.uniform(-0.5, 0.5)))
        n1 = max(n1, 2)
        d = target / float(mp.sqrt(mp.mpf(n1 * n2) / (n1 + n2)))
        sign = rng.choice((1, -1))
        cases.append((201, tails, 'd', '%.3g' % (sign * d), {'n1': n1, 'n2': n2}, q))
    else:
        n = max(3, int(10 ** rng.uniform(0.5, 5)))
        d = target / float(mp.sqrt(n))
        cases.append((test, tails, 'd' if test == 203 else 'dz', '%.3g' % d, {'n': n}, q))



def row(case):
    test, tails, key, effect, sizes, q = case
    if 'df' in sizes:
        df, delta = mp.mpf(sizes['df']), mp.mpf(effect)
    elif 'n' in sizes:
        n = sizes['n']
        df, delta = mp.mpf(n - 1), mp.mpf(effect) * mp.sqrt(n)
    else:
        n1, n2 = sizes['n1'], sizes['n2']
        df, delta = mp.mpf(n1 + n2 - 2), mp.mpf(effect) * mp.sqrt(mp.mpf(n1 * n2) / (n1 + n2))
    alpha, crit = compromise(df, abs(delta), tails, mp.mpf(q))
    inputs = 'tails=%s %s=%s q=%s %s' % ('One' if tails == 1 else 'Two', key, effect, q,
                                          ' '.join('%s=%d' % kv for kv in sizes.items()))
    if alpha is None:
        text = '%d\tcompromise\tnone\t%s\t' % (test, inputs)
    else:
        if delta < 0:
            crit = -crit
        beta = alpha * mp.mpf(q)
        text = '%d\tcompromise\t-1\t%s\talpha=%s crit=%s beta=%s' % (
            test, inputs, mp.nstr(alpha, 15), mp.nstr(crit, 15), mp.nstr(beta, 15))
    print(text, flush=True)
    return text


if __name__ == '__main__':
    with Pool(2) as pool:
        rows = ['# test\tanalysis\tstatus\tinputs\toutputs'] + pool.map(row, cases, chunksize=1)
    here = os.path.dirname(os.path.abspath(__file__))
    with open(os.path.join(here, 't_compromise_reference.tsv'), 'w') as out:
        out.write('\n'.join(rows) + '\n')
