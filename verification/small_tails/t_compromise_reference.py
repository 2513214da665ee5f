#!/usr/bin/python3
"""Compromise analyses of the t tests whose implied alpha lies far below
1e-12, with mpmath at 25 digits: alpha solves beta(alpha) = q alpha, where
the critical value t_c is the central t quantile of alpha (alpha/2 with two
tails) and beta = P(T <= t_c) - P(T <= -t_c) (one tail: P(T <= t_c)) for the
noncentral t with the test's delta and df. The noncentral distribution
function is E[Phi(x sqrt(Y/df) - delta)] over Y ~ chi-square(df),
integrated over ln Y (far_side_reference.py of verification/distributions
shows the method); the central quantile inverts the incomplete beta ratio.
Where beta/alpha stays below q down to alpha = 1e-99, no alpha in the
admissible range satisfies the ratio and the row says "none".

Writes t_compromise_reference.tsv beside this script: test id, analysis,
status, inputs, outputs in the format of calc_test::ReadReferenceCases."""
import os
import mpmath as mp

mp.mp.dps = 25


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
    """P(T <= x) for x > 0 as E[Phi(x sqrt(Y/df) - delta)]; for x < 0 the far
    side E[Q(delta - x sqrt(Y/df))]."""
    lg = mp.loggamma(df / 2) + (df / 2) * mp.log(2)

    def logf(t):
        y = mp.exp(t)
        z = x * mp.sqrt(y / df) - delta
        return (df / 2) * t - y / 2 - lg + mp.log(mp.ncdf(z))
    return integral_of_exp(logf, mp.log(df))


def central_t_upper_quantile(p, df):
    """t with P(T > t) = p < 1/2: P(T > t) = I_{df/(df+t^2)}(df/2, 1/2)/2."""
    target = 2 * p
    # x = df/(df+t^2) solves I_x(df/2, 1/2) = target; in ln x.
    f = lambda lx: mp.log(mp.betainc(df / 2, mp.mpf(1) / 2, 0, mp.exp(lx), regularized=True)) - mp.log(target)
    lx = mp.findroot(f, (mp.log(target) * 2 / df - 1e-3, mp.log(target) * 2 / df), solver='secant')
    x = mp.exp(lx)
    return mp.sqrt(df * (1 - x) / x)


def beta_of(alpha, df, delta, tails):
    t = central_t_upper_quantile(alpha / tails, df)
    b = noncentral_t_cdf(t, df, delta)
    if tails == 2:
        b -= noncentral_t_cdf(-t, df, delta)
    return b, t


def compromise(df, delta, tails, q):
    g = lambda la: mp.log(beta_of(mp.exp(la), df, delta, tails)[0]) - la - mp.log(q)
    floor = mp.log(mp.mpf('1e-99'))
    if g(floor) < 0:
        return None, None
    # g falls as alpha grows: the decade of the sign change, then the root.
    hi = mp.log(mp.mpf('0.5'))
    lo = floor
    for k in range(1, 100, 4):
        la = mp.log(mp.mpf(10) ** -k)
        if g(la) > 0:
            lo = la
            break
        hi = la
    la = mp.findroot(g, (lo, hi), solver='anderson', tol=mp.mpf(10) ** -20)
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

rows = ['# test\tanalysis\tstatus\tinputs\toutputs']
for test, tails, key, effect, sizes, q in cases:
    if 'n' in sizes:
        n = sizes['n']
        df, delta = mp.mpf(n - 1), mp.mpf(effect) * mp.sqrt(n)
    else:
        n1, n2 = sizes['n1'], sizes['n2']
        df, delta = mp.mpf(n1 + n2 - 2), mp.mpf(effect) * mp.sqrt(mp.mpf(n1 * n2) / (n1 + n2))
    alpha, crit = compromise(df, delta, tails, mp.mpf(q))
    inputs = 'tails=%s %s=%s q=%s %s' % ('One' if tails == 1 else 'Two', key, effect, q,
                                          ' '.join('%s=%d' % kv for kv in sizes.items()))
    if alpha is None:
        rows.append('%d\tcompromise\tnone\t%s\t' % (test, inputs))
    else:
        beta = alpha * mp.mpf(q)
        rows.append('%d\tcompromise\t-1\t%s\talpha=%s crit=%s beta=%s' % (
            test, inputs, mp.nstr(alpha, 15), mp.nstr(crit, 15), mp.nstr(beta, 15)))
    print(rows[-1], flush=True)

here = os.path.dirname(os.path.abspath(__file__))
with open(os.path.join(here, 't_compromise_reference.tsv'), 'w') as out:
    out.write('\n'.join(rows) + '\n')
