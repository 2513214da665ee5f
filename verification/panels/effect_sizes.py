#!/usr/bin/python3
# Reference values of the effect-size panels of one mean, matched pairs,
# correlations and logistic regression, at 40 digits with mpmath from the
# textbook formulas; writes effect_sizes.csv (kind, up to five inputs,
# expected value). effect_sizes.R recomputes the logistic and normal rows
# with R's plogis/qlogis and pnorm and checks them against this table.
from mpmath import mp, mpf, sqrt, atanh, tanh, log, exp, ncdf

mp.dps = 40

def logistic_cdf(x):
    return 1 / (1 + exp(-x))

rows = []

def add(kind, inputs, value):
    cells = [repr(float(x)) if not isinstance(x, str) else x for x in inputs]
    cells += [""] * (5 - len(cells))
    rows.append([kind] + cells + [mp.nstr(value, 17, min_fixed=-30, max_fixed=30)])

# d of one mean: |mean H0 - mean H1| / sd
for m0, m1, sd in [(0, 1, 2), (10, 7.5, 1.25), (-3, 4, 0.7), (1e6, 1e6 + 1, 1e-3)]:
    add("one_mean", [m0, m1, sd], abs(mpf(m0) - mpf(m1)) / mpf(sd))

# dz from differences, signed: mean / sd
for m, sd in [(0, 1), (-0.3, 0.6), (1.7, 0.4)]:
    add("paired_diff", [m, sd], mpf(m) / mpf(sd))

# dz from group parameters: |m1 - m2| / sqrt(sd1^2 + sd2^2 - 2 rho sd1 sd2)
for m1, m2, sd1, sd2, rho in [(0, 1, 1, 1, 0.5), (5, 3, 1, 2, 0.3), (2, 2.5, 1.5, 0.8, -0.6),
                              (0, 1, 1, 1, 0.99999999), (0, 1e-3, 1, 1.000001, 0.99999999),
                              (0, 1e150, 1e200, 2e200, 0.25)]:
    m1, m2, sd1, sd2, rho = map(mpf, (m1, m2, sd1, sd2, rho))
    add("paired_groups", [m1, m2, sd1, sd2, rho],
        abs(m1 - m2) / sqrt(sd1**2 + sd2**2 - 2 * rho * sd1 * sd2))

# correlation from the coefficient of determination
for r2 in [0.25, 0.5, 2e-12, 0.9999999999]:
    add("r_from_r2", [r2], sqrt(mpf(r2)))

# Cohen's q of two correlations: atanh r1 - atanh r2
for r1, r2 in [(0.3, 0.5), (0.5, 0.3), (-0.8, 0.1), (0.9999999998, -0.2)]:
    add("q", [r1, r2], atanh(mpf(r1)) - atanh(mpf(r2)))

# r_ac whose Fisher z is that of r_ab minus q
for rab, q in [(0.3, 1), (0.3, 0), (-0.5, -0.4), (0.7, 50), (0.2, 0.125)]:
    add("rac", [rab, q], tanh(atanh(mpf(rab)) - mpf(q)))

# odds ratio from p1 (H1) and p0 (H0), and p1 from the odds ratio and p0
for p1, p0 in [(0.5, 0.3), (0.3, 0.3), (0.9999999999, 1e-10), (0.05, 0.6)]:
    p1, p0 = mpf(p1), mpf(p0)
    add("odds_ratio", [p1, p0], (p1 / (1 - p1)) / (p0 / (1 - p0)))
for odds, p0 in [(4, 0.3), (1, 0.3), (1e-10, 0.5), (1e300, 0.2), (0.25, 0.9999999999)]:
    odds, p0 = mpf(odds), mpf(p0)
    add("p1_from_odds", [odds, p0], p0 * odds / ((odds - 1) * p0 + 1))

# p1 = P(X > 0) of a unit-variance parent shifted by |d| (signed-rank tests
# under the Lehmann method), by the index of "Parent distribution":
# 0 normal, 1 Laplace (scale 1/sqrt 2), 2 logistic (scale sqrt 3 / pi)
for d in [0.0, 0.5, -0.5, 1.0, 2.5]:
    x = abs(mpf(d))
    add("signed_rank_p1", [0, d], ncdf(x))
    add("signed_rank_p1", [1, d], 1 - exp(-sqrt(2) * x) / 2)
    add("signed_rank_p1", [2, d], logistic_cdf(x * mp.pi / sqrt(3)))

with open("effect_sizes.csv", "w") as out:
    out.write("kind,a,b,c,d,e,expected\n")
    for row in rows:
        out.write(",".join(row) + "\n")
