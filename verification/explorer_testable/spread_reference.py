"""Reference values for multivariate criteria whose eigenvalues spread over
many orders: a huge effect on one contrast direction beside an ordinary one
on another. From the model's theory alone, in mpmath at 60 digits on the
exact double inputs; nothing here calls the program.

Model: three cells, X = I, weights 1, 2, 3; C = (1 -1 0 / 0 1 -1) (a = 2);
A = (1 0 / -1 1 / 0 -1) (b = 2); Sigma below. Q = (A' Sigma A)^-1 H with
H = D' M^-1 D, D = C B A, M = C (X'WX)^-1 C', W the relative weights. At
N = 24 (nu = 21, s = 2, Rao's g = 2) each line gives the statistic, the
effect and eta² of a multivariate row (the plain rows U, V, T; the N-scaled
rows UN, VN, TN), and the two eigenvalues.

Cases: "rows h": the huge effect h on the first between-cells contrast,
ordinary effects on the second (D's rows h and 1 apart); "columns h": the
huge effect along the first response contrast in both cell contrasts (D's
columns apart); "ordinary": both of order 1.

Run: /usr/bin/python3 spread_reference.py > spread_reference.tsv
"""
import mpmath as mp

mp.mp.dps = 60

N, R = 24, 3
NU = N - R
S_, G = 2, 2  # s = min(a, b); Rao's exponent sqrt((16 - 4)/(4 + 4 - 5)) = 2

SIGMA = [[1.0, 0.3, 0.2], [0.3, 2.0, 0.4], [0.2, 0.4, 1.5]]
C = [[1.0, -1.0, 0.0], [0.0, 1.0, -1.0]]
A = [[1.0, 0.0], [-1.0, 1.0], [0.0, -1.0]]
WEIGHTS = [1.0, 2.0, 3.0]


def means_rows(h):
    return [[h + 1.0, 2.0, 0.5], [1.0, 1.5, 1.0], [0.3, 0.5, 2.0]]


def means_columns(h):
    return [[3.0 * h, 1.0, 0.5], [2.0 * h, 0.2, 1.0], [0.0, 1.1, 0.4]]


def mat(rows):
    return mp.matrix([[mp.mpf(x) for x in row] for row in rows])


def eigenvalues(B):
    w = [mp.mpf(x) / sum(WEIGHTS) for x in WEIGHTS]
    Cm, Am, Bm, Sm = mat(C), mat(A), mat(B), mat(SIGMA)
    M = Cm * mp.diag([1 / x for x in w]) * Cm.T
    D = Cm * Bm * Am
    H = D.T * mp.inverse(M) * D
    Q = mp.inverse(Am.T * Sm * Am) * H
    ev = mp.eig(Q, left=False, right=False)
    return sorted((mp.re(x) for x in ev), reverse=True)


def rows(ev):
    out = []
    for plain in (True, False):
        lam = [x if plain else x * N / NU for x in ev]
        log_u = -sum(mp.log1p(x) for x in lam)
        effect = mp.expm1(-log_u / G)
        out.append(("Wilks OS" if plain else "Wilks MP", mp.exp(log_u), effect))
        v = sum(x / (1 + x) for x in lam)
        effect = v / sum(1 / (1 + x) for x in lam)
        out.append(("Pillai OS1" if plain else "Pillai MP1", v, effect))
        t = sum(lam)
        out.append(("Hotelling OS1" if plain else "Hotelling MP1", t, t / S_))
    return out


print("# case\trow\tN\tstatistic\teffect\teta2 (eigen: the two eigenvalues)")
cases = [("ordinary", means_rows(1.0))]
for h in (1e8, 1e11, 1e15):
    cases.append((f"rows {h:g}", means_rows(h)))
    cases.append((f"columns {h:g}", means_columns(h)))
for name, B in cases:
    ev = eigenvalues(B)
    print(f"{name}\teigen\t{N}\t{mp.nstr(ev[0], 17)}\t{mp.nstr(ev[1], 17)}")
    for row, stat, effect in rows(ev):
        eta2 = effect / (1 + effect)
        print(f"{name}\t{row}\t{N}\t{mp.nstr(stat, 17)}\t{mp.nstr(effect, 17)}\t{mp.nstr(eta2, 17)}")
