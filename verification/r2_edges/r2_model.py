"""The distribution of the sample R^2 of a criterion on p jointly normal
predictors (k = p + 1 variates, N observations, population rho^2), in
mpmath at high precision, for the reference tables beside this file:

    P(R^2 <= x) = sum_i w_i I_x(a + i, b),   a = (k - 1)/2, b = (N - k)/2,
    w_i = Gamma(b' + i) / (Gamma(b') i!) rho^(2i) (1 - rho^2)^b',  b' = (N - 1)/2.

Each tail is summed from its own side with positive terms only: the lower
tail with the ratios I_x(a + i, b) recurred downward from beyond the
weights' bulk, I_x(c - 1, b) = I_x(c, b) + x^(c-1) (1-x)^b / ((c-1) B(c-1, b)),
the upper tail with the complements 1 - I_x(a + i, b) = I_(1-x)(b, a + i)
recurred upward from i = 0. Quantiles are roots of a tail on the scale of
log x (lower) or log(1 - x) (upper), so that a quantile of 1e-53 or one
within 1e-30 of 1 keeps its digits.
"""
import mpmath as mp

mp.mp.dps = 60


def _weights(rho2, N):
    """The negative-binomial weights w_0..w_top, top beyond the bulk by far
    more than 60 digits need."""
    rho2 = mp.mpf(rho2)
    bp = mp.mpf(N - 1) / 2
    if rho2 == 0:
        return [mp.mpf(1)]
    mean = bp * rho2 / (1 - rho2)
    sd = mp.sqrt(bp * rho2) / (1 - rho2)
    top = int(mean + 60 * sd + 200)
    w = [(1 - rho2) ** bp]
    for i in range(1, top + 1):
        w.append(w[-1] * (bp + i - 1) * rho2 / i)
    return w


_cache = {}


def betainc(c, b, x):
    """The regularized I_x(c, b), from the side where the series
    x^c (1-x)^b / (c B(c, b)) sum_n (c + b)_n / (c + 1)_n x^n has positive
    terms that fall from the start (x below the mean), else as 1 minus the
    other side; mpmath's own betainc fails to converge for shapes in the
    thousands."""
    c, b, x = mp.mpf(c), mp.mpf(b), mp.mpf(x)
    if x <= 0:
        return mp.mpf(0)
    if x >= 1:
        return mp.mpf(1)
    if x > (c + 1) / (c + b + 2):
        return 1 - betainc(b, c, 1 - x)
    lead = mp.exp(c * mp.log(x) + b * mp.log1p(-x) - mp.log(c) - mp.log(mp.beta(c, b)))
    term, total, n = mp.mpf(1), mp.mpf(1), 0
    while term > total * mp.mpf(10) ** (-mp.mp.dps - 5):
        term *= (c + b + n) * x / (c + 1 + n)
        total += term
        n += 1
    return lead * total


def weights(rho2, N):
    key = (mp.mpf(rho2), N)
    if key not in _cache:
        _cache[key] = _weights(rho2, N)
    return _cache[key]


def lower(x, rho2, k, N):
    """P(R^2 <= x)."""
    x = mp.mpf(x)
    if x <= 0:
        return mp.mpf(0)
    if x >= 1:
        return mp.mpf(1)
    a, b = mp.mpf(k - 1) / 2, mp.mpf(N - k) / 2
    w = weights(rho2, N)
    top = len(w) - 1
    c = a + top
    ratio = betainc(c, b, x)
    # increment(c - 1) = x^(c-1) (1-x)^b / ((c-1) B(c-1, b))
    inc = mp.exp((c - 1) * mp.log(x) + b * mp.log1p(-x) - mp.log(c - 1) - mp.log(mp.beta(c - 1, b))) \
        if c > 1 else None
    total = w[top] * ratio
    for i in range(top - 1, -1, -1):
        c = a + i  # ratio for c from ratio for c + 1
        ratio += inc
        total += w[i] * ratio
        if i > 0:
            # increment(c - 1) from increment(c): times c / ((c - 1 + b) x)
            inc *= c / ((c - 1 + b) * x)
    return total


def upper(x, rho2, k, N):
    """P(R^2 > x)."""
    x = mp.mpf(x)
    if x <= 0:
        return mp.mpf(1)
    if x >= 1:
        return mp.mpf(0)
    a, b = mp.mpf(k - 1) / 2, mp.mpf(N - k) / 2
    w = weights(rho2, N)
    comp = betainc(b, a, 1 - x)  # 1 - I_x(a, b)
    # increment(c) = x^c (1-x)^b / (c B(c, b)), c = a
    inc = mp.exp(a * mp.log(x) + b * mp.log1p(-x) - mp.log(a) - mp.log(mp.beta(a, b)))
    total = mp.mpf(0)
    for i, wi in enumerate(w):
        c = a + i
        total += wi * comp
        comp += inc
        inc *= (c + b) * x / (c + 1)
    return total


def _root(f, lo, hi):
    """The root of a rising f between lo (f < 0) and hi (f > 0): the
    Illinois variant of the false position, with a halving every third
    step, to 1e-35 of the width or of f."""
    flo, fhi = f(lo), f(hi)
    assert flo < 0 < fhi, (lo, flo, hi, fhi)
    side = 0
    for step in range(400):
        if step % 3 == 2:
            x = (lo + hi) / 2
        else:
            x = lo - flo * (hi - lo) / (fhi - flo)
        fx = f(x)
        if abs(fx) < mp.mpf(10) ** -35 or abs(hi - lo) < mp.mpf(10) ** -35 * (1 + abs(x)):
            return x
        if fx < 0:
            lo, flo = x, fx
            if side == -1:
                fhi /= 2
            side = -1
        else:
            hi, fhi = x, fx
            if side == 1:
                flo /= 2
            side = 1
    raise ValueError("no convergence")


def lower_quantile(p, rho2, k, N):
    """The x with P(R^2 <= x) = p, on the scale of log x."""
    p = mp.mpf(p)
    f = lambda u: mp.log(lower(mp.exp(u), rho2, k, N)) - mp.log(p)
    lo, hi = mp.mpf(-1), mp.mpf(-1)
    while f(lo) > 0:
        hi = lo
        lo *= 2
    while f(hi) < 0 and hi < 0:
        hi /= 2
    return mp.exp(_root(f, lo, hi))


def upper_quantile(q, rho2, k, N):
    """The x with P(R^2 > x) = q, on the scale of log(1 - x)."""
    q = mp.mpf(q)
    f = lambda v: mp.log(upper(-mp.expm1(v), rho2, k, N)) - mp.log(q)
    # f rises with v (x falls as v rises).
    lo, hi = mp.mpf(-1), mp.mpf(-1)
    while f(lo) > 0:
        hi = lo
        lo *= 2
    while f(hi) < 0 and hi < -1e-30:
        hi /= 2
    return -mp.expm1(_root(f, lo, hi))


def power_and_beta(rho1, rho0, k, N, alpha, one_tail):
    """Power and beta of the test at alpha: one tail on the side of rho1,
    two tails with alpha/2 on each side; beta is summed over the acceptance
    region from the side away from the bulk of H1. Returns (power, beta,
    lower critical, upper critical)."""
    alpha = mp.mpf(alpha)
    if one_tail:
        if rho1 >= rho0:
            c = upper_quantile(alpha, rho0, k, N)
            beta = lower(c, rho1, k, N)
        else:
            c = lower_quantile(alpha, rho0, k, N)
            beta = upper(c, rho1, k, N)
        return 1 - beta, beta, c, c
    lo = lower_quantile(alpha / 2, rho0, k, N)
    hi = upper_quantile(alpha / 2, rho0, k, N)
    if rho1 >= rho0:
        beta = lower(hi, rho1, k, N) - lower(lo, rho1, k, N)
    else:
        beta = upper(lo, rho1, k, N) - upper(hi, rho1, k, N)
    return 1 - beta, beta, lo, hi
