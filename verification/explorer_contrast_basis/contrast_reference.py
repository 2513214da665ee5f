#!/usr/bin/python3
"""Reference powers of the explorer's single-contrast t and F tests, by
numpy and scipy alone, for a response contrast of rank 1. Whatever rows
write it, such a contrast tests one combination u of the responses (the
unit vector its rows span); the noncentrality of the test of C B u = 0 at
total size N is

    lambda = N (C B u)' (C G C')^-1 (C B u) / (u' Sigma u),

G the inverse of X'WX for relative cell frequencies W, with df1 = rank C
and df2 = N - rank X. It does not change with the length or sign of u.

t case: two equal cells (X = I), means (0, 0) and (0.5, 0) on two
responses, Sigma = I, C = [1 -1], u = (1, 0), N 40: the two-sample t test
of d = 0.5 with 20 a group.
F case: three equal cells, means 0, 0.5, 1 on the first response and 0 on
the second, Sigma = I, C = [1 -1 0; 1 0 -1], u = (1, 0), N 30: the one-way
ANOVA of three groups of 10.

    cd verification/explorer_contrast_basis && /usr/bin/python3 contrast_reference.py
"""
import numpy as np
from scipy import stats

ALPHA = 0.05


def noncentrality(B, C, sigma, u, N):
    g = B.shape[0]
    XWX = np.eye(g) / g  # X = I, equal relative frequencies
    theta = C @ B @ u
    M = C @ np.linalg.inv(XWX) @ C.T
    return N * theta @ np.linalg.solve(M, theta) / (u @ sigma @ u)


def main():
    rows = []
    u = np.array([1.0, 0.0])
    # t case.
    B = np.array([[0.0, 0.0], [0.5, 0.0]])
    C = np.array([[1.0, -1.0]])
    N, r = 40, 2
    lam = noncentrality(B, C, np.eye(2), u, N)
    nu = N - r
    delta = np.sqrt(lam)
    one = stats.nct.sf(stats.t.ppf(1 - ALPHA, nu), nu, delta)
    crit = stats.t.ppf(1 - ALPHA / 2, nu)
    two = stats.nct.sf(crit, nu, delta) + stats.nct.cdf(-crit, nu, delta)
    rows.append(("t", "one", lam, 1, nu, one))
    rows.append(("t", "two", lam, 1, nu, two))
    # F case.
    B = np.array([[0.0, 0.0], [0.5, 0.0], [1.0, 0.0]])
    C = np.array([[1.0, -1.0, 0.0], [1.0, 0.0, -1.0]])
    N, r = 30, 3
    lam = noncentrality(B, C, np.eye(2), u, N)
    nu = N - r
    a = np.linalg.matrix_rank(C)
    power = stats.ncf.sf(stats.f.ppf(1 - ALPHA, a, nu), a, nu, lam)
    rows.append(("F", "-", lam, a, nu, power))
    with open("contrast_reference.tsv", "w") as out:
        out.write("# Written by contrast_reference.py (numpy, scipy); alpha 0.05.\n")
        out.write("test\ttails\tlambda\tdf1\tdf2\tpower\n")
        for row in rows:
            out.write("%s\t%s\t%.15g\t%d\t%d\t%.15g\n" % row)


if __name__ == "__main__":
    main()
