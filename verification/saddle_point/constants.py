#!/usr/bin/python3
"""Constant tables of numerics/saddle_point.cpp.

Stirling errors: ln Gamma(n + 1) - (n + 1/2) ln n + n - ln sqrt(2 pi) at
n = 0, 1/2, 1, ..., 15 (0 at n = 0).

Chebyshev coefficients of the two series:

lgammacor: x * (ln Gamma(x) - ((x - 1/2) ln x - x + ln sqrt(2 pi))) as a
series in t = 2 (10/x)^2 - 1, x >= 10.
Log1pChebyshev: (1 - ln(1 + x)/x)/x as a series in t = x/0.375.

The coefficients are those of sum' c_k T_k(t) (first term halved), computed
from the discrete cosine transform at N Chebyshev nodes in 60-digit
arithmetic; N is far above the number of coefficients kept, so aliasing is
below double precision.
"""
import mpmath as mp

mp.mp.dps = 60
N = 160


def coefficients(f, count):
    nodes = [mp.pi * (j + mp.mpf(1) / 2) / N for j in range(N)]
    values = [f(mp.cos(th)) for th in nodes]
    return [2 * mp.fsum(v * mp.cos(k * th) for v, th in zip(values, nodes)) / N
            for k in range(count)]


def gamma_correction(t):
    x = 10 / mp.sqrt((t + 1) / 2)
    return x * (mp.loggamma(x) - ((x - mp.mpf(1) / 2) * mp.log(x) - x + mp.log(mp.sqrt(2 * mp.pi))))


def log1p_series(t):
    x = mp.mpf(3) / 8 * t
    return (1 - mp.log1p(x) / x) / x


for name, f, count in (("kGammaCorrection", gamma_correction, 15),
                       ("kLog1p", log1p_series, 43)):
    print(f"{name}[{count}] = {{")
    for c in coefficients(f, count):
        print(f"    {mp.nstr(c, 20, min_fixed=1, max_fixed=0)},")
    print("};")


def stirling_error(n):
    if n == 0:
        return mp.mpf(0)
    return mp.loggamma(n + 1) - (n + mp.mpf(1) / 2) * mp.log(n) + n - mp.log(mp.sqrt(2 * mp.pi))


print("kStirlingErrorHalves[31] = {")
for i in range(31):
    print(f"    {mp.nstr(stirling_error(mp.mpf(i) / 2), 20, min_fixed=1, max_fixed=0)},")
print("};")
