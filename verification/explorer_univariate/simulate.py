#!/usr/bin/python3
"""Power of the univariate approach to repeated measures by simulation of
the data, independent of the C++ code (numpy and scipy only).

For each design: g groups of given sizes measured at p times, cell means B
(g x p), covariance Sigma of the p responses; the hypothesis is the group x
time interaction, C = successive differences of the groups, A = the
orthonormal polynomial contrasts of the times (p x b, b = p - 1). Each draw
generates the N x p responses Y = X B + E with E ~ N(0, Sigma) row by row,
fits the cell means and forms

    E^ = A'(Y - X B^)'(Y - X B^)A,   H^ = (C B^ A)'(C (X'X)^-1 C')^-1 (C B^ A),
    F  = (tr H^ / (a b)) / (tr E^ / (nu b)),  nu = N - g,
    eps^ = (tr E^)^2 / (b tr E^2)                        (Greenhouse-Geisser),
    eps~ = (N b eps^ - 2) / (b (nu - b eps^))            (Huynh-Feldt),

and rejects at alpha = 0.05 against F(k a b, k nu b) with k = 1 ("Unc"),
eps^ ("G-G"), min(eps~, 1) ("H-F") and 1/b ("Box"). Powers are the rejection
rates with their binomial standard errors; the means of eps^ and eps~ (the
latter not limited to 1) are given with theirs.

Beside them, two computed columns:
- the program's method, written out here independently: tr H^ and tr E^
  are independent sums of psi_j chi2(a, delta_j) and psi_j chi2(nu) over the
  eigenvalues psi_j of Sigma*, so P(F > c) = P(tr H^ - c a/nu tr E^ > 0),
  by Imhof's (1961) inversion, at each row's critical value; the G-G and
  H-F rows at the expected estimates of the program's second-order
  expansion (expected_epsilons below). It is exact for "Unc" and "Box".
- the approximation F(eps a b, eps nu b, eps lambda), lambda =
  N b tr(H)/tr(Sigma*) (Muller & Barton 1989) at the same critical values,
  to show how far it is off (exact only under sphericity).

Output: powers.tsv (one line per design), read by the model's tests, and
epsilon_sweep.tsv: the simulated means of the two estimates beside the
program's expansion over N = 12 ... 80 for two covariance matrices of five
times (two groups), which docs/explorer.md quotes.
"""
import mpmath as mp
import numpy as np
from scipy import stats

ALPHA = 0.05
DRAWS = 40000
CHUNK = 5000
SEED = 20261210


def poly_contrasts(p):
    """Orthonormal polynomial contrasts of p equally spaced times (p x p-1)."""
    t = np.arange(p, dtype=float)
    V = np.vander(t, p, increasing=True)
    Q, _ = np.linalg.qr(V)
    A = Q[:, 1:]
    # Fix the signs so that each contrast starts negative (a readable table).
    for j in range(A.shape[1]):
        if A[0, j] > 0:
            A[:, j] = -A[:, j]
    return A


def ar1(p, rho, var=1.0):
    return var * np.array([[rho ** abs(i - j) for j in range(p)] for i in range(p)])


def designs():
    out = []
    # Autoregressive covariance, three groups diverging over five times.
    out.append(dict(name="ar1", sizes=[6, 6, 6], sigma=ar1(5, 0.8),
                    means=np.array([[0, 0, 0, 0, 0],
                                    [0, 0.2, 0.4, 0.6, 0.8],
                                    [0, 0.3, 0.6, 0.9, 1.2]])))
    # Spherical: Sigma = 2 I; Unc and Box are exact here.
    out.append(dict(name="spherical", sizes=[7, 7, 7], sigma=2.0 * np.eye(4),
                    means=np.array([[0, 0, 0, 0],
                                    [0, 0.4, 0.6, 0.8],
                                    [0, -0.2, 0.2, 0.6]])))
    # Nearly all the within variance along the linear trend: eps near 1/b.
    v = np.arange(4) - 1.5
    out.append(dict(name="lower_bound", sizes=[10, 10],
                    sigma=0.1 * np.eye(4) + 0.8 * np.outer(v, v) + 0.5 * np.ones((4, 4)),
                    means=np.array([[0, 0, 0, 0],
                                    [0, 0.6, 0.6, 0]])))
    # Unequal groups and unequal variances.
    out.append(dict(name="unequal", sizes=[8, 16],
                    sigma=np.diag([1.0, 2.0, 3.0, 4.0, 5.0]) + 0.3 * np.ones((5, 5)),
                    means=np.array([[0, 0.5, 1.0, 1.5, 2.0],
                                    [0, 0.2, 0.4, 0.6, 0.8]])))
    # Five times at N = 12 and the same model at N = 80 (expected epsilons).
    sig5 = ar1(5, 0.6) + 0.2 * np.diag([0, 1, 2, 3, 4])
    out.append(dict(name="p5_n12", sizes=[6, 6], sigma=sig5,
                    means=np.array([[0, 0, 0, 0, 0],
                                    [0, 0.5, 1.0, 1.0, 1.0]])))
    out.append(dict(name="p5_n80", sizes=[40, 40], sigma=sig5,
                    means=np.array([[0, 0, 0, 0, 0],
                                    [0, 0.2, 0.3, 0.3, 0.3]])))
    return out


def model_quantities(d):
    sizes = np.array(d["sizes"], dtype=float)
    g = len(sizes)
    N = sizes.sum()
    p = d["sigma"].shape[0]
    A = poly_contrasts(p)
    C = np.zeros((g - 1, g))
    for i in range(g - 1):
        C[i, i], C[i, i + 1] = 1.0, -1.0
    a, b = g - 1, p - 1
    nu = N - g
    theta = C @ d["means"] @ A
    M = C @ np.diag(1.0 / sizes) @ C.T          # sample scale
    Hs = theta.T @ np.linalg.solve(M, theta)    # = N H of one observation
    Sstar = A.T @ d["sigma"] @ A
    psi = np.linalg.eigvalsh(Sstar)
    eps = psi.sum() ** 2 / (b * (psi ** 2).sum())
    lam = b * np.trace(Hs) / np.trace(Sstar)
    return dict(N=N, g=g, p=p, A=A, C=C, a=a, b=b, nu=nu, eps=eps, lam=lam)


def simulate(d, q, rng):
    sizes = d["sizes"]
    N, g, p, A, C, a, b, nu = (q[k] for k in ("N", "g", "p", "A", "C", "a", "b", "nu"))
    N, nu = int(N), int(nu)
    L = np.linalg.cholesky(d["sigma"])
    group = np.repeat(np.arange(g), sizes)
    mu = d["means"][group]                                  # N x p
    Minv = np.linalg.inv(C @ np.diag(1.0 / np.array(sizes, float)) @ C.T)
    crit_unc = stats.f.ppf(1 - ALPHA, a * b, nu * b)
    crit_box = stats.f.ppf(1 - ALPHA, a, nu)
    rej = {k: 0 for k in ("Unc", "G-G", "H-F", "Box")}
    gg_sum = gg_sq = hf_sum = hf_sq = 0.0
    done = 0
    while done < DRAWS:
        k = min(CHUNK, DRAWS - done)
        Y = mu + rng.standard_normal((k, N, p)) @ L.T       # k x N x p
        Bhat = np.stack([Y[:, group == j, :].mean(axis=1) for j in range(g)], axis=1)
        R = (Y - Bhat[:, group, :]) @ A                      # residuals, k x N x b
        E = np.einsum("kni,knj->kij", R, R)
        Th = C @ Bhat @ A                                    # k x a x b
        H = np.einsum("kai,ac,kcj->kij", Th, Minv, Th)
        trE = np.trace(E, axis1=1, axis2=2)
        trH = np.trace(H, axis1=1, axis2=2)
        F = (trH / (a * b)) / (trE / (nu * b))
        trE2 = np.einsum("kij,kji->k", E, E)
        gg = trE ** 2 / (b * trE2)
        hf = (N * b * gg - 2) / (b * (nu - b * gg))
        hfc = np.minimum(hf, 1.0)
        rej["Unc"] += np.sum(F > crit_unc)
        rej["Box"] += np.sum(F > crit_box)
        rej["G-G"] += np.sum(F > stats.f.ppf(1 - ALPHA, gg * a * b, gg * nu * b))
        rej["H-F"] += np.sum(F > stats.f.ppf(1 - ALPHA, hfc * a * b, hfc * nu * b))
        gg_sum += gg.sum(); gg_sq += (gg ** 2).sum()
        hf_sum += hf.sum(); hf_sq += (hf ** 2).sum()
        done += k
    res = {}
    for key, count in rej.items():
        pw = count / DRAWS
        res[key] = (pw, np.sqrt(pw * (1 - pw) / DRAWS))
    for key, s, s2 in (("gg", gg_sum, gg_sq), ("hf", hf_sum, hf_sq)):
        m = s / DRAWS
        res[key] = (m, np.sqrt((s2 / DRAWS - m * m) / DRAWS))
    return res


def approx_power(q, k):
    """The program's distribution of the statistic with critical df scale k."""
    a, b, nu, eps, lam = q["a"], q["b"], q["nu"], q["eps"], q["lam"]
    crit = stats.f.ppf(1 - ALPHA, k * a * b, k * nu * b)
    return stats.ncf.sf(crit, eps * a * b, eps * nu * b, eps * lam)


def expected_epsilons(psi, N, nu):
    """E of the Greenhouse-Geisser and Huynh-Feldt estimates as the program
    expands them: e = x^2/(b y), x = tr S, y = tr S^2, S = Wishart/nu; e at
    (T1, E y) plus the second-order terms in Var x, Cov(x, y), Var y (to
    order 1/nu); the Huynh-Feldt estimate h(e) at E e plus h'' Var e / 2."""
    b = len(psi)
    t1, t2, t3, t4 = (np.sum(psi ** k) for k in (1, 2, 3, 4))
    mean_y = t2 * (1 + 1 / nu) + t1 ** 2 / nu
    fx, fy = 2 * t1 / (b * t2), -t1 ** 2 / (b * t2 ** 2)
    fxx, fxy, fyy = 2 / (b * t2), -2 * t1 / (b * t2 ** 2), 2 * t1 ** 2 / (b * t2 ** 3)
    vx, cxy, vy = 2 * t2 / nu, 4 * t3 / nu, 8 * t4 / nu
    mean = t1 ** 2 / (b * mean_y) + 0.5 * fxx * vx + fxy * cxy + 0.5 * fyy * vy
    var = fx * fx * vx + 2 * fx * fy * cxy + fy * fy * vy
    top, bottom = N * b * mean - 2, b * nu - b * b * mean
    slope = (N * b * bottom + b * b * top) / bottom ** 2
    hf = top / bottom + 0.5 * (2 * b * b * slope / bottom) * var
    return mean, hf


def imhof_sf(weights, dfs, ncps):
    """P(sum w_j chi2(df_j, ncp_j) > 0) by Imhof's (1961) inversion, with
    mpmath's quadrature at 30 digits (scipy's quad lost 3e-7 here)."""
    mp.mp.dps = 30
    scale = max(abs(x) for x in weights)
    terms = [(mp.mpf(w) / scale, mp.mpf(h), mp.mpf(d)) for w, h, d in zip(weights, dfs, ncps)]

    def integrand(u):
        theta = log_rho = mp.mpf(0)
        for w, h, d in terms:
            wu = w * u
            theta += (h * mp.atan(wu) + d * wu / (1 + wu ** 2)) / 2
            log_rho += h / 4 * mp.log1p(wu ** 2) + d * wu ** 2 / (1 + wu ** 2) / 2
        return mp.sin(theta) / u * mp.exp(-log_rho)

    breaks = [0] + [mp.mpf(2) ** k for k in range(-6, 8)] + [mp.inf]
    return float(mp.mpf(0.5) + mp.quad(integrand, breaks) / mp.pi)


def exact_power(d, q, k):
    """Exact power of the ratio-of-traces statistic at critical df scale k."""
    a, b, nu = q["a"], q["b"], q["nu"]
    sizes = np.array(d["sizes"], float)
    theta = q["C"] @ d["means"] @ q["A"]
    Hs = theta.T @ np.linalg.solve(q["C"] @ np.diag(1 / sizes) @ q["C"].T, theta)
    psi, V = np.linalg.eigh(q["A"].T @ d["sigma"] @ q["A"])
    delta = np.diag(V.T @ Hs @ V) / psi
    c = stats.f.ppf(1 - ALPHA, k * a * b, k * nu * b) * a / nu
    return imhof_sf(np.concatenate([psi, -c * psi]), [a] * b + [nu] * b,
                    np.concatenate([delta, np.zeros(b)]))


def fmt(values):
    return ",".join("%.17g" % v for v in np.ravel(values))


def epsilon_sweep(rng):
    """Means of eps^ and eps~ from data of two equal groups, by N."""
    sigmas = {"p5": ar1(5, 0.6) + 0.2 * np.diag([0, 1, 2, 3, 4]), "ar1_0.8": ar1(5, 0.8)}
    lines = ["\t".join(["sigma", "N", "eps", "mean_gg", "mean_gg_se", "method_gg",
                        "mean_hf", "mean_hf_se", "method_hf"])]
    for name, sigma in sigmas.items():
        for N in (12, 16, 20, 30, 40, 80):
            d = dict(name=name, sizes=[N // 2, N // 2], sigma=sigma, means=np.zeros((2, 5)))
            q = model_quantities(d)
            r = simulate(d, q, rng)
            psi = np.linalg.eigvalsh(q["A"].T @ sigma @ q["A"])
            egg, ehf = expected_epsilons(psi, q["N"], q["nu"])
            print("%-8s N=%3d eps %.4f  E(gg) %.4f +- %.4f method %.4f (%+.4f)"
                  "  E(hf) %.4f +- %.4f method %.4f (%+.4f)" % (
                      name, N, q["eps"], r["gg"][0], r["gg"][1], egg, egg - r["gg"][0],
                      r["hf"][0], r["hf"][1], ehf, ehf - r["hf"][0]))
            lines.append("\t".join([name, str(N)] + ["%.6f" % v for v in (
                q["eps"], r["gg"][0], r["gg"][1], egg, r["hf"][0], r["hf"][1], ehf)]))
    with open("epsilon_sweep.tsv", "w") as out:
        out.write("# Written by simulate.py (seed %d, %d draws per line).\n" % (SEED, DRAWS))
        out.write("\n".join(lines) + "\n")


def main():
    rng = np.random.default_rng(SEED)
    rows = ["\t".join(["design", "sizes", "p", "sigma", "means", "A", "eps", "lambda",
                       "Unc", "Unc_se", "G-G", "G-G_se", "H-F", "H-F_se", "Box", "Box_se",
                       "mean_gg", "mean_gg_se", "mean_hf", "mean_hf_se",
                       "method_Unc", "method_G-G", "method_H-F", "method_Box",
                       "method_gg", "method_hf", "mb_Unc", "mb_G-G", "mb_H-F", "mb_Box"])]
    for d in designs():
        q = model_quantities(d)
        r = simulate(d, q, rng)
        b = q["b"]
        psi = np.linalg.eigvalsh(q["A"].T @ d["sigma"] @ q["A"])
        egg, ehf = expected_epsilons(psi, q["N"], q["nu"])
        egg, ehf = min(max(egg, 1 / b), 1.0), min(max(ehf, 1 / b), 1.0)
        scales = (1.0, egg, ehf, 1.0 / b)
        method = [exact_power(d, q, k) for k in scales]
        mb = [approx_power(q, k) for k in scales]
        print("%-12s N=%3d eps=%.4f lam=%.4f" % (d["name"], q["N"], q["eps"], q["lam"]))
        for key, me, ap in zip(("Unc", "G-G", "H-F", "Box"), method, mb):
            pw, se = r[key]
            print("   %-4s sim %.4f +- %.4f  method %.4f (%+5.1f se)  M-B %.4f (%+5.1f se)" % (
                key, pw, se, me, (me - pw) / se, ap, (ap - pw) / se))
        print("   E(gg) %.4f +- %.4f method %.4f   E(hf) %.4f +- %.4f method %.4f" % (
            r["gg"] + (egg,) + r["hf"] + (ehf,)))
        rows.append("\t".join([d["name"], fmt(d["sizes"]), str(q["p"]), fmt(d["sigma"]),
                               fmt(d["means"]), fmt(q["A"]), "%.10f" % q["eps"],
                               "%.10f" % q["lam"]]
                              + ["%.6f" % v for key in ("Unc", "G-G", "H-F", "Box")
                                 for v in r[key]]
                              + ["%.6f" % v for key in ("gg", "hf") for v in r[key]]
                              + ["%.14g" % v for v in method + [egg, ehf] + mb]))
    with open("powers.tsv", "w") as out:
        out.write("# Written by simulate.py (seed %d, %d draws per design).\n" % (SEED, DRAWS))
        out.write("\n".join(rows) + "\n")
    epsilon_sweep(rng)


if __name__ == "__main__":
    main()
