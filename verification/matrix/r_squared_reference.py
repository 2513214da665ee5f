#!/usr/bin/env python3
"""Reference values of the squared multiple correlation rho_y' R^-1 rho_y.

Each line: p, the p outcome correlations, the p x p predictor correlations
row by row, then R^2 solved with numpy (no explicit inverse). The first two
cases are the dialog's examples (R^2 = 0.25 and 16.2); the rest are
correlation matrices of random data, so that every case is admissible.
Writes r_squared_reference.txt beside this script.
"""
import os
import numpy as np

cases = [
    (np.array([0.3, 0.4]), np.eye(2)),
    (np.array([0.9, -0.9]), np.array([[1.0, 0.9], [0.9, 1.0]])),
]
rng = np.random.default_rng(20261210)
for p in (1, 2, 3, 4, 6):
    data = rng.standard_normal((40, p + 1)) @ rng.standard_normal((p + 1, p + 1))
    c = np.corrcoef(data, rowvar=False)
    cases.append((np.round(c[0, 1:], 6), np.round(c[1:, 1:], 6)))

out = os.path.join(os.path.dirname(os.path.abspath(__file__)), "r_squared_reference.txt")
with open(out, "w") as f:
    f.write("# p, rho_y (p), R (p*p, row by row), R^2 = rho_y' R^-1 rho_y (numpy.linalg.solve)\n")
    for rho, R in cases:
        r2 = float(rho @ np.linalg.solve(R, rho))
        numbers = [len(rho)] + list(rho) + list(R.ravel()) + [r2]
        f.write(" ".join(repr(float(x)) if i else str(x) for i, x in enumerate(numbers)) + "\n")
print(open(out).read())
