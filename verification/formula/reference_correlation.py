#!/usr/bin/python3
# Reference values of the formula functions of the sample correlation r and
# the squared multiple correlation R^2, from their textbook definitions in
# 40-digit arithmetic.
# Run: /usr/bin/python3 reference_correlation.py > correlation_functions.tsv
# Columns: formula text, expected value, relative tolerance.
import mpmath as mp

mp.mp.dps = 40


def corr_pdf(r, rho, n):
    """Density of the sample correlation of n bivariate normal pairs."""
    r, rho, n = mp.mpf(r), mp.mpf(rho), mp.mpf(n)
    k = (n - 2) * mp.gamma(n - 1) * (1 - rho**2) ** ((n - 1) / 2) * (1 - r**2) ** ((n - 4) / 2)
    k /= mp.sqrt(2 * mp.pi) * mp.gamma(n - mp.mpf(1) / 2) * (1 - rho * r) ** (n - mp.mpf(3) / 2)
    return k * mp.hyp2f1(mp.mpf(1) / 2, mp.mpf(1) / 2, n - mp.mpf(1) / 2, (1 + rho * r) / 2)


def corr_cdf(x, rho, n):
    return mp.quad(lambda r: corr_pdf(r, rho, n), [-1, min(mp.mpf(x), rho), x] if x > rho else [-1, x])


def corr_inv(p, rho, n):
    return mp.findroot(lambda x: corr_cdf(x, rho, n) - p, (mp.mpf(-0.99), mp.mpf(0.99)), solver='anderson')


def mr2_terms(rho2, k, n):
    """Negative-binomial weights and beta shapes of R^2 with k variates
    (k - 1 predictors) and n cases."""
    a = mp.mpf(k - 1) / 2
    b = mp.mpf(n - k) / 2
    b1 = mp.mpf(n - 1) / 2
    rho2 = mp.mpf(rho2)
    i = 0
    while True:
        w = mp.gamma(b1 + i) / (mp.gamma(b1) * mp.factorial(i)) * rho2**i * (1 - rho2) ** b1
        yield i, a, b, w
        i += 1


def mr2_cdf(x, rho2, k, n):
    total = mp.mpf(0)
    weight = mp.mpf(0)
    for i, a, b, w in mr2_terms(rho2, k, n):
        total += w * mp.betainc(a + i, b, 0, x, regularized=True)
        weight += w
        if 1 - weight < mp.mpf(10) ** -30:
            return total


def mr2_pdf(x, rho2, k, n):
    total = mp.mpf(0)
    weight = mp.mpf(0)
    x = mp.mpf(x)
    for i, a, b, w in mr2_terms(rho2, k, n):
        total += w * x ** (a + i - 1) * (1 - x) ** (b - 1) / mp.beta(a + i, b)
        weight += w
        if 1 - weight < mp.mpf(10) ** -30:
            return total


def mr2_inv(p, rho2, k, n):
    return mp.findroot(lambda x: mr2_cdf(x, rho2, k, n) - p, (mp.mpf(0.001), mp.mpf(0.999)), solver='anderson')


rows = []


def add(text, value, tol):
    rows.append("%s\t%s\t%g" % (text, mp.nstr(value, 17, min_fixed=-5, max_fixed=5), tol))


add("corrcdf(0.3,0.5,20)", corr_cdf(0.3, 0.5, 20), 1e-9)
add("corrcdf(-0.2,0,9)", corr_cdf(-0.2, 0, 9), 1e-9)
add("corrcdf(0.6,0.4,30.4)", corr_cdf(0.6, 0.4, 30), 1e-9)
add("corrinv(0.95,0.3,50)", corr_inv(0.95, 0.3, 50), 1e-8)
add("corrpdf(0.4,0.3,25)", corr_pdf(0.4, 0.3, 25), 1e-9)
add("mr2cdf(0.2,0.1,4,50)", mr2_cdf(0.2, 0.1, 4, 50), 1e-9)
add("mr2cdf(0.3,0,3,20)", mr2_cdf(0.3, 0, 3, 20), 1e-9)
add("mr2cdf(0.5,0.3,5.6,40.4)", mr2_cdf(0.5, 0.3, 6, 40), 1e-9)
add("mr2inv(0.9,0.2,3,60)", mr2_inv(0.9, 0.2, 3, 60), 1e-7)
add("mr2pdf(0.25,0.15,4,30)", mr2_pdf(0.25, 0.15, 4, 30), 1e-9)
print("\n".join(rows))
