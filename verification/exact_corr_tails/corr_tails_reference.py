#!/usr/bin/python3
"""Criterion and Compromise of the exact tests of one correlation (605) and
of R^2 in the random model (611) where alpha or beta lies far below 1e-10,
in mpmath at 30 digits; the program is not called.

    /usr/bin/python3 corr_tails_reference.py > corr_tails_reference.tsv

Sample correlation r: Hotelling's exact density
    f(r) = (n - 2) Gamma(n - 1) (1 - rho^2)^((n - 1)/2) (1 - r^2)^((n - 4)/2)
           / (sqrt(2 pi) Gamma(n - 1/2) (1 - rho r)^(n - 3/2))
           * 2F1(1/2, 1/2; n - 1/2; (1 + rho r)/2),
integrated on Fisher's scale u = atanh(r) (dr = (1 - r^2) du), where a tail
far below 1e-16 and an r within 1e-16 of 1 keep their digits. A lower tail
P(r <= x) integrates from atanh(x) down until the integrand has fallen by
1e-60; an upper tail is the lower tail of the mirror image (r under -rho).
Under rho = 0 the tails are Student's t with n - 2 df, checked against the
integral.

R^2 with k = p + 1 variates: under rho^2 = 0, Beta((k - 1)/2, (N - k)/2);
otherwise the negative-binomial mixture of beta distributions of
../exact_corr/correlation_reference.py, summed with mpmath.betainc; an
upper tail as the lower tail of Beta(b, a) at 1 - x, not 1 minus the
lower one.

Compromise solves log(beta) = log(q alpha) over the critical value(s),
alpha split evenly between two tails; Criterion takes the critical value
from the power under H1 and alpha from H0. A row whose alpha would lie
below 1e-99 has status "none" (no alpha >= 1e-99 meets the ratio or gives
the power).
"""
import mpmath as mp

mp.mp.dps = 30
FLOOR = mp.mpf("1e-99")


# ------------------------------------------------------------ r, exact

def log_h(u, rho, n):
    """log of the density of u = atanh(r)."""
    r = mp.tanh(u)
    one_r2 = 1 / mp.cosh(u) ** 2
    rho = mp.mpf(rho)
    return (mp.log(n - 2) + mp.loggamma(n - 1) - mp.loggamma(n - mp.mpf(1) / 2)
            - mp.log(2 * mp.pi) / 2 + (n - 1) * mp.log(1 - rho ** 2) / 2
            + (n - 2) * mp.log(one_r2) / 2 - (n - mp.mpf(3) / 2) * mp.log(1 - rho * r)
            + mp.log(mp.hyp2f1(0.5, 0.5, n - 0.5, (1 + rho * r) / 2)))


def lower_u(ux, rho, n):
    """P(atanh(r) <= ux) under rho."""
    if rho == 0:
        return t_upper(-mp.tanh(ux), n)
    return lower_int(ux, rho, n)


def lower_int(ux, rho, n):
    """P(atanh(r) <= ux) under rho by the integral of the density."""
    top = log_h(ux, rho, n)
    # the integrand falls by 1e-60 within width w below ux
    w = mp.mpf("0.01")
    while log_h(ux - w, rho, n) > top - 140:
        w *= 2
    pts = [ux - w + w * i / 24 for i in range(25)]
    # scaled by the density at ux: quad's tolerance is absolute
    return mp.quad(lambda u: mp.exp(log_h(u, rho, n) - top), pts) * mp.exp(top)


def upper_u(ux, rho, n):
    if rho == 0:
        return t_upper(mp.tanh(ux), n)
    return lower_u(-ux, -mp.mpf(rho), n)


def t_upper(x, n):
    """P(r >= x) under rho = 0 by Student's t."""
    df = n - 2
    t = x * mp.sqrt(df) / mp.sqrt(1 - x * x)
    p = mp.betainc(mp.mpf(df) / 2, mp.mpf(1) / 2, 0, df / (df + t * t), regularized=True) / 2
    return p if t > 0 else 1 - p


def root(f, lo, hi):
    """Root of an increasing f on [lo, hi]: bisection, then the secant."""
    lo, hi = mp.mpf(lo), mp.mpf(hi)
    assert f(lo) < 0 < f(hi), (f(lo), f(hi))
    for _ in range(14):
        mid = (lo + hi) / 2
        if f(mid) < 0:
            lo = mid
        else:
            hi = mid
    return mp.findroot(f, (lo, hi), solver="anderson", tol=mp.mpf(10) ** -24)


def corr_compromise(tails, rho1, rho0, q, n):
    """(lower crit, upper crit, alpha, beta) or None when alpha < 1e-99."""
    rho1, rho0, q = mp.mpf(rho1), mp.mpf(rho0), mp.mpf(q)
    if tails == "Two":
        assert rho0 == 0 and rho1 > 0
        alpha = lambda c: 2 * upper_u(c, 0, n)
        beta = lambda c: lower_u(c, rho1, n) - lower_u(-c, rho1, n)
        g = lambda c: mp.log(beta(c)) - mp.log(q * alpha(c))
        lo, hi = mp.mpf("0.001"), mp.atanh(rho1) + 1
    elif rho1 > rho0:
        alpha = lambda c: upper_u(c, rho0, n)
        beta = lambda c: lower_u(c, rho1, n)
        g = lambda c: mp.log(beta(c)) - mp.log(q * alpha(c))
        lo, hi = mp.atanh(rho0), mp.atanh(rho1) + 1
    else:
        alpha = lambda c: lower_u(c, rho0, n)
        beta = lambda c: upper_u(c, rho1, n)
        g = lambda c: mp.log(q * alpha(c)) - mp.log(beta(c))
        lo, hi = mp.atanh(rho1) - 1, mp.atanh(rho0)
    c = root(g, lo, hi)
    a, b = alpha(c), beta(c)
    if a < FLOOR:
        return None
    if tails == "Two":
        return -mp.tanh(c), mp.tanh(c), a, b
    return mp.tanh(c), mp.tanh(c), a, b


def corr_criterion(rho1, rho0, power, n):
    """One tail, rho1 > rho0: (crit, alpha)."""
    rho1, rho0 = mp.mpf(rho1), mp.mpf(rho0)
    target = 1 - mp.mpf(power)
    c = root(lambda c: mp.log(lower_u(c, rho1, n)) - mp.log(target), mp.atanh(rho1) - 3,
             mp.atanh(rho1) + 1)
    return mp.tanh(c), upper_u(c, rho0, n)


# ------------------------------------------------------------ R^2

def r2_cdf(x, rho2, k, N):
    x, rho2 = mp.mpf(x), mp.mpf(rho2)
    a, b2, b = mp.mpf(k - 1) / 2, mp.mpf(N - k) / 2, mp.mpf(N - 1) / 2
    if rho2 == 0:
        return mp.betainc(a, b2, 0, x, regularized=True)
    mean = b * rho2 / (1 - rho2)
    top = int(mean + 60 * mp.sqrt(mean + 1) + 60)
    total, w = mp.mpf(0), (1 - rho2) ** b
    for i in range(top + 1):
        if i > 0:
            w *= (b + i - 1) * rho2 / i
        total += w * mp.betainc(a + i, b2, 0, x, regularized=True)
    return total


def r2_sf(x, rho2, k, N):
    x, rho2 = mp.mpf(x), mp.mpf(rho2)
    a, b2, b = mp.mpf(k - 1) / 2, mp.mpf(N - k) / 2, mp.mpf(N - 1) / 2
    if rho2 == 0:
        return mp.betainc(b2, a, 0, 1 - x, regularized=True)
    mean = b * rho2 / (1 - rho2)
    top = int(mean + 60 * mp.sqrt(mean + 1) + 60)
    total, w = mp.mpf(0), (1 - rho2) ** b
    for i in range(top + 1):
        if i > 0:
            w *= (b + i - 1) * rho2 / i
        total += w * mp.betainc(b2, a + i, 0, 1 - x, regularized=True)
    return total


def logit_root(f, lo, hi):
    """Root in x of f increasing in x, searched on the logit scale."""
    return mp.exp(root(lambda t: f(mp.exp(t)), mp.log(lo), mp.log(hi)))


def r2_compromise_two(rho1, q, N, p):
    """Two tails against rho^2 = 0: (lower, upper, alpha, beta)."""
    k, rho1, q = p + 1, mp.mpf(rho1), mp.mpf(q)
    lower_at = lambda h: logit_root(lambda x: mp.log(r2_cdf(x, 0, k, N)) - mp.log(h),
                                    mp.mpf("1e-300"), mp.mpf("0.999999"))
    upper_at = lambda h: logit_root(lambda x: mp.log(h) - mp.log(r2_sf(x, 0, k, N)),
                                    mp.mpf("1e-6"), mp.mpf("0.999999"))

    def parts(t):
        a = mp.exp(t)
        lo, hi = lower_at(a / 2), upper_at(a / 2)
        return lo, hi, a, r2_cdf(hi, rho1, k, N) - r2_cdf(lo, rho1, k, N)

    def g(t):
        _, _, a, b = parts(t)
        return mp.log(q * a) - mp.log(b)

    t = root(g, mp.log(mp.mpf("1e-60")), mp.log(mp.mpf("1e-20")))
    return parts(t)


def shown_at_least(x):
    """The smallest value an output row shows (seven decimals between 0.01
    and 100, else seven significant digits) that is not below x."""
    x = mp.mpf(x)
    if mp.mpf("0.01") < x < 100:
        unit = mp.mpf("1e-7")
    else:
        unit = mp.mpf(10) ** (mp.floor(mp.log10(x)) - 6)
        if unit * mp.mpf(10) ** 6 > x:
            unit /= 10
    return mp.ceil(x / unit) * unit


def r2_criterion_two(rho1, rho0, power, N, p):
    """Two tails: the smallest alpha the row shows whose power reaches the
    target (the power rises with alpha: the first shown value at or above
    the root); (lower, upper, alpha) at it."""
    k, rho1, rho0, power = p + 1, mp.mpf(rho1), mp.mpf(rho0), mp.mpf(power)

    def crit(a):
        lo = logit_root(lambda x: mp.log(r2_cdf(x, rho0, k, N)) - mp.log(a / 2),
                        mp.mpf("1e-12"), rho0)
        hi = logit_root(lambda x: mp.log(a / 2) - mp.log(r2_sf(x, rho0, k, N)), rho0,
                        mp.mpf("0.999999"))
        return lo, hi

    def pw(t):
        lo, hi = crit(mp.exp(t))
        return r2_cdf(lo, rho1, k, N) + r2_sf(hi, rho1, k, N)

    t = root(lambda t: pw(t) - power, mp.log(mp.mpf("1e-12")), mp.log(mp.mpf("1e-3")))
    a = shown_at_least(mp.exp(t))
    assert pw(mp.log(a)) >= power
    lo, hi = crit(a)
    return lo, hi, a


def r2_criterion_one(rho1, power, N, p):
    """One tail against rho^2 = 0: the root's alpha from the critical value
    whose power under H1 is the target, shown as the first value at or
    above it; (critical value, alpha) at the alpha shown (alpha as computed
    where it lies below 1e-99)."""
    k, rho1 = p + 1, mp.mpf(rho1)
    target = 1 - mp.mpf(power)
    c = logit_root(lambda x: mp.log(r2_cdf(x, rho1, k, N)) - mp.log(target),
                   mp.mpf("0.01"), mp.mpf("0.999999"))
    a = r2_sf(c, 0, k, N)
    if a < FLOOR:
        return c, a
    a = shown_at_least(a)
    c = logit_root(lambda x: mp.log(a) - mp.log(r2_sf(x, 0, k, N)), mp.mpf("1e-6"),
                   mp.mpf("0.999999"))
    assert r2_cdf(c, rho1, k, N) <= target
    return c, a


# ------------------------------------------------------------ table

def num(x):
    return mp.nstr(x, 15, strip_zeros=False).replace(" ", "") if x is not None else ""


def main():
    print("# test\ttype\tstatus\tinputs\toutputs")
    print("# written by corr_tails_reference.py (mpmath, 30 digits)")
    # rho = 0: Student's t against the integral of the density.
    for x, n in [(mp.mpf("0.4355566"), 487), (mp.mpf("0.19"), 1449)]:
        a, b = t_upper(x, n), lower_int(-mp.atanh(x), 0, n)
        assert abs(a / b - 1) < mp.mpf(10) ** -25, (a, b)

    rho0_near_one = 1 - mp.mpf(2) ** -53
    for tails, rho1, rho0, q, n, shown0 in [
            ("Two", "0.7327", "0", "0.328", 487, "0"),
            ("One", "0.3691", "0", "1.83", 1449, "0"),
            ("One", "-0.999816", "-0.999019", "0.846", 2818, "-0.999019"),
            ("One", "0.95", "0.999", "1", 30, "0.999"),
            ("One", "-0.5", rho0_near_one, "1", 6, "0.99999999999999988898"),
            ("One", "-0.999816", rho0_near_one, "0.846", 2818, "0.99999999999999988898")]:
        res = corr_compromise(tails, rho1, rho0, q, n)
        ins = f"tails={tails} approx=0 rho1={rho1} q={q} n={n} rho0={shown0}"
        if res is None:
            print(f"605\tcompromise\tnone\t{ins}\t")
            continue
        lo, hi, a, b = res
        lo, hi = min(lo, hi), max(lo, hi)
        print(f"605\tcompromise\t-1\t{ins}\tlowr={num(lo)} upr={num(hi)} alpha={num(a)} "
              f"beta={num(b)}")

    for rho1, rho0, power, n in [("0.7", "0", "0.6", 130), ("0.6", "0.2", "0.9", 300)]:
        c, a = corr_criterion(rho1, rho0, power, n)
        print(f"605\tcriterion\t-1\ttails=One approx=0 rho1={rho1} power={power} n={n} "
              f"rho0={rho0}\tlowr={num(c)} upr={num(c)} alpha={num(a)}")

    for rho1, q, N, p in [("0.4958", "1.34", 934, 30)]:
        lo, hi, a, b = r2_compromise_two(rho1, q, N, p)
        print(f"611\tcompromise\t-1\ttails=Two rho1sq={rho1} rho0sq=0 q={q} n={N} "
              f"predictors={p}\tlowr2={num(lo)} upr2={num(hi)} alpha={num(a)} beta={num(b)}")

    for rho1, power, N, p in [("0.9", "0.5", 100, 3), ("0.9", "0.5", 300, 3)]:
        c, a = r2_criterion_one(rho1, power, N, p)
        ins = f"tails=One rho1sq={rho1} rho0sq=0 power={power} n={N} predictors={p}"
        if a < FLOOR:
            print(f"611\tcriterion\tnone\t{ins}\t")
        else:
            print(f"611\tcriterion\t-1\t{ins}\tlowr2={num(c)} upr2={num(c)} alpha={num(a)}")

    for rho1, rho0, power, N, p in [("0.5924", "0.1227", "0.654", 92, 4)]:
        lo, hi, a = r2_criterion_two(rho1, rho0, power, N, p)
        print(f"611\tcriterion\t-1\ttails=Two rho1sq={rho1} rho0sq={rho0} power={power} n={N} "
              f"predictors={p}\tlowr2={num(lo)} upr2={num(hi)} alpha={num(a)}")


if __name__ == "__main__":
    main()
