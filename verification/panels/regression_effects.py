#!/usr/bin/python3
# Reference values of the regression effect-size panels (one slope, two
# slopes, two intercepts, f squared of a set of predictors), at 40 digits
# with mpmath; writes regression_effects.csv.
#
# The script does not follow the panels' input modes. A bivariate regression
# is generated from its population moments (sd x, sd y, rho) and every
# member is derived from the covariance: cov = rho sd x sd y, slope =
# cov / var x, residual variance = var y - cov^2 / var x. A test then gives
# a panel any three members its mode takes and expects the other two back.
# Two groups pool their residual variances weighted by group sizes n1 = 10
# and n2 = 10 ratio. f squared is Cohen's (explained / unexplained variance),
# and partial R squared the explained share of the two variances.
#
# Rows (kind, numbers):
#   slope:      sx, sy, rho, slope, residual sd
#   two_slopes: sx1, sy1, rho1, sx2, sy2, rho2, ratio,
#               slope1, slope2, residual sd 1, residual sd 2, pooled residual sd, |slope1 - slope2|
#   variances:  effect variance, residual variance, partial R2, f2
#   partial_r2: partial R2, f2
from mpmath import mp, mpf, sqrt, fabs
import csv
import os

mp.dps = 40


def num(x):
    return mp.nstr(mpf(x), 20, min_fixed=-30, max_fixed=30)


def regression(sx, sy, rho):
    sx, sy, rho = mpf(sx), mpf(sy), mpf(rho)
    cov = rho * sx * sy
    slope = cov / sx**2
    residual = sqrt(sy**2 - cov**2 / sx**2)
    return slope, residual


rows = []
# The worked values of the panels (sd x 1, sd y 1, rho 0.5; mode 0 of the one
# slope panel at rho 0.5, residual sd 0.3, sd x 1 is sd y = 0.3 / sqrt(0.75))
# and a spread of scales and signs.
slope_cases = [
    (1, 1, 0.5),
    (1, mpf("0.3") / sqrt(mpf("0.75")), 0.5),
    (1, sqrt(mpf("1.09")), 1 / sqrt(mpf("1.09"))),      # residual 0.3, slope 1
    (1, 1, sqrt(1 - mpf("0.09"))),                       # residual 0.3, sd y 1
    (2.5, 0.4, 0.123),
    (0.02, 350, 0.87),
    (7, 3, -0.45),
    (1e-3, 1e3, -0.999),
    (4, 4, 0.999999),
]
for sx, sy, rho in slope_cases:
    slope, residual = regression(sx, sy, rho)
    rows.append(["slope", num(sx), num(sy), num(rho), num(slope), num(residual)])

two_cases = [
    # the worked cases: defaults; mode 2 with slopes 1 and 0.5 (sd y 2 and 1)
    ((1, 1, 0.5), (1, 1, 0.5), 1),
    ((1, 2, 0.5), (1, 1, 0.5), 1),
    ((1, 2, 0.5), (1, 1, 0.5), 3),
    ((2, 3, 0.3), (1.5, 0.5, -0.6), 0.4),
    ((0.5, 10, 0.9), (0.7, 12, 0.2), 2.5),
]
for g1, g2, ratio in two_cases:
    s1, r1 = regression(*g1)
    s2, r2 = regression(*g2)
    n1 = mpf(10)
    n2 = n1 * mpf(ratio)
    pooled = sqrt((n1 * r1**2 + n2 * r2**2) / (n1 + n2))
    rows.append(["two_slopes"] + [num(v) for v in (*g1, *g2, ratio)] +
                [num(v) for v in (s1, s2, r1, r2, pooled, fabs(s1 - s2))])

# The worked rows (1, 1), (1, 4), then scales far apart.
for ve, vr in [(1, 1), (1, 4), (0.3, 2.7), (1e-16, 1), (5e3, 1e-3), (2, 1e-12)]:
    ve, vr = mpf(ve), mpf(vr)
    rows.append(["variances", num(ve), num(vr), num(ve / (ve + vr)), num(ve / vr)])
for r2 in ["1e-16", "0.02", "0.13", "0.5", "0.35", "0.999", "0.9999999999999999"]:
    r2 = mpf(float(r2))  # the double a panel reads from the text
    rows.append(["partial_r2", num(r2), num(r2 / (1 - r2))])

out = os.path.join(os.path.dirname(os.path.abspath(__file__)), "regression_effects.csv")
with open(out, "w", newline="") as f:
    writer = csv.writer(f, lineterminator="\n")
    writer.writerow(["kind", "numbers..."])
    writer.writerows(rows)
print(out, len(rows), "rows")
