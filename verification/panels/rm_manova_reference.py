#!/usr/bin/env python3
"""Reference values of the MANOVA and repeated-measures effect-size panels.

Each value comes from the textbook definition of the quantity, evaluated
with mpmath at 30 digits, not from the program:
  * Wilks U: f^2 = U^(-1/g) - 1, Rao's g = sqrt((a^2 b^2 - 4)/(a^2 + b^2 - 5))
    for a b >= 4, else 1 (a hypothesis df, b responses);
  * Hotelling-Lawley T (T1): f^2 = T / s; Pillai V: f^2 = V / (s - V),
    s = min(a, b); one dimension (s = 1) gives the plain conversions;
  * between-groups f0 = SD of the means weighted by size (divisor N) / sigma,
    in specification 1 or 3 times sqrt(m / (1 + (m - 1) rho)), in 2 times
    sqrt(N m / ((N - k)(1 + (m - 1) rho)));
  * special effect: f = sqrt(effect / error) times sqrt(a) or sqrt(b) as the
    specification asks, eta^2 = f^2 / (1 + f^2).
Writes rm_manova_reference.csv beside this script.
"""
import csv
import os

from mpmath import mp, mpf, sqrt

mp.dps = 30


def rao(a, b):
    if a * b < 4:
        return mpf(1)
    return sqrt(mpf(a * a * b * b - 4) / (a * a + b * b - 5))


def criterion_f2(cid, value, a, b):
    v = mpf(str(value))
    s = min(a, b)
    if cid in (100, 101):
        return v ** (-1 / rao(a, b)) - 1
    if cid in (102, 103, 104, 105):
        return v / s
    return v / (s - v)


rows = []
# MANOVA: criterion id, value, N, k, predictors, p -> f^2 (hypothesis df is predictors - 1).
for cid, value, n, k, pred, p in [
    (107, 0.4, 100, 5, 5, 2), (106, 0.4, 100, 5, 5, 2), (101, 0.6, 100, 4, 4, 3),
    (100, 0.85, 60, 3, 3, 1), (103, 0.7, 100, 5, 5, 2), (102, 0.3, 100, 2, 4, 5),
    (107, 0.15, 50, 3, 2, 4),
]:
    rows.append(["manova", cid, value, n, k, pred, p, 0, criterion_f2(cid, value, pred - 1, p)])
# Plain repeated-measures conversion: one dimension.
for cid, value in [(107, 0.2), (106, 0.5), (101, 0.8), (100, 0.3), (103, 0.25), (105, 1.44)]:
    rows.append(["rmplain", cid, value, 0, 0, 0, 0, 0, sqrt(criterion_f2(cid, value, 1, 1))])
# Repeated measures with the design: type 0 (k - 1, 1), 1 (1, m - 1), 2 (k - 1, m - 1).
for cid, value, n, k, m, t in [
    (107, 0.3, 100, 3, 4, 2), (101, 0.7, 100, 4, 3, 2), (103, 0.5, 80, 2, 5, 1),
    (107, 0.2, 100, 3, 4, 0), (100, 0.9, 100, 5, 4, 2),
]:
    a = 1 if t == 1 else k - 1
    b = 1 if t == 0 else m - 1
    rows.append(["rmdesign", cid, value, n, k, m, t, 0, sqrt(criterion_f2(cid, value, a, b))])


def omni(spec, m, rho, sigma, means, sizes):
    n = sum(mpf(x) for x in sizes)
    mu = sum(mpf(s) * mpf(x) for x, s in zip(means, sizes)) / n
    f0 = sqrt(sum(mpf(s) * (mpf(x) - mu) ** 2 for x, s in zip(means, sizes)) / n) / mpf(sigma)
    u = mpf(m) / (1 + (m - 1) * mpf(rho))
    if spec in (1, 3):
        return f0 * sqrt(u)
    if spec == 2:
        return f0 * sqrt(u * n / (n - len(means)))
    return f0


# Between factors from means: spec, m, rho, sigma, means, sizes.
for spec, m, rho, sigma, means, sizes in [
    (0, 2, 0.0, 1, [1, 2, 3, 4], [5, 5, 5, 5]),
    (3, 2, 0.5, 1, [1, 2, 3, 4], [5, 5, 5, 5]),
    (1, 3, 0.3, 2.5, [0.5, 1.5, 4], [10, 7, 3]),
    (2, 4, 0.6, 1.5, [2, 2.5, 3.5], [4, 6, 8]),
    (2, 2, -0.4, 0.8, [1, 3], [1, 2]),
    (0, 2, 0.0, 1, [3, 3, 3], [2, 9, 4]),
]:
    rows.append(["omni", spec, m, rho, sigma, " ".join(map(str, means)),
                 " ".join(map(str, sizes)), 0, omni(spec, m, rho, sigma, means, sizes)])


def special(spec, test, effect, error, m, rho, k, n):
    between = test == 108
    a = b = mpf(1)
    if spec == 1:
        a = mpf(m) / ((m - 1) * mpf(rho) + 1) if between else mpf(m) / (1 - mpf(rho))
    if spec == 2:
        if not between:
            b = 1 / mpf(m - 1)
        b *= mpf(n) / (n - k)
    f = sqrt(mpf(effect) / mpf(error)) * sqrt(a if spec in (0, 1) else b)
    return f


# Special effects: spec, test, effect, error, m, rho, k, N.
for spec, test, eff, err, m, rho, k, n in [
    (0, 108, 1, 2, 4, 0.5, 2, 100), (3, 109, 1, 2, 4, 0.5, 2, 100),
    (1, 108, 1, 2, 4, 0.5, 2, 100), (1, 109, 0.7, 3, 3, 0.25, 2, 100),
    (2, 108, 1, 2, 4, 0.5, 2, 100), (2, 110, 0.4, 1.6, 5, 0.5, 3, 60),
]:
    rows.append(["special", spec, test, eff, err, m, rho, f"{k} {n}",
                 special(spec, test, eff, err, m, rho, k, n)])

path = os.path.join(os.path.dirname(os.path.abspath(__file__)), "rm_manova_reference.csv")
with open(path, "w", newline="") as out:
    w = csv.writer(out)
    w.writerow(["kind", "a", "b", "c", "d", "e", "f", "g", "expected"])
    for r in rows:
        w.writerow(r[:-1] + [mp.nstr(r[-1], 20)])
