#!/usr/bin/python3
"""Reference value of the repeated-measures mean/covariance effect size.

Cell-means model of one observation: X = I (g cells), weights w summing to 1,
H = (C B A)' [C (X' W X)^-1 C']^-1 (C B A), SigmaStar = A' Sigma A, with C the
Helmert contrasts of the groups and A the transposed Helmert contrasts of the
measurements (the interaction). The eigenvalues l of SigmaStar^-1 H give
Pillai V = sum l/(1 + l), s = min(rank C, rank A), f = sqrt(V / (s - V)).
Printed with numpy (independent of the program's LAPACK calls).
"""
import numpy as np


def helmert(n):
    rows = []
    for k in range(n - 1):
        m = n - 1 - k
        d = np.sqrt(m * m + m)
        row = np.zeros(n)
        row[k] = -m / d
        row[k + 1:] = 1 / d
        rows.append(row)
    return np.array(rows)


B = np.array([[1.0, 2.0, 4.0], [0.5, 1.0, 1.5], [0.0, 0.5, 0.0]])
Sigma = np.array([[2.0, 0.6, 0.3], [0.6, 1.5, 0.4], [0.3, 0.4, 1.0]])
w = np.array([1.0, 2.0, 3.0])
w = w / w.sum()
C = helmert(3)
A = helmert(3).T
theta = C @ B @ A
M = C @ np.linalg.inv(np.diag(w)) @ C.T
H = theta.T @ np.linalg.inv(M) @ theta
E = A.T @ Sigma @ A
lam = np.linalg.eigvals(np.linalg.solve(E, H)).real
s = min(C.shape[0], A.shape[1])
V = np.sum(lam / (1 + lam))
print(repr(V), repr(np.sqrt(V / (s - V))))
