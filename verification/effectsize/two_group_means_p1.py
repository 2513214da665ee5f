#!/usr/bin/python3
# p1 = P(X < Y) of two groups whose parent (unit variance) is shifted by d,
# by numerical integration of the densities; writes two_group_means_p1.csv.
# The normal rows are checked against R as well: two_group_means_p1.R.
import math
from scipy import integrate, stats

parents = {
    # option index of "Parent distribution": (name, distribution of unit variance)
    0: ("normal", stats.norm()),
    1: ("laplace", stats.laplace(scale=1 / math.sqrt(2))),
    2: ("logistic", stats.logistic(scale=math.sqrt(3) / math.pi)),
}

def p1(dist, d):
    # P(Y > X) with Y = X' + d: the density of X times the upper tail of Y at x.
    f = lambda x: dist.pdf(x) * dist.sf(x - d)
    value, _ = integrate.quad(f, -math.inf, math.inf, epsabs=1e-15, epsrel=1e-13, limit=500)
    return value

with open("two_group_means_p1.csv", "w") as out:
    out.write("parent_index,d,p1\n")
    for index, (name, dist) in parents.items():
        for d in (0.0, 0.2, 0.5, 1.0, 1.264911064067352, 2.0, 3.5):
            out.write(f"{index},{d!r},{p1(dist, d):.15g}\n")
