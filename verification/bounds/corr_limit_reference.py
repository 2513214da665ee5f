#!/usr/bin/python3
"""Density of the sample correlation r at the largest accepted sample size,
n = 1e6, from Hotelling's form at 40 digits (the constant in
distributions/correlation_test.cpp):
  f(x) = (n - 2) Gamma(n - 1) / (sqrt(2 pi) Gamma(n - 1/2))
         (1 - x^2)^((n - 4)/2) (1 - rho^2)^((n - 1)/2) (1 - x rho)^(3/2 - n)
         2F1(1/2, 1/2; n - 1/2; (1 + x rho)/2)."""
from mpmath import mp, mpf, hyp2f1, sqrt, pi, exp, loggamma

mp.dps = 40


def pdf(x, rho, n):
    x, rho, n = mpf(x), mpf(rho), mpf(n)
    k = (n - 2) * exp(loggamma(n - 1) - loggamma(n - mpf(1) / 2)) / sqrt(2 * pi)
    k *= (1 - x * x) ** ((n - 4) / 2) * (1 - rho * rho) ** ((n - 1) / 2) * (1 - x * rho) ** (mpf(3) / 2 - n)
    return k * hyp2f1(mpf(1) / 2, mpf(1) / 2, n - mpf(1) / 2, (1 + x * rho) / 2)


print("x 0.0705, rho 0.07, n 1e6:", mp.nstr(pdf("0.0705", "0.07", 10 ** 6), 17))
