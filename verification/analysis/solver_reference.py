#!/usr/bin/python3
"""Reference values of the analysis solvers for a one-sample z statistic
(noncentrality d * sqrt(N), one-tailed), from SciPy's normal distribution.
analysis/power_analysis_test.cpp holds the printed numbers."""
import math
from scipy.optimize import brentq
from scipy.stats import norm

z95 = norm.ppf(0.95)
print("a priori d=0.5 exact N", (2 * z95 / 0.5) ** 2)
print("a priori d=0.1 exact N", (2 * z95 / 0.1) ** 2)
print("actual power d=0.1 N=1083", repr(norm.sf(z95 - 0.1 * math.sqrt(1083))))
print("actual power d=0.5 N=44", repr(norm.sf(z95 - 0.5 * math.sqrt(44))))
print("actual power d=5 N=1", repr(norm.sf(z95 - 5)))
print("sensitivity alpha=.05 power=.95 N=44", repr(2 * z95 / math.sqrt(44)))
delta = 0.5 * math.sqrt(44)
print("post hoc d=0.5 alpha=.05 N=44", repr(norm.sf(z95 - delta)))
print("criterion d=0.5 power=.95 N=44", repr(norm.sf(delta - z95)))
print("compromise q=1", repr(norm.sf(delta / 2)))
q2 = brentq(lambda a: norm.cdf(norm.isf(a) - delta) - 2 * a, 1e-12, 0.5, xtol=1e-16)
print("compromise q=2", repr(q2))
