#!/usr/bin/python3
# Reference values of the effect conversions behind the options of the
# logistic regression and of the unconditional tests of two proportions.
#
# odds_ratio_conversions.tsv: the logistic regression's odds ratio of
# Pr(Y=1|X=1) = p against p0 = Pr(Y=1|X=1) under H0, OR = odds(p)/odds(p0),
# and its inverse solved numerically (not the closed form), at 30 digits.
# measure_conversions.tsv: p1 (under H1 and under H0) with p2 given in the
# four effect measures 0 p1, 1 p1 - p2, 2 p1/p2, 3 odds ratio.
# Usage: /usr/bin/python3 odds_ratio_conversions.py
from mpmath import mp, mpf, findroot

mp.dps = 30


def odds(p):
    return p / (1 - p)


with open("odds_ratio_conversions.tsv", "w") as out:
    out.write("kind\tp0\tgiven\texpected\n")
    for p0, p in [("0.2", "0.3"), ("0.5", "0.75"), ("0.1", "0.05"), ("0.6", "0.9")]:
        ratio = odds(mpf(p)) / odds(mpf(p0))
        out.write(f"p2_to_or\t{p0}\t{p}\t{mp.nstr(ratio, 20)}\n")
    for p0, ratio in [("0.2", "2"), ("0.5", "1.5"), ("0.3", "0.4"), ("0.05", "7.25")]:
        p0m, rm = mpf(p0), mpf(ratio)
        p = findroot(lambda q: odds(q) / odds(p0m) - rm, (mpf("1e-12"), 1 - mpf("1e-12")),
                     solver="bisect", tol=mpf(10) ** -28)
        out.write(f"or_to_p2\t{p0}\t{ratio}\t{mp.nstr(p, 20)}\n")


def measure(index, p1, p2):
    return [p1, p1 - p2, p1 / p2, odds(p1) / odds(p2)][index]


with open("measure_conversions.tsv", "w") as out:
    out.write("p2\tp1H1\tp1H0\tindex\tmeasureH1\tmeasureH0\n")
    for p2, p1, p0, index in [("0.5", "0.7", "0.55", 1), ("0.4", "0.65", "0.45", 2),
                              ("0.3", "0.2", "0.35", 3), ("0.25", "0.6", "0.3", 3),
                              ("0.6", "0.45", "0.62", 2), ("0.35", "0.8", "0.4", 1)]:
        m1 = measure(index, mpf(p1), mpf(p2))
        m0 = measure(index, mpf(p0), mpf(p2))
        out.write(f"{p2}\t{p1}\t{p0}\t{index}\t{mp.nstr(m1, 20)}\t{mp.nstr(m0, 20)}\n")
