#!/usr/bin/python3
"""Tails of the distributions of r and of R^2 far below 1e-16, in mpmath at
30 digits, with the functions of corr_tails_reference.py (the integral of
Hotelling's density of r on Fisher's scale; the beta mixture of R^2, an
upper tail from its own side).

    /usr/bin/python3 distribution_tails_reference.py > distribution_tails.csv

Rows: family,function,p0,p1,p2,arg,expected with family r (p0 rho, p1 n)
or r2 (p0 rho^2, p1 variates k, p2 N), function cdf (P(X <= arg)) or sf
(P(X > arg)).
"""
import mpmath as mp

import corr_tails_reference as ref

mp.mp.dps = 30


def num(x):
    return mp.nstr(x, 17, strip_zeros=False).replace(" ", "")


print("family,function,p0,p1,p2,arg,expected")
for rho, n, x in [("0.7327", 487, "0.4355566"), ("0.3691", 1449, "0.1924"),
                  ("0.5", 100, "-0.3"), ("-0.999019", 2818, "-0.99975"),
                  ("0.99999999999999988897769753748434595763683319091796875", 6,
                   "0.999999996597848")]:
    p = ref.lower_int(mp.atanh(mp.mpf(x)), mp.mpf(rho), n)
    print(f"r,cdf,{rho},{n},0,{x},{num(p)}")
for rho2, k, N, x in [("0.4958", 31, 934, "0.2215763425"), ("0.1227", 5, 92, "0.00009")]:
    print(f"r2,cdf,{rho2},{k},{N},{x},{num(ref.r2_cdf(mp.mpf(x), rho2, k, N))}")
for rho2, k, N, x in [("0.1227", 5, 92, "0.5825420369"), ("0.3", 4, 100, "0.75")]:
    print(f"r2,sf,{rho2},{k},{N},{x},{num(ref.r2_sf(mp.mpf(x), rho2, k, N))}")
