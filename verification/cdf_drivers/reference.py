#!/usr/bin/python3
"""Lower and upper tail probabilities for numerics/cdf_drivers_test.cpp.

Each row: driver, its argument and parameters in the driver's order (unused
columns NA), the inverse modes (`which` codes) the test runs on the row, the
lower tail p and the upper tail q, both computed in 40-digit arithmetic with
mpmath (each tail as its own quantity, never 1 - the other).

A search over a degree of freedom of the F distributions brackets its
answer only where the distribution function is monotone in that parameter
between the ends of the search range. P(F <= f) tends to 1 as dfn -> 0 and
to P(chi2_dfd >= dfd/f) as dfn -> infinity, falling monotonically only for
f <= 1; in dfd it rises from 0 to P(chi2_dfn <= dfn f), monotonically only
for f >= 1. Rows outside those regions leave the mode out (the test shows
the failure status separately). For the noncentral F the ends are
exp(-phonc/2) as dfn -> 0 and P(chi2_dfd >= dfd/f) as dfn -> infinity;
0 as dfd -> 0 and the noncentral chi-square P(chi2_dfn(phonc) <= dfn f) as
dfd -> infinity. Its rows run the search over a degree of freedom only
where these ends enclose p.
Run: /usr/bin/python3 reference.py > forward.tsv
"""
import mpmath as mp

mp.mp.dps = 40
F = mp.mpf


def beta_tails(x, a, b):
    return (mp.betainc(a, b, 0, x, regularized=True),
            mp.betainc(a, b, x, 1, regularized=True))


def binomial_tails(s, xn, pr):
    # P(X <= s) = I_(1-pr)(xn - s, s + 1), continuous in s and xn.
    return (mp.betainc(xn - s, s + 1, 0, 1 - pr, regularized=True),
            mp.betainc(s + 1, xn - s, 0, pr, regularized=True))


def chi_tails(x, df):
    return (mp.gammainc(df / 2, 0, x / 2, regularized=True),
            mp.gammainc(df / 2, x / 2, mp.inf, regularized=True))


def f_tails(f, dfn, dfd):
    x = dfn * f / (dfn * f + dfd)
    return (mp.betainc(dfn / 2, dfd / 2, 0, x, regularized=True),
            mp.betainc(dfn / 2, dfd / 2, x, 1, regularized=True))


def noncentral_f_tails(f, dfn, dfd, nc):
    # Poisson mixture of central beta tails, summed until the weights vanish.
    x = dfn * f / (dfn * f + dfd)
    lam = nc / 2
    lower = upper = F(0)
    j = 0
    while True:
        w = mp.exp(-lam + j * mp.log(lam) - mp.loggamma(j + 1)) if lam > 0 else F(j == 0)
        lower += w * mp.betainc(dfn / 2 + j, dfd / 2, 0, x, regularized=True)
        upper += w * mp.betainc(dfn / 2 + j, dfd / 2, x, 1, regularized=True)
        j += 1
        if j > lam and w < mp.mpf(10) ** -45:
            break
    return lower, upper


def normal_tails(x, mean, sd):
    z = (x - mean) / sd
    return mp.ncdf(z), mp.ncdf(-z)


def t_tails(t, df):
    half = mp.betainc(df / 2, F(1) / 2, 0, df / (df + t * t), regularized=True) / 2
    return (half, 1 - half) if t <= 0 else (1 - half, half)


cases = [
    ("cdfbet", beta_tails, [("0.3", "2", "3"), ("0.999", "0.5", "7"), ("1e-5", "0.8", "30"),
                            ("0.6", "50", "40"), ("0.05", "1.5", "1.5"), ("0.9", "3", "0.7")]),
    ("cdfbin", binomial_tails, [("3", "10", "0.5"), ("45", "100", "0.3"), ("0", "20", "0.05"),
                                ("7", "1000", "0.02"), ("1200", "2000", "0.6"), ("2", "3", "0.1")]),
    ("cdfchi", chi_tails, [("3.84", "1"), ("0.01", "5"), ("50", "10"), ("150", "100"),
                           ("1e-3", "0.5"), ("30", "3")]),
    ("cdff", f_tails, [("1", "1", "1"), ("3.5", "4", "20", ["24"]), ("0.2", "10", "10", ["23"]),
                       ("8", "2", "50", ["24"]), ("1.05", "200", "300", ["24"]), ("0.01", "3", "7", ["23"])]),
    ("cdffnc", noncentral_f_tails, [("2", "3", "20", "5"), ("1", "1", "10", "0.5"),
                                    ("4", "5", "40", "30", ["235"]), ("0.5", "10", "100", "2", ["235"]),
                                    ("10", "2", "15", "60", ["235"]), ("1.5", "4", "12", "1e-3", ["245"]),
                                    ("3", "8", "20", "4"), ("1.5", "8", "5", "0.5", ["245"]),
                                    ("0.7", "3", "5", "4", ["25"])]),
    ("cdfnor", normal_tails, [("1.96", "0", "1"), ("-3", "1", "2"), ("12", "10", "0.5"), ("0.1", "0", "1"),
                              ("-8", "0", "1"), ("25", "-3", "4")]),
    ("cdft", t_tails, [("2.228", "10"), ("-1", "3"), ("0.5", "1"), ("6", "4.5"), ("-12", "30"),
                       ("1.96", "1000")]),
]

ALL = {"cdfbet": "234", "cdfbin": "234", "cdfchi": "23", "cdff": "234", "cdffnc": "2345",
       "cdfnor": "234", "cdft": "23"}

for name, tails, rows in cases:
    for args in rows:
        modes = ALL[name]
        if isinstance(args[-1], list):
            modes = args[-1][0]
            args = args[:-1]
        # The test reads the arguments as doubles: use exactly those values.
        values = [F(float(a)) for a in args]
        p, q = tails(*values)
        columns = list(args) + ["NA"] * (4 - len(args))
        print("\t".join([name] + columns + [modes, mp.nstr(p, 20, min_fixed=1, max_fixed=0),
                                             mp.nstr(q, 20, min_fixed=1, max_fixed=0)]))
