#!/usr/bin/python3
"""Reference rows where the sums and searches must reach far: the noncentral
t distribution function at noncentralities of 10^4 and more (its Poisson
mixture then needs far more than 50,000 terms a side), as
E[Phi(x sqrt(V/nu) - delta)] over V ~ chi-square(nu), and central chi-square
quantiles at degrees of freedom far below 1, whose answers lie at 1e-45 to
1e-150, solved in ln z on the regularized incomplete gamma function. mpmath
at 50 digits. Writes far_reach_reference.csv beside this script in the
format of the other tables (family,function,p0,p1,p2,arg,expected)."""
import os
import mpmath as mp

mp.mp.dps = 50


def t_cdf(x, nu, delta):
    x, nu, delta = mp.mpf(x), mp.mpf(nu), mp.mpf(delta)
    lg = mp.loggamma(nu / 2) + (nu / 2) * mp.log(2)
    f = lambda v: mp.ncdf(x * mp.sqrt(v / nu) - delta) * mp.exp((nu / 2 - 1) * mp.log(v) - v / 2 - lg)
    s = mp.sqrt(2 * nu)
    # Phi steps from 0 to 1 around v = nu (delta / x)^2 within some 2 sqrt(v nu) / x.
    vs = nu * (delta / x) ** 2
    w = 2 * mp.sqrt(vs * nu) / x
    pts = [0] + [nu + k * s / 4 for k in range(-160, 161) if nu + k * s / 4 > 0] + [3 * nu + 200, mp.inf]
    pts += [vs + k * w for k in range(-60, 61) if vs + k * w > 0]
    return mp.quad(f, sorted(set(pts)))


def chi_quantile(prob, df):
    a = mp.mpf(df) / 2
    prob = mp.mpf(prob)
    if prob <= 0.5:
        g = lambda t: mp.gammainc(a, 0, mp.exp(t) / 2, regularized=True) - prob
    else:
        g = lambda t: (1 - prob) - mp.gammainc(a, mp.exp(t) / 2, mp.inf, regularized=True)
    # Start from the small-z form of the lower tail, (z/2)^a / Gamma(a + 1).
    t0 = mp.log(prob * mp.gamma(a + 1)) / a + mp.log(2)
    return mp.exp(mp.findroot(g, t0))


# (x, nu, delta): around the bulk, where T is about delta sqrt(nu / V).
t_cases = [(15000, 50, 15000), (16000, 50, 15000), (20500, 1000, 20000),
           (19000, 1000, 20000), (25000, 10, 30000), (60000, 200, 60000)]
# (prob, df)
chi_cases = [(0.95, 3e-4), (0.95, 2e-4), (0.95, 1e-3), (0.9, 1e-3), (0.99, 2e-3), (0.999, 2e-4)]

rows = []
for x, nu, delta in t_cases:
    rows.append("t,cdf,%r,%r,0,%r,%s" % (float(delta), float(nu), float(x), mp.nstr(t_cdf(x, nu, delta), 20)))
for prob, df in chi_cases:
    rows.append("chi,quantile,0,%r,0,%r,%s" % (df, prob, mp.nstr(chi_quantile(prob, df), 20)))

out = os.path.join(os.path.dirname(os.path.abspath(__file__)), "far_reach_reference.csv")
with open(out, "w") as f:
    f.write("family,function,p0,p1,p2,arg,expected\n")
    f.write("\n".join(rows) + "\n")
