#!/usr/bin/python3
"""Reference values for the z tests of correlations: two dependent Pearson
correlations (common index and no common index), and the tetrachoric
correlation of a 2x2 table with its standard errors and the Bonett-Price
approximation.

    /usr/bin/python3 reference.py

writes z_correlations_reference.tsv (calculations: test id, analysis type,
status, inputs and outputs as key=value pairs, as the other z tests; keys
rab for rho_ab under H0, rac rad rbc rbd for the other correlations, rcd1 and
rac1 for the H1 correlation of the two tests, size for the sample size and
direction up or down for the side a Sensitivity analysis searches) and
tetrachoric_reference.tsv (the estimator on tables of counts).

Independent of the program's formulas where that is possible:
- the bivariate normal distribution function is Plackett's integral
  Phi(h) Phi(k) + int_0^rho phi2(h, k; t) dt at 30 digits (mpmath);
- the tetrachoric r is the root of Phi2(h, k; r) = a/N;
- its standard error is the delta method applied numerically to the root as
  a function of the four cell proportions with the multinomial covariance,
  not the closed form of the program; the standard error at zero is the same
  at the table of independent margins;
- the covariance of the two Fisher z values of dependent correlations is
  checked by a Monte Carlo with multivariate normal draws (numpy), which also
  checks the power of both dependent-correlation tests at N = 400.
"""

import math
import os

import mpmath as mp
import numpy as np

mp.mp.dps = 30
HERE = os.path.dirname(os.path.abspath(__file__))

Phi = mp.ncdf


def Phiinv(p):
    return -mp.sqrt(2) * mp.erfinv(1 - 2 * mp.mpf(p)) if p != 0.5 else mp.mpf(0)


def phi2(h, k, t):
    s2 = 1 - t * t
    return mp.exp(-(h * h - 2 * t * h * k + k * k) / (2 * s2)) / (2 * mp.pi * mp.sqrt(s2))


def Phi2(h, k, rho):
    """P(X <= h, Y <= k) of the standard bivariate normal, Plackett's form."""
    return Phi(h) * Phi(k) + mp.quad(lambda t: phi2(h, k, t), [0, rho])


def fmt(x):
    if isinstance(x, str):
        return x
    if isinstance(x, int):
        return str(x)
    return repr(float(x))


def kv(pairs):
    return " ".join(f"{k}={fmt(v)}" for k, v in pairs)


def findroot(f, lo, hi):
    """Bisection then secant polish: f rises through zero in [lo, hi]."""
    lo, hi = mp.mpf(lo), mp.mpf(hi)
    flo = f(lo)
    assert flo < 0 < f(hi), (lo, hi)
    for _ in range(60):
        mid = (lo + hi) / 2
        if f(mid) < 0:
            lo = mid
        else:
            hi = mid
    return mp.findroot(f, (lo, hi), solver="anderson")


def tails_power(m, s, alpha, tails, side):
    """z statistic N(m, s) under H1, N(0, 1) under H0; power and the
    critical value shown (with the sign of the effect)."""
    if tails == 1:
        if side > 0:
            cv = Phiinv(1 - alpha)
            return 1 - Phi((cv - m) / s), cv
        cv = Phiinv(alpha)
        return Phi((cv - m) / s), cv
    hi = Phiinv(1 - alpha / 2)
    p = 1 - Phi((hi - m) / s) + Phi((-hi - m) / s)
    return p, (hi if side >= 0 else -hi)


rows = ["# test\ttype\tstatus\tinputs\toutputs"]


def emit(test, kind, status, inputs, outputs):
    d = dict(inputs)
    if test in (306, 307):
        c = (d["rab"], d["rac"], d["rad"], d["rbc"], d["rbd"]) if test == 307 else (d["rab"],
                                                                                     d["rbc"])
        kind_ = "nci" if test == 307 else "ci"
        e = dict(outputs).get("rcd1", dict(outputs).get("rac1", d.get("rcd1", d.get("rac1"))))
        assert psd(kind_, c, float(e)) and psd(kind_, c, c[0]), (test, inputs)
    rows.append(f"{test}\t{kind}\t{status}\t{kv(inputs)}\t{kv(outputs)}")


def ceil_total(x):
    return math.ceil(float(x) - 1e-9)


# ===================================================== dependent correlations
def fz(r):
    return mp.atanh(r)


def cov_nci(ab, cd, ac, ad, bc, bd):
    num = ((ac - ab * bc) * (bd - bc * cd) + (ad - ac * cd) * (bc - ab * ac)
           + (ac - ad * cd) * (bd - ab * ad) + (ad - ab * bd) * (bc - bd * cd)) / 2
    return num / ((1 - ab * ab) * (1 - cd * cd))


def cov_ci(ab, ac, bc):
    return ((bc * (1 - ab * ab - ac * ac) - ab * ac * (1 - ab * ab - ac * ac - bc * bc) / 2)
            / ((1 - ab * ab) * (1 - ac * ac)))


def dep_power(e, alpha, n, tails, kind, c):
    """kind 'nci': c = (ab, ac, ad, bc, bd); 'ci': c = (ab, bc)."""
    ab = mp.mpf(c[0])
    e = mp.mpf(e)
    if kind == "nci":
        _, ac, ad, bc, bd = map(mp.mpf, c)
        c0 = cov_nci(ab, ab, ac, ad, bc, bd)
        c1 = cov_nci(ab, e, ac, ad, bc, bd)
    else:
        bc = mp.mpf(c[1])
        c0 = cov_ci(ab, ab, bc)
        c1 = cov_ci(ab, e, bc)
    se0 = mp.sqrt((2 - 2 * c0) / (n - 3))
    se1 = mp.sqrt((2 - 2 * c1) / (n - 3))
    side = mp.sign(e - ab)
    return tails_power((fz(e) - fz(ab)) / se0, se1 / se0, alpha, tails, side), se0


# The common-index covariance in closed form is the four-variable one for the
# pairs (a, b) and (a, c): there rho_ac becomes 1, rho_ad the rho_ac, rho_bc
# the rho_ab and rho_bd the rho_bc.
for ab, ac, bc in [(0.1, -0.1, -0.1), (0.3, 0.5, 0.2), (-0.4, 0.2, 0.6)]:
    ab, ac, bc = map(mp.mpf, (ab, ac, bc))
    assert abs(cov_ci(ab, ac, bc) - cov_nci(ab, ac, 1, ac, ab, bc)) < 1e-25

NCI = (0.1, 0.7, 0.6, 0.4, 0.41)
CI = (0.1, -0.1)


def nci_inputs(c):
    return [("rab", c[0]), ("rac", c[1]), ("rad", c[2]), ("rbc", c[3]), ("rbd", c[4])]


def ci_inputs(c):
    return [("rab", c[0]), ("rbc", c[1])]


def psd(kind, c, e):
    if kind == "nci":
        ab, ac, ad, bc, bd = c
        R = np.array([[1, ab, ac, ad], [ab, 1, bc, bd], [ac, bc, 1, e], [ad, bd, e, 1]], float)
    else:
        ab, bc = c
        R = np.array([[1, ab, e], [ab, 1, bc], [e, bc, 1]], float)
    return bool(np.all(np.linalg.eigvalsh(R) >= 0))


def dep_cases(test, kind, c, effect, low):
    extra = nci_inputs(c) if kind == "nci" else ci_inputs(c)
    ekey = "rcd1" if kind == "nci" else "rac1"
    lows = [] if low is None else [(low, 0.05, 250, 1), (low, 0.01, 250, 2)]
    for e, alpha, n, tails in [(effect, 0.05, 100, 2), (effect, 0.05, 100, 1)] + lows:
        (p, cv), _ = dep_power(e, alpha, n, tails, kind, c)
        emit(test, "posthoc", -1,
             [("tails", "One" if tails == 1 else "Two"), (ekey, e), ("alpha", alpha), ("size", n)]
             + extra, [("crit", cv), ("power", p)])
    for e, alpha, power, tails in [(effect, 0.05, 0.95, 2), (c[0] + 0.3, 0.01, 0.8, 1)]:
        f = lambda x: dep_power(e, alpha, x, tails, kind, c)[0][0] - power
        n = ceil_total(findroot(f, 4, 1e6))
        (p, cv), _ = dep_power(e, alpha, n, tails, kind, c)
        emit(test, "apriori", -1,
             [("tails", "One" if tails == 1 else "Two"), (ekey, e), ("alpha", alpha),
              ("power", power)] + extra, [("crit", cv), ("size", n), ("actual", p)])
    sides = [(0.05, 0.8, 500, 2, 1)] + ([] if low is None else [(0.05, 0.8, 500, 1, 0)])
    for alpha, power, n, tails, direction in sides:
        # The power rises away from the H0 correlation on the chosen side.
        P = lambda x: dep_power(x, alpha, n, tails, kind, c)[0][0]
        if direction == 1:
            e = findroot(lambda x: P(x) - power, c[0] + 1e-9, c[0] + 0.5)
        else:
            e = findroot(lambda x: power - P(x), c[0] - 0.5, c[0] - 1e-9)
        (p, cv), _ = dep_power(e, alpha, n, tails, kind, c)
        assert abs(p - power) < 1e-20
        emit(test, "sensitivity", -1,
             [("tails", "One" if tails == 1 else "Two"), ("direction", "up" if direction == 1 else "down"),
              ("alpha", alpha), ("power", power), ("size", n)] + extra,
             [("crit", cv), (ekey, e)])
    for e, power, n, tails in [(effect + 0.1, 0.8, 300, 2)]:
        a = findroot(lambda x: dep_power(e, x, n, tails, kind, c)[0][0] - power, 1e-12,
                     1 - 1e-12)
        (p, cv), _ = dep_power(e, a, n, tails, kind, c)
        emit(test, "criterion", -1,
             [("tails", "Two"), (ekey, e), ("power", power), ("size", n)] + extra,
             [("crit", cv), ("alpha", a)])
    for e, q, n, tails in [(effect + 0.1, 1, 300, 2)]:
        a = findroot(lambda x: 1 - (1 - dep_power(e, x, n, tails, kind, c)[0][0]) / (q * x),
                     1e-12, 1 - 1e-12)
        (p, cv), _ = dep_power(e, a, n, tails, kind, c)
        emit(test, "compromise", -1,
             [("tails", "Two"), (ekey, e), ("q", q), ("size", n)] + extra,
             [("crit", cv), ("alpha", a), ("beta", 1 - p), ("power", p)])


# The standard correlations admit rho_cd from about 0.09 only: the cases
# below rho_ab use other correlations.
dep_cases(307, "nci", NCI, 0.15, None)
dep_cases(307, "nci", (0.3, 0.5, 0.4, 0.3, 0.35), 0.45, 0.1)
dep_cases(306, "ci", CI, -0.1, -0.1)

# The values the issue names.
(p, _), _ = dep_power(0.15, 0.05, 100, 2, "nci", NCI)
assert abs(p - 0.0795668) < 5e-8, p
(p, _), _ = dep_power(-0.1, 0.05, 100, 2, "ci", CI)
assert abs(p - 0.2637403) < 5e-8, p


def monte_carlo(kind, c, e, n, reps, seed):
    """Rejection rate of the two-tailed test at alpha 0.05 with the model's
    standard error under H0, from multivariate normal samples of size n."""
    rng = np.random.default_rng(seed)
    if kind == "nci":
        ab, ac, ad, bc, bd = c
        R = np.array([[1, ab, ac, ad], [ab, 1, bc, bd], [ac, bc, 1, e], [ad, bd, e, 1]])
        pairs = ((0, 1), (2, 3))
    else:
        ab, bc = c
        R = np.array([[1, ab, e], [ab, 1, bc], [e, bc, 1]])
        pairs = ((0, 1), (0, 2))
    _, se0 = dep_power(e, 0.05, n, 2, kind, c)
    se0 = float(se0)
    L = np.linalg.cholesky(R)
    crit = 1.959963984540054
    rejected = 0
    done = 0
    while done < reps:
        m = min(2000, reps - done)
        x = rng.standard_normal((m, n, R.shape[0])) @ L.T
        x -= x.mean(axis=1, keepdims=True)
        cov = np.einsum("rni,rnj->rij", x, x)
        d = np.sqrt(np.einsum("rii->ri", cov))
        corr = cov / d[:, :, None] / d[:, None, :]
        r1 = corr[:, pairs[0][0], pairs[0][1]]
        r2 = corr[:, pairs[1][0], pairs[1][1]]
        z = (np.arctanh(r2) - np.arctanh(r1)) / se0
        rejected += int(np.sum(np.abs(z) > crit))
        done += m
    return rejected / reps


mc_lines = []
for test, kind, c, e in [(307, "nci", NCI, 0.15), (306, "ci", CI, -0.1)]:
    (p, _), _ = dep_power(e, 0.05, 400, 2, kind, c)
    reps = 40000
    rate = monte_carlo(kind, c, e, 400, reps, 20261210 + test)
    err = math.sqrt(float(p) * (1 - float(p)) / reps)
    mc_lines.append(f"# Monte Carlo {test} N=400: model {float(p):.6f}, "
                    f"simulated {rate:.6f} (+- {err:.6f})")
    assert abs(rate - float(p)) < 4 * err, (test, rate, p)
    (_, cv), _ = dep_power(e, 0.05, 400, 2, kind, c)
    emit(test, "posthoc", -1,
         [("tails", "Two"), ("rcd1" if kind == "nci" else "rac1", e), ("alpha", 0.05),
          ("size", 400)]
         + (nci_inputs(c) if kind == "nci" else ci_inputs(c)),
         [("crit", cv), ("power", p)])
rows[1:1] = mc_lines

# ========================================================== tetrachoric r
def tetrachoric_root(a, b, c, d):
    """rho whose bivariate normal, cut at the margins of the table, gives
    the cell a (rows a+b, columns a+c) its proportion."""
    n = mp.mpf(a + b + c + d)
    h = Phiinv(mp.mpf(a + b) / n)
    k = Phiinv(mp.mpf(a + c) / n)
    t = mp.mpf(a) / n
    f = lambda r: Phi2(h, k, r) - t
    return findroot(f, -0.999999999, 0.999999999)


def r_of_cells(p):
    a, b, c, d = p
    s = a + b + c + d
    h = Phiinv((a + b) / s)
    k = Phiinv((a + c) / s)
    t = a / s
    return findroot(lambda r: Phi2(h, k, r) - t, -0.999999999, 0.999999999)


def delta_se(p, n):
    """Delta method: var r = grad' (diag p - p p') grad / n, the gradient by
    central differences of r as a function of the four proportions."""
    p = [mp.mpf(x) for x in p]
    eps = mp.mpf("1e-12")
    grad = []
    for i in range(4):
        up = list(p)
        dn = list(p)
        up[i] += eps
        dn[i] -= eps
        grad.append((r_of_cells(up) - r_of_cells(dn)) / (2 * eps))
    var = 0
    for i in range(4):
        for j in range(4):
            cov = p[i] * ((1 if i == j else 0) - p[j])
            var += grad[i] * cov * grad[j]
    return mp.sqrt(var / n)


def bonett_price(a, b, c, d, n):
    a, b, c, d = (mp.mpf(x) for x in (a, b, c, d))
    s = a + b + c + d
    a, b, c, d = a / s, b / s, c / s, d / s
    w = a * d / (b * c)
    m = min(a + b, c + d, a + c, b + d)
    cc = (1 - abs((a + b) - (a + c)) / 5 - (mp.mpf(1) / 2 - m) ** 2) / 2
    r = mp.cos(mp.pi / (1 + w ** cc))
    # Delta method on r*(w): d r*/d ln w, times se(ln w).
    selnw = mp.sqrt((1 / a + 1 / b + 1 / c + 1 / d) / n)
    deriv = mp.diff(lambda lw: mp.cos(mp.pi / (1 + mp.exp(lw) ** cc)), mp.log(w))
    return r, abs(deriv) * selnw, w, cc


est = ["# a\tb\tc\td\tr\tse\tse0\tapproxR\tapproxSE\t(N = a+b+c+d; se0 the standard error "
       "at rho = 0 with the same margins)"]
for a, b, c, d in [(40, 10, 20, 30), (30, 20, 20, 30), (25, 25, 25, 25), (10, 40, 30, 20),
                   (50, 5, 5, 40), (12, 3, 30, 55), (70, 2, 3, 25), (20, 30, 40, 10)]:
    n = a + b + c + d
    p = [mp.mpf(x) / n for x in (a, b, c, d)]
    r = tetrachoric_root(a, b, c, d)
    se = delta_se(p, n)
    indep = [(p[0] + p[1]) * (p[0] + p[2]), (p[0] + p[1]) * (p[1] + p[3]),
             (p[2] + p[3]) * (p[0] + p[2]), (p[2] + p[3]) * (p[1] + p[3])]
    se0 = delta_se(indep, n)
    ar, ase, _, _ = bonett_price(a, b, c, d, n)
    est.append("\t".join(str(x) for x in (a, b, c, d)) + "\t" +
               "\t".join(repr(float(x)) for x in (r, se, se0, ar, ase)))
    if (a, b, c, d) == (40, 10, 20, 30):
        assert abs(r - 0.6070728) < 5e-8, r
        assert abs(ar - 0.5992596) < 5e-8, ar
        assert abs(se - 0.1152315) < 5e-8, se
    if (a, b, c, d) == (30, 20, 20, 30):
        assert abs(r - 0.3090170) < 5e-8 and abs(r + mp.cos(2 * mp.pi * mp.mpf(3) / 10)) < 1e-15

with open(os.path.join(HERE, "tetrachoric_reference.tsv"), "w") as out:
    out.write("\n".join(est) + "\n")

with open(os.path.join(HERE, "z_correlations_reference.tsv"), "w") as out:
    out.write("\n".join(rows) + "\n")
