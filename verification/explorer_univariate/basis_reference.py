#!/usr/bin/python3
"""Reference powers of the univariate rows for a spherical example, by
scipy alone: two cells (X = I, equal weights), means (10, 12, 14) and
(10, 13, 17), Sigma compound symmetric (4 on the diagonal, 2 off it), the
cell difference C = [1 -1] against the two contrasts of three responses,
N = 30, alpha 0.05. On orthonormal contrasts Sigma* = 2 I (epsilon 1) and
tr H = 7/6 per observation, so the statistic is F(2, 56) with
noncentrality N b tr H / tr Sigma* = 17.5. "Unc" rejects above the F(2, 56)
quantile, "Box" above the F(1, 28) one.

    cd verification/explorer_univariate && /usr/bin/python3 basis_reference.py
"""
import numpy as np
from scipy import stats

ALPHA = 0.05


def main():
    B = np.array([[10.0, 12, 14], [10, 13, 17]])
    sigma = 2 * np.eye(3) + 2 * np.ones((3, 3))
    C = np.array([[1.0, -1]])
    N, r = 30, 2
    # Orthonormal contrasts of three responses.
    A, _ = np.linalg.qr(np.array([[1.0, 1], [-1, 0], [0, -1]]))
    theta = C @ B @ A
    M = C @ np.linalg.inv(0.5 * np.eye(2)) @ C.T
    H = theta.T @ np.linalg.solve(M, theta)
    sstar = A.T @ sigma @ A
    b, a, nu = 2, 1, N - r
    psi = np.linalg.eigvalsh(sstar)
    eps = psi.sum() ** 2 / (b * (psi ** 2).sum())
    lam = N * b * np.trace(H) / np.trace(sstar)
    unc = stats.ncf.sf(stats.f.ppf(1 - ALPHA, a * b, nu * b), a * b, nu * b, lam)
    box = stats.ncf.sf(stats.f.ppf(1 - ALPHA, a, nu), a * b, nu * b, lam)
    with open("basis_reference.tsv", "w") as out:
        out.write("# Written by basis_reference.py (scipy).\n")
        out.write("eps\tlambda\tUnc\tBox\n")
        out.write("%.15g\t%.15g\t%.15g\t%.15g\n" % (eps, lam, unc, box))


if __name__ == "__main__":
    main()
