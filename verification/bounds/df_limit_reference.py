#!/usr/bin/python3
"""Generic F and t tests at the largest degrees of freedom they accept,
1e15, against the limits for infinite df at 40 digits (mpmath). At 1e15 the
F and t distributions differ from their limits by some 1e-15 relative, far
below the seven digits shown:
  F(df1, df2 -> inf, lambda) = chi2(df1, lambda) / df1,
  F(df1 -> inf, df2, lambda) = 1 / (chi2(df2) / df2)  (lambda / df1 -> 0),
  t(df -> inf, delta)        = N(delta, 1).
Writes df_limit_cases.tsv in the rows of the calculation reference tables:
test, type, status, inputs, outputs."""
import os
from mpmath import mp, mpf, gammainc, exp, log, loggamma, ncdf, findroot, sqrt, erfinv

mp.dps = 40
BIG = "1e15"


def chi2_cdf(x, k):
    return gammainc(mpf(k) / 2, 0, mpf(x) / 2, regularized=True)


def chi2_sf(x, k):
    return gammainc(mpf(k) / 2, mpf(x) / 2, mp.inf, regularized=True)


def chi2_isf(a, k):
    return findroot(lambda x: chi2_sf(x, k) - a, mpf(k) + 2 * sqrt(2 * mpf(k)))


def chi2_ppf(p, k):
    return findroot(lambda x: chi2_cdf(x, k) - p, mpf(k))


def ncx2_sf(x, k, lam):
    # Poisson mixture of central upper tails, summed until the weights vanish.
    h = mpf(lam) / 2
    total = mpf(0)
    j = 0
    while True:
        w = exp(-h + j * log(h) - loggamma(j + 1)) if h > 0 else (mpf(1) if j == 0 else mpf(0))
        total += w * chi2_sf(x, k + 2 * j)
        if j > h and w < mpf(10) ** -45:
            return total
        j += 1


def z(p):
    return sqrt(2) * erfinv(2 * mpf(p) - 1)


def fmt(v):
    return mp.nstr(v, 15)


rows = []
# Denominator df at the limit: the chi-square limit, df1 10, lambda 30.
df1 = 10
crit = chi2_isf(mpf("0.05"), df1)
power = ncx2_sf(crit, df1, 30)
rows.append(("100", "posthoc", "lambda=30 alpha=0.05 df1=10 df2=" + BIG,
             "crit=%s beta=%s power=%s" % (fmt(crit / df1), fmt(1 - power), fmt(power))))
lam = findroot(lambda l: ncx2_sf(crit, df1, l) - mpf("0.95"), mpf(24))
rows.append(("100", "sensitivity", "alpha=0.05 power=0.95 df1=10 df2=" + BIG,
             "crit=%s lambda=%s" % (fmt(crit / df1), fmt(lam))))
alpha = findroot(lambda a: ncx2_sf(chi2_isf(a, df1), df1, 30) - mpf("0.95"), mpf("0.0137"))
rows.append(("100", "criterion", "lambda=30 power=0.95 df1=10 df2=" + BIG,
             "crit=%s alpha=%s" % (fmt(chi2_isf(alpha, df1) / df1), fmt(alpha))))
# Compromise with q = 1: alpha = beta.
alpha = findroot(lambda a: (1 - ncx2_sf(chi2_isf(a, df1), df1, 30)) - a, mpf("0.028"))
rows.append(("100", "compromise", "lambda=30 q=1 df1=10 df2=" + BIG,
             "crit=%s alpha=%s beta=%s power=%s" % (fmt(chi2_isf(alpha, df1) / df1), fmt(alpha),
                                                    fmt(alpha), fmt(1 - alpha))))
# Numerator df at the limit: the noncentrality no longer counts.
df2 = 20
rows.append(("100", "posthoc", "lambda=30 alpha=0.05 df1=" + BIG + " df2=20",
             "crit=%s beta=0.95 power=0.05" % fmt(df2 / chi2_ppf(mpf("0.05"), df2))))
# t at the limit: the normal distribution.
c = z(mpf("0.95"))
rows.append(("200", "posthoc", "tails=One delta=3 alpha=0.05 df=" + BIG,
             "crit=%s beta=%s power=%s" % (fmt(c), fmt(ncdf(c - 3)), fmt(1 - ncdf(c - 3)))))
rows.append(("200", "sensitivity", "tails=One alpha=0.05 power=0.95 df=" + BIG,
             "crit=%s delta=%s" % (fmt(c), fmt(2 * c))))

out = os.path.join(os.path.dirname(os.path.abspath(__file__)), "df_limit_cases.tsv")
with open(out, "w") as f:
    f.write("# test\ttype\tstatus\tinputs\toutputs\n")
    for test, kind, inputs, outputs in rows:
        f.write("%s\t%s\t-1\t%s\t%s\n" % (test, kind, inputs, outputs))
print(open(out).read())
