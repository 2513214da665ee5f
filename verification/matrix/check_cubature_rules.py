#!/usr/bin/env python3
"""Checks the rule tables of numerics/cubature.cpp in exact rational arithmetic
of the decimal constants (fractions), independent of the C++ code.

For every column of both tables it finds the highest degree d such that the
column integrates every monomial x^i y^j with i + j <= d correctly: the basic
rule (column 0) to the exact integral, each null rule to 0, all to within
1e-13. Expected: triangle 13 | 7 7 5 5 3 3 1 1; square 13 | 7 7 5 5 3 3 1.

Run from the repository root: python3 verification/matrix/check_cubature_rules.py
"""
import itertools
import math
import re
import sys
from fractions import Fraction

SOURCE = "numerics/cubature.cpp"
EXPECTED = {"triangle": [13, 7, 7, 5, 5, 3, 3, 1, 1], "square": [13, 7, 7, 5, 5, 3, 3, 1]}


def number(text):
    text = text.strip()
    if text == "1.0 / 3.0":
        return Fraction(1, 3)
    return Fraction(text)


def parse(block):
    rows = []
    for m in re.finditer(r"\{(\w+)::(\w+),\s*([^,]+),\s*([^,]+),\s*\{([^}]*)\}\}", block):
        weights = [number(x) for x in m.group(5).replace("\n", " ").split(",")]
        rows.append((m.group(2), number(m.group(3)), number(m.group(4)), weights))
    return rows


def triangle_points(kind, a, b):
    # Cartesian points on the triangle (0,0), (1,0), (0,1) from barycentric ones.
    if kind == "kCentroid":
        bary = [(a, a, a)]
    elif kind == "kThree":
        bary = [(a, b, b), (b, a, b), (b, b, a)]
    else:
        bary = set(itertools.permutations((a, b, 1 - a - b)))
    return [(z[1], z[2]) for z in bary]


def square_points(kind, a, b):
    if kind == "kCentre":
        return [(0, 0)]
    if kind == "kAxis":
        return [(a, 0), (-a, 0), (0, a), (0, -a)]
    if kind == "kDiagonal":
        return [(a, a), (-a, a), (a, -a), (-a, -a)]
    return [(a, b), (-a, b), (a, -b), (-a, -b), (b, a), (-b, a), (b, -a), (-b, -a)]


def triangle_exact(i, j):
    # weights sum to 1: the integral over the unit triangle divided by its area
    return Fraction(2 * math.factorial(i) * math.factorial(j), math.factorial(i + j + 2))


def square_exact(i, j):
    one = lambda k: Fraction(2, k + 1) if k % 2 == 0 else Fraction(0)
    return one(i) * one(j)


def degrees(rows, points, exact):
    columns = len(rows[0][3])
    result = []
    for k in range(columns):
        degree = -1
        for d in range(15):
            good = True
            for i in range(d + 1):
                j = d - i
                s = sum(w[k] * x**i * y**j for kind, a, b, w in rows for x, y in points(kind, a, b))
                target = exact(i, j) if k == 0 else 0
                good = good and abs(s - target) < Fraction(1, 10**13)
            if not good:
                break
            degree = d
        result.append(degree)
    return result


def main():
    text = open(SOURCE).read()
    tri = parse(text[text.index("kTriangleRule[]"):text.index("kSquareRule[]")])
    sq = parse(text[text.index("kSquareRule[]"):text.index("double Ratio")])
    found = {"triangle": degrees(tri, triangle_points, triangle_exact),
             "square": degrees(sq, square_points, square_exact)}
    for name, got in found.items():
        print(name, got, "ok" if got == EXPECTED[name] else "MISMATCH")
    return 0 if found == EXPECTED else 1


if __name__ == "__main__":
    sys.exit(main())
