#!/usr/bin/python3
"""Second opinion on t_tests_reference.tsv, from mpmath at 30 digits (an
implementation independent of R's pt/qt): the central t by the incomplete
beta ratio, the noncentral t as the expectation of the normal distribution
function over the chi-square of its denominator. Every row is checked by what
its numbers must satisfy: the power of the given or solved quantities, the
critical value, the noncentrality and df, and for A priori rows that one
step less would not reach the power asked for.

    /usr/bin/python3 crosscheck.py t_tests_reference.tsv
"""
import math
import sys

import mpmath as mp

mp.mp.dps = 30
TOL = 1e-9


def central_lower(x, nu):
    """P(T <= x) of the central t, x <= 0."""
    return mp.betainc(nu / 2, mp.mpf(1) / 2, 0, nu / (nu + x * x), regularized=True) / 2


def central_quantile(p, nu):
    """The x with P(T <= x) = p, by symmetry from the lower half."""
    p, nu = mp.mpf(p), mp.mpf(nu)
    if p > 0.5:
        return -central_quantile(1 - p, nu)
    if p == 0.5:
        return mp.mpf(0)
    lo, hi = mp.mpf(-1), mp.mpf(0)
    while central_lower(lo, nu) > p:
        lo, hi = 2 * lo, lo
    for _ in range(110):  # bisection to far below the tolerance
        mid = (lo + hi) / 2
        if central_lower(mid, nu) > p:
            hi = mid
        else:
            lo = mid
    return (lo + hi) / 2


def chi2_density(u, nu):
    return mp.exp((nu / 2 - 1) * mp.log(u) - u / 2 - (nu / 2) * mp.log(2) - mp.loggamma(nu / 2))


def noncentral(x, nu, delta, upper):
    """P(T <= x), or P(T > x) with upper, of t(nu, delta)."""
    x, nu, delta = mp.mpf(x), mp.mpf(nu), mp.mpf(delta)

    def phi(u):
        z = x * mp.sqrt(u / nu) - delta
        return (mp.ncdf(-z) if upper else mp.ncdf(z)) * chi2_density(u, nu)

    return mp.quad(phi, [0, nu, 4 * nu + 40, mp.inf])


def power(delta, df, alpha, tails):
    if delta >= 0:
        cv = central_quantile(1 - mp.mpf(alpha) / tails, df)
        p = noncentral(cv, df, delta, True)
        if tails == 2:
            p += noncentral(-cv, df, delta, False)
    else:
        cv = central_quantile(mp.mpf(alpha) / tails, df)
        p = noncentral(cv, df, delta, False)
        if tails == 2:
            p += noncentral(-cv, df, delta, True)
    return float(p), float(cv)


def parse(text):
    out = {}
    for item in text.split(";"):
        key, value = item.split("=")
        out[key] = value if key == "tails" else float(value)
    return out


def design(test, effect, n1, n2, n):
    """df and noncentrality of a test for the given sizes."""
    if test == 200:
        return None
    if test == 201:
        return n1 + n2 - 2, effect * math.sqrt(n1 * n2 / (n1 + n2))
    return n - 1, effect * math.sqrt(n)


def check(name, got, want, tol=TOL):
    if not abs(got - want) <= tol * max(1.0, abs(want)):
        raise SystemExit(f"{name}: table {want!r}, scipy {got!r}")


def main(path):
    rows = 0
    for line in open(path):
        test, kind, inputs, outputs = line.rstrip("\n").split("\t")
        test, kind = int(test), int(kind)
        i, o = parse(inputs), parse(outputs)
        tails = 1 if i["tails"] == "One" else 2
        tag = f"{test}/{kind} {inputs}"
        effect = i.get("d", i.get("dz", i.get("delta", o.get("d", o.get("dz", o.get("ncp"))))))
        alpha = i.get("alpha", o.get("alpha"))
        n1, n2 = i.get("n1", o.get("n1")), i.get("n2", o.get("n2"))
        n = i.get("n", o.get("n"))
        if test == 200:
            df, ncp = i["df"], effect
        else:
            df, ncp = design(test, effect, n1, n2, n)
            check(tag + " df", df, o["df"])
            check(tag + " ncp", ncp, o["ncp"])
        p, cv = power(ncp, df, alpha, tails)
        check(tag + " crit", cv, o["crit"])
        if kind == 0:
            check(tag + " actual", p, o["actual"])
            if test == 201:
                # One pair of subjects less (the total stays even) falls short.
                r = i["r"]
                m = n - 2
                g1 = m / (r + 1)
                _, q = design(201, effect, g1, m - g1, m)
                assert m < 3 or power(q, m - 2, alpha, tails)[0] < i["power"], tag
            elif n > 2:
                _, q = design(test, effect, 0, 0, n - 1)
                assert power(q, n - 2, alpha, tails)[0] < i["power"], tag
        elif kind in (1, 3):
            check(tag + " power", p, i["power"])
        elif kind == 2:
            check(tag + " power", p, o["power"])
        elif kind == 4:
            check(tag + " power", p, o["power"])
            check(tag + " beta/alpha", (1 - p) / alpha, i["q"])
        rows += 1
    print(f"{rows} rows agree")


if __name__ == "__main__":
    main(sys.argv[1])
