"""Reference values for three explorer cases, from the model's theory alone
(numpy for the matrices, scipy for the distributions); nothing here calls
the program.

1. The a-priori search of the N-scaled rows (Wilks MP, Pillai MP1,
   Hotelling MP1) in a two-cell design with one eigenvalue: the smallest N
   whose power reaches 0.80, its power and the power one below, beside the
   plain Wilks row (at s = 1 the exact Hotelling T² test) and the second
   Hotelling-Lawley approximation.
2. Estimable contrasts in designs where some contrasts are not: their power
   (s = 1: the exact test, F(b, nu - b + 1, N lambda1)), with the error df
   counting only the cells that carry weight.
3. A huge effect in a 3 x 3 x 2 effect-coded design: for each row the first
   N its degrees of freedom allow, and a lower bound of the power there and
   at N 24 that is 1 to double precision. Also the limit form of the F and t
   powers at a noncentrality beyond what the distributions compute, checked
   against scipy's exact value at 1e9 where both compute.

Run: /usr/bin/python3 reference.py > reference.tsv
"""
import itertools
import math

import mpmath as mp
import numpy as np
from scipy import stats

ALPHA = 0.05


def pinv(m):
    return np.linalg.pinv(m)


def eigen_of_model(X, w, B, Sigma, C, A):
    """Eigenvalues of (A' Sigma A)^-1 H for one observation, descending;
    rank of the weighted cells' rows of X."""
    w = np.asarray(w, float)
    W = np.diag(w / np.abs(w).sum())
    M = C @ pinv(X.T @ W @ X) @ C.T
    Theta = C @ B @ A
    H = Theta.T @ pinv(M) @ Theta
    S = A.T @ Sigma @ A
    ev = np.sort(np.linalg.eigvals(np.linalg.solve(S, H)).real)[::-1]
    r = int(np.linalg.matrix_rank(X[w > 0]))
    return ev, r, S, H


def f_power(df1, df2, lam):
    c = stats.f.isf(ALPHA, df1, df2)
    return stats.ncf.sf(c, df1, df2, lam)


# ---- the multivariate rows at s = 1 (a = 1), b responses
def rows_s1(ev, r, b, N):
    nu = N - r
    l1 = ev[0]
    out = {}
    # Wilks (g = 1 for a b <= 4 here, b = 4: g = sqrt((16-4)/(1+16-5)) = 1)
    g = math.sqrt((b * b - 4) / (1 + b * b - 5)) if b >= 4 else 1.0
    df2w = g * (nu - (b - 1 + 1) / 2) - (b - 2) / 2
    effect_os = (1 + l1) ** (1 / g) - 1
    effect_mp = (1 + l1 * N / nu) ** (1 / g) - 1
    if df2w > 0:
        out["Wilks OS"] = f_power(b, df2w, N * g * effect_os)
        out["Wilks MP"] = f_power(b, df2w, df2w * effect_mp)
    # Pillai 1: df2 = s (nu + s - b)
    df2p = nu + 1 - b
    vn = l1 * N / (l1 * N + nu)
    if df2p > 0:
        out["Pillai MP1"] = f_power(b, df2p, df2p * vn / (1 - vn))
    # Hotelling-Lawley 1: df2 = s (nu - b - 1) + 2
    df2h = nu - b - 1 + 2
    if df2h > 0:
        out["Hotelling MP1"] = f_power(b, df2h, df2h * l1 * N / nu)
    # Hotelling-Lawley 2
    if nu - b - 1 > 0:
        a = 1
        g2 = (nu * nu - (2 * b + 3) * nu + b * (b + 3)) / ((a + b + 1) * nu - (a + 2 * b + b * b - 1))
        df2 = 4 + (a * b + 2) * g2
        if df2 > 0:
            effect = (l1 * N / nu) / ((df2 - 2) / (nu - b - 1))
            out["Hotelling MP2"] = f_power(a * b, df2, df2 * effect)
    return out


def first_reaching(ev, r, b, row, target):
    N = r + 1
    while True:
        p = rows_s1(ev, r, b, N).get(row)
        if p is not None and p >= target:
            return N, p, rows_s1(ev, r, b, N - 1).get(row, float("nan"))
        N += 1


print("# case\trow\tN\tvalue (for the huge effect: lambda, then the log of a bound of 1 - power)")
X = np.eye(2)
B = np.array([[0, 0, 0, 0], [0.5, 0.5, 0.5, 0.5]])
ev, r, _, _ = eigen_of_model(X, [1, 1], B, np.eye(4), np.array([[1.0, -1.0]]), np.eye(4))
for row in ["Wilks OS", "Wilks MP", "Pillai MP1", "Hotelling MP1", "Hotelling MP2"]:
    n, p, below = first_reaching(ev, r, 4, row, 0.80)
    print(f"mp_search\t{row}\t{n}\t{p:.12g}")
    print(f"mp_search_below\t{row}\t{n - 1}\t{below:.12g}")

# ---- 2. estimable contrasts
Xo = np.array([[1.0, 1, 0, 0], [1, 0, 1, 0], [1, 0, 0, 1]])
for name, Bo in [("B1", [[10, 10], [1, 1], [0, 0], [-1, -1]]),
                 ("B2", [[0, 0], [11, 11], [10, 10], [9, 9]])]:
    ev, r, _, _ = eigen_of_model(Xo, [1, 1, 1], np.array(Bo, float), np.eye(2),
                                 np.array([[0.0, 1, -1, 0]]), np.eye(2))
    N, b = 30, 2
    nu = N - r
    print(f"overparameterised_{name}\tWilks OS\t{N}\t{f_power(b, nu - b + 1, N * ev[0]):.12g}")
# the cell of weight 0 adds no error df: nu = N - 2
ev, r, _, _ = eigen_of_model(np.eye(3), [1, 1, 0], np.array([[0, 0], [0.5, 0.5], [9, 9]]), np.eye(2),
                             np.array([[1.0, -1, 0]]), np.eye(2))
N, b = 30, 2
nu = N - r
print(f"empty_cell\tWilks OS\t{N}\t{f_power(b, nu - b + 1, N * ev[0]):.12g}")
print(f"empty_cell\terror df\t{N}\t{nu}")


# ---- 3. a huge effect in a 3 x 3 x 2 effect-coded design
def effect_codes(levels):
    """Effect coding of one factor: levels x (levels - 1)."""
    m = np.zeros((levels, levels - 1))
    for i in range(levels - 1):
        m[i, i] = 1
    m[levels - 1, :] = -1
    return m


def design_3x3x2():
    fa, fb, fc = effect_codes(3), effect_codes(3), effect_codes(2)
    rows = []
    for i, j, k in itertools.product(range(3), range(3), range(2)):
        a, b, c = fa[i], fb[j], fc[k]
        row = [1.0]
        row += list(a) + list(b) + list(c)
        row += list(np.kron(a, b)) + list(np.kron(a, c)) + list(np.kron(b, c))
        row += list(np.kron(np.kron(a, b), c))
        rows.append(row)
    return np.array(rows)


def means_3x3x2(a1):
    """Intercept (10, 11, 12); the two A effects a1 in the first and in the
    second response; every other effect 0.1 ((i + j) mod 5). (Both A effects
    large keep the eigenvalues of the A contrast of one order: with one of
    1e22 beside one of 1, double rounding leaves nothing of the small one.)"""
    B = np.array([[0.1 * ((i + j) % 5) for j in range(3)] for i in range(18)])
    B[0] = [10, 11, 12]
    B[1] = [a1, 0, 0]
    B[2] = [0, a1, 0]
    return B


Xh = design_3x3x2()
Ca = np.zeros((2, 18))
Ca[0, 1] = Ca[1, 2] = 1  # the main effect of A
Ah = np.array([[1.0, 1], [-1, 0], [0, -1]])  # responses 2 and 3 against the first
Ct = np.zeros((1, 18))
Ct[0, 1] = 1
At = np.array([[1.0], [-1], [0]])


def first_allowed_rows(r, a, b):
    """The first N each row's degrees of freedom allow (spherical A'Sigma A
    on an orthonormal basis: epsilon 1, so the univariate rows need nu >= 1)."""
    s = min(a, b)
    g = math.sqrt((a * a * b * b - 4) / (a * a + b * b - 5)) if a * b >= 4 else 1.0
    tests = {
        "Unc": lambda nu: nu >= 1, "G-G": lambda nu: nu >= 1,
        "H-F": lambda nu: nu >= 1, "Box": lambda nu: nu >= 1,
        "Wilks OS": lambda nu: g * (nu - (b - a + 1) / 2) - (a * b - 2) / 2 > 0,
        "Pillai OS1": lambda nu: s * (nu + s - b) > 0,
        "Hotelling OS1": lambda nu: s * (nu - b - 1) + 2 > 0,
        "Hotelling OS2": lambda nu: nu - b - 1 > 0 and 4 + (a * b + 2) * (
            (nu * nu - (2 * b + 3) * nu + b * (b + 3)) / ((a + b + 1) * nu - (a + 2 * b + b * b - 1))) > 0,
    }
    for plain, scaled in [("Wilks OS", "Wilks MP"), ("Pillai OS1", "Pillai MP1"),
                          ("Hotelling OS1", "Hotelling MP1"), ("Hotelling OS2", "Hotelling MP2")]:
        tests[scaled] = tests[plain]
    out = {}
    for row, ok in tests.items():
        nu = 1
        while not ok(nu):
            nu += 1
        out[row] = r + nu
    return out


def log_miss_bound(lam, df1, df2, c):
    """log of an upper bound of 1 - P(F > c) for F ~ F(df1, df2, lam):
    P(chi2(df1, lam) <= lam/2) <= exp(-lam^2 / (16 (df1 + 2 lam)))
    (Laurent and Massart, 2000) plus P(chi2(df2) >= lam df2 / (2 c df1))."""
    lam = float(lam)
    first = -lam / (16 * (df1 / lam + 2))
    second = stats.chi2.logsf(lam * df2 / (2 * c * df1), df2)
    return float(np.logaddexp(first, second))


def multivariate_rows(ev, a, b, r, N):
    """(df1, df2, lambda) of each multivariate row at N, with mpmath so that
    the products of huge eigenvalues do not overflow."""
    s = min(a, b)
    lam = [mp.mpf(float(x)) for x in ev[:s]]
    nu = N - r
    g = mp.sqrt(mp.mpf(a * a * b * b - 4) / (a * a + b * b - 5)) if a * b >= 4 else mp.mpf(1)
    out = {}
    log_u = -sum(mp.log1p(x) for x in lam)
    log_un = -sum(mp.log1p(x * N / nu) for x in lam)
    df2 = g * (nu - mp.mpf(b - a + 1) / 2) - mp.mpf(a * b - 2) / 2
    out["Wilks OS"] = (a * b, df2, N * g * mp.expm1(-log_u / g))
    out["Wilks MP"] = (a * b, df2, df2 * mp.expm1(-log_un / g))
    v = sum(x / (1 + x) for x in lam)
    rest = sum(1 / (1 + x) for x in lam)
    vn = sum(x * N / (x * N + nu) for x in lam)
    rest_n = sum(nu / (x * N + nu) for x in lam)
    df2 = s * (nu + s - b)
    out["Pillai OS1"] = (a * b, df2, N * s * v / rest)
    out["Pillai MP1"] = (a * b, df2, df2 * vn / rest_n)
    t = sum(lam)
    tn = t * N / nu
    df2 = s * (nu - b - 1) + 2
    out["Hotelling OS1"] = (a * b, df2, N * t)
    out["Hotelling MP1"] = (a * b, df2, df2 * tn / s)
    g2 = mp.mpf(nu * nu - (2 * b + 3) * nu + b * (b + 3)) / ((a + b + 1) * nu - (a + 2 * b + b * b - 1))
    df2 = 4 + (a * b + 2) * g2
    if nu - b - 1 > 0:
        out["Hotelling OS2"] = (a * b, df2, N * t)
        out["Hotelling MP2"] = (a * b, df2, df2 * tn / ((df2 - 2) / (nu - b - 1)))
    return out


mp.mp.dps = 30
for case, a1, variance in [("huge_mean", 1e11, 1.0), ("tiny_sigma", 1.0, 1e-200)]:
    Sigma = variance * np.eye(3)
    B = means_3x3x2(a1)
    ev, r, S, H = eigen_of_model(Xh, np.ones(18), B, Sigma, Ca, Ah)
    a, b = 2, 2
    allowed = first_allowed_rows(r, a, b)
    # On an orthonormal basis of A's columns A'Sigma A is spherical, so the
    # univariate statistic is F(a b, nu b, N b tr(H)/tr(A'Sigma A)) exactly;
    # its rows differ in the critical value, the Box row's the largest.
    # With A = Q R (Q orthonormal), H on the basis Q is R^-T H R^-1.
    Q, R = np.linalg.qr(Ah)
    Rinv = np.linalg.inv(R)
    trace_ratio = np.trace(Rinv.T @ H @ Rinv) / np.trace(Q.T @ Sigma @ Q)
    for n_case in ["first", 24]:
        for row, n in allowed.items():
            N = n if n_case == "first" else 24
            nu = N - r
            if row in ("Unc", "G-G", "H-F", "Box"):
                df1, df2, lam = a * b, nu * b, N * b * trace_ratio
                c = stats.f.isf(ALPHA, a, nu)
            else:
                df1, df2, lam = multivariate_rows(ev, a, b, r, N)[row]
                df1, df2 = float(df1), float(df2)
                c = stats.f.isf(ALPHA, df1, df2)
            bound = log_miss_bound(lam, df1, df2, c)
            label = f"{case}_first" if n_case == "first" else f"{case}_n24"
            print(f"{label}\t{row}\t{N}\t{float(lam):.6g}\t{bound:.6g}")
    ev_t, r_t, _, _ = eigen_of_model(Xh, np.ones(18), B, Sigma, Ct, At)
    for N in (r_t + 1, 24):
        nu = N - r_t
        delta = math.sqrt(ev_t[0] * N)
        c = stats.t.isf(ALPHA / 2, nu)
        # P(T <= c) <= P(Z <= -delta/2) + P(c sqrt(chi2/nu) >= delta/2)
        bound = float(np.logaddexp(stats.norm.logcdf(-delta / 2),
                                   stats.chi2.logsf(nu * delta * delta / (4 * c * c), nu)))
        label = f"{case}_first" if N == r_t + 1 else f"{case}_n24"
        print(f"{label}\tt test\t{N}\t{delta * delta:.6g}\t{bound:.6g}")

# ---- limit forms beyond the distributions' range
# F: P(chi2(df2) < (lam + df1) df2 / (c df1)); t (one-sided):
# P(chi2(nu) < nu lam / c²). Against scipy's exact values at lam 1e9.
for df1, df2 in [(1, 0.2), (4, 0.05)]:
    c = stats.f.isf(ALPHA, df1, df2)
    exact = stats.ncf.sf(c, df1, df2, 1e9)
    limit = stats.chi2.cdf((1e9 + df1) * df2 / (c * df1), df2)
    print(f"# F({df1}, {df2}) at lambda 1e9: scipy {exact:.12g}, limit {limit:.12g}")
for nu in [0.2, 0.05]:
    c = stats.t.isf(ALPHA, nu)
    exact = stats.nct.sf(c, nu, math.sqrt(1e9))
    limit = stats.chi2.cdf(nu * 1e9 / (c * c), nu)
    print(f"# t({nu}) at lambda 1e9: scipy {exact:.12g}, limit {limit:.12g}")
for df1, df2, lam in [(1, 0.2, 2e10), (1, 0.05, 2e10)]:
    c = stats.f.isf(ALPHA, df1, df2)
    print(f"limit_f\tdf2 {df2}\t{lam:g}\t{stats.chi2.cdf((lam + df1) * df2 / (c * df1), df2):.12g}")
    ct = stats.t.isf(ALPHA, df2)
    print(f"limit_t\tdf {df2}\t{lam:g}\t{stats.chi2.cdf(df2 * lam / (ct * ct), df2):.12g}")
