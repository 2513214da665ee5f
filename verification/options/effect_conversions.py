#!/usr/bin/python3
# Reference values of the effect conversions of the two-proportion z test's
# options: Cohen's h to p2 given p1, and p1, p2 to h, from their definitions
# h = 2 asin(sqrt(p2)) - 2 asin(sqrt(p1)) at 30 digits.
# Usage: /usr/bin/python3 effect_conversions.py > effect_conversions.tsv
from mpmath import mp, asin, sin, sqrt, mpf, findroot

mp.dps = 30
print("kind\tp1\tgiven\texpected")
# h -> p2: the p2 whose h from p1 is the given h (solved, not the closed form).
for p1, h in [("0.5", "0"), ("0.5", "0.2"), ("0.3", "0.5"), ("0.65", "-0.4"), ("0.1", "1.2")]:
    p1m, hm = mpf(p1), mpf(h)
    p2 = findroot(lambda q: 2 * asin(sqrt(q)) - 2 * asin(sqrt(p1m)) - hm, (mpf("1e-9"), 1 - mpf("1e-9")),
                  solver="bisect", tol=mpf(10) ** -28)
    print(f"h_to_p2\t{p1}\t{h}\t{mp.nstr(p2, 20)}")
for p1, p2 in [("0.5", "0.5"), ("0.5", "0.6"), ("0.3", "0.45"), ("0.65", "0.2"), ("0.1", "0.9")]:
    h = 2 * asin(sqrt(mpf(p2))) - 2 * asin(sqrt(mpf(p1)))
    print(f"p2_to_h\t{p1}\t{p2}\t{mp.nstr(h, 20)}")
