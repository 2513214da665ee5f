#!/usr/bin/python3
"""Slope variances per subject of both regression tests with a log-normal
covariate, by mpmath at 30 digits over z = (ln x - mu) / sigma, for
lognormal_variances.tsv. Poisson (test 0, beta0 = 0): the six moments over
the range between the covariate's 1e-10 and 1 - 1e-12 quantiles, var0 with
the log of the mean rate as H0 predictor. Logistic (test 1): the moments
over the whole support, var0 = 1 / (w(eta0) Var X) with eta0 the logit of
the marginal Pr(Y=1) over the support up to the 1 - 1e-10 quantile.

    /usr/bin/python3 verification/regression_speed/lognormal_variances.py
"""
from mpmath import mp, mpf, quad, exp, log, sqrt, pi, erfinv, linspace

mp.dps = 30


def ndtri(p):
    return sqrt(2) * erfinv(2 * mpf(p) - 1)


def moments(weight, mu, sigma, za, zb):
    pts = linspace(za, zb, 60)
    dens = lambda z: exp(-z * z / 2) / sqrt(2 * pi)
    i0 = quad(lambda z: dens(z) * weight(exp(mu + sigma * z)), pts)
    o = quad(lambda z: dens(z) * weight(exp(mu + sigma * z)) * exp(mu + sigma * z), pts) / i0
    i1 = quad(lambda z: dens(z) * weight(exp(mu + sigma * z)) * (exp(mu + sigma * z) - o), pts)
    i2 = quad(lambda z: dens(z) * weight(exp(mu + sigma * z)) * (exp(mu + sigma * z) - o) ** 2, pts)
    return i0, i1, i2


def poisson(b1, mu, sigma):
    za, zb = ndtri(mpf(1e-10)), ndtri(mpf(0.999999999999))
    i = moments(lambda x: exp(b1 * x), mu, sigma, za, zb)
    j = moments(lambda x: 1, mu, sigma, za, zb)
    w0 = i[0]
    return w0 * j[0] / ((w0 * j[0]) * (w0 * j[2]) - (w0 * j[1]) ** 2), i[0] / (i[0] * i[2] - i[1] ** 2)


def logistic(b0, b1, mu, sigma):
    w = lambda e: exp(e) / (1 + exp(e)) ** 2
    i = moments(lambda x: w(b0 + b1 * x), mu, sigma, mpf(-40), mpf(40))
    pts = linspace(-40, ndtri(mpf(0.9999999999)), 60)
    p = quad(lambda z: exp(-z * z / 2) / sqrt(2 * pi) / (1 + exp(-(b0 + b1 * exp(mu + sigma * z)))), pts)
    varx = (exp(sigma ** 2) - 1) * exp(2 * mu + sigma ** 2)
    return 1 / (w(log(p / (1 - p))) * varx), i[0] / (i[0] * i[2] - i[1] ** 2)


print('# test\tb0\tb1\tmu\tsigma\tvar0\tvar1')
for b1, mu, sigma in [(log(0.9), 0, 1), (log(1.3), 0, 1), (log(0.5), 1, 0.5), (log(2), -1, 0.3),
                      (log(0.9), 5.2, 3.7), (log(0.6), -0.9, 0.001)]:
    b1 = float(b1)
    v0, v1 = poisson(mpf(b1), mpf(mu), mpf(sigma))
    print('0\t0\t%r\t%r\t%r\t%s\t%s' % (b1, float(mu), float(sigma), mp.nstr(v0, 17), mp.nstr(v1, 17)))
for b0, b1, mu, sigma in [(-1.3862943611198906, 0.26236426446749106, 0, 1), (0.5, -1.2, 0.3, 0.6),
                          (-2, 0.8, -1, 1.5), (-1.6, 0.5, 3, 0.01)]:
    v0, v1 = logistic(mpf(b0), mpf(b1), mpf(mu), mpf(sigma))
    print('1\t%r\t%r\t%r\t%r\t%s\t%s' % (b0, b1, float(mu), float(sigma), mp.nstr(v0, 17), mp.nstr(v1, 17)))
