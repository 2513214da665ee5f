#!/usr/bin/python3
"""Reference values for the general linear multivariate model, computed
independently of the C++ code with numpy and scipy.

1. Powers of the reductions that the model must agree with: the one-way
   ANOVA (noncentral F with lambda = N f^2), Hotelling's two-group T^2
   (F(p, N - p - 1), lambda = n1 n2 / N Delta^2) and the two-sample t test.
2. Monte Carlo means of the Greenhouse-Geisser estimate
   e = (tr S)^2 / (b tr S^2) and of the Huynh-Feldt estimate
   (N b e - 2) / (b (nu - b e)), S a Wishart(nu, Sigma*) / nu draw, for a
   few covariance structures, beside the population epsilon.
"""
import numpy as np
from scipy import stats

def f_power(df1, df2, lam, alpha=0.05):
    crit = stats.f.ppf(1 - alpha, df1, df2)
    return stats.ncf.sf(crit, df1, df2, lam)

print("# reductions")
# One-way ANOVA: 3 groups, means 0, 0.5, 1 (sd 1), equal groups, N = 60.
mu = np.array([0.0, 0.5, 1.0]); N = 60
f2 = np.mean((mu - mu.mean()) ** 2)
print("anova N=60 f2=%.12g power=%.12g" % (f2, f_power(2, N - 3, N * f2)))
# Hotelling two groups: p = 3, means (0.5, 0.3, 0) vs 0, Sigma with 0.3
# correlations, n1 = n2 = 25.
sigma = np.full((3, 3), 0.3) + 0.7 * np.eye(3)
d = np.array([0.5, 0.3, 0.0])
delta2 = d @ np.linalg.solve(sigma, d)
n1 = n2 = 25; N = 50
print("hotelling delta2=%.12g power=%.12g" % (delta2, f_power(3, N - 3 - 1, n1 * n2 / N * delta2)))
# Two-sample t: d = 0.6, 30 + 30, two tails.
dd = 0.6; n1 = n2 = 30; N = 60; df = N - 2
ncp = dd * np.sqrt(n1 * n2 / N)
crit = stats.t.ppf(0.975, df)
print("t power=%.12g" % (stats.nct.sf(crit, df, ncp) + stats.nct.cdf(-crit, df, ncp)))

print("# epsilon: name b nu N eps mean_gg sd_gg mean_hf sd_hf (Monte Carlo, 200000 draws)")
rows = []
rng = np.random.default_rng(20261210)
cases = {
    "spherical": np.eye(4),
    "compound": np.full((4, 4), 0.5) + 0.5 * np.eye(4),
    "ar1": np.array([[0.7 ** abs(i - j) for j in range(4)] for i in range(4)]),
    "unequal": np.diag([4.0, 2.0, 1.0, 0.5]),
}
for name, sig in cases.items():
    b = sig.shape[0]
    for nu in (20, 60):
        Nn = nu + 2
        L = np.linalg.cholesky(sig)
        draws = 200000
        z = rng.standard_normal((draws, nu, b)) @ L.T
        S = np.einsum("kni,knj->kij", z, z) / nu
        tr = np.trace(S, axis1=1, axis2=2)
        tr2 = np.einsum("kij,kji->k", S, S)
        e = tr ** 2 / (b * tr2)
        hf = (Nn * b * e - 2) / (b * (nu - b * e))
        ev = np.linalg.eigvalsh(sig)
        eps = ev.sum() ** 2 / (b * (ev ** 2).sum())
        print("%s %d %d %d %.10f %.6f %.6f %.6f %.6f" % (
            name, b, nu, Nn, eps, e.mean(), e.std() / np.sqrt(draws), hf.mean(),
            hf.std() / np.sqrt(draws)))
        rows.append("    {{%s}, %d, %d, %.6f, %.6f},  // %s" % (
            ", ".join("%.12g" % v for v in sorted(ev, reverse=True)), nu, Nn, e.mean(),
            hf.mean(), name))
# The table the C++ test reads: eigenvalues, nu, N, Monte Carlo means.
with open("epsilon_rows.inc", "w") as out:
    out.write("// Written by reference.py: psi, nu, N, E(GG), E(HF) from Monte Carlo.\n")
    out.write("\n".join(rows) + "\n")
