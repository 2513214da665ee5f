#!/usr/bin/python3
"""Reference values for glm/helmert.cpp and the contrast normalization of
glm/contrast_list.cpp, written to contrast_reference.txt.

Helmert rows come from scipy.linalg.helmert (rows i = 1..n-1: i ones, then -i,
over sqrt(i(i+1))), turned into the layout the program uses (the level
compared first, the levels after it averaged) by reversing the order of the
rows and of the columns; numpy checks that they are orthonormal and
orthogonal to the unit vector. The normalized lines are computed with numpy
from the rule's statement: signs replaced by the opposite side's count (or
weight sum), times the own weight, over the Euclidean length.

Run from this folder: /usr/bin/python3 contrast_reference.py
"""
import numpy as np
from scipy.linalg import helmert

out = open("contrast_reference.txt", "w")
fmt = lambda v: " ".join("%.17g" % x for x in v)

for n in range(2, 8):
    H = helmert(n)[::-1, ::-1]
    assert np.allclose(H @ H.T, np.eye(n - 1), atol=1e-15)
    assert np.allclose(H @ np.ones(n), 0.0, atol=1e-15)
    for k in range(n - 1):
        out.write("helmert %d %d %s\n" % (n, k, fmt(H[k])))


def normalize(x, mode, w):
    x = np.asarray(x, float)
    w = np.asarray(w if mode == 2 else np.ones_like(x), float)
    pos, neg = x > 0, x < 0
    sp, sn = w[pos].sum(), w[neg].sum()
    y = np.zeros_like(x)
    y[pos] = (sn if sn != 0 else 1.0) * w[pos]
    y[neg] = -(sp if sp != 0 else 1.0) * w[neg]
    length = np.linalg.norm(y)
    return y / length if length > 0 else y


cases = [
    (1, [1, -1, -1], [1, 1, 1]),
    (1, [1, 0, 0], [1, 1, 1]),
    (1, [3, 5, -2, 0], [1, 1, 1, 1]),
    (1, [-1, -4, -2], [1, 1, 1]),
    (2, [1, -1, -1], [2, 1, 3]),
    (2, [1, 1, -1, 0], [0.5, 0.25, 0.25, 4]),
    (2, [0.3, -7, 2], [1, 1, 1]),
]
for mode, x, w in cases:
    out.write("normalize %d %d %s | %s | %s\n" % (mode, len(x), fmt(x), fmt(w), fmt(normalize(x, mode, w))))
out.close()
