#!/usr/bin/python3
"""Compromise of the z tests at alpha and beta far below 1e-16: the generic
z test (300), two independent proportions (301), two independent
correlations (302) and two dependent correlations with a common index (306)
and without (307), in mpmath at 40 digits.

    /usr/bin/python3 z_reference.py > z_reference.tsv

Each test's statistic is N(0, 1) under H0 and N(m, s) under H1 on the z
scale (the models of ../z_tests/reference.R and ../z_correlations/
reference.py). Critical values are upper normal points found from the
upper tail itself; beta is the acceptance region at 40 digits, never
1 - power in double precision. Alpha solves log(beta) = log(q alpha)
between 1e-99 and 0.5; "none" where no alpha in that range does. Named
cases first, then seeded random ones with large effects.
"""

import random

import mpmath as mp

mp.mp.dps = 40
Phi = mp.ncdf


def upper_point(a):
    """x with P(Z > x) = a, from the upper tail itself."""
    a = mp.mpf(a)
    if a > mp.mpf(0.5):
        return -upper_point(1 - a)
    lo, hi = mp.mpf(0), mp.sqrt(-2 * mp.log(a)) + 1
    for _ in range(200):
        mid = (lo + hi) / 2
        if Phi(-mid) > a:
            lo = mid
        else:
            hi = mid
    return (lo + hi) / 2


def rates(m, s, alpha, tails, side):
    """power, beta and the critical value shown (sign of the effect)."""
    if tails == 1:
        cv = upper_point(alpha)
        if side > 0:
            return Phi(-(cv - m) / s), Phi((cv - m) / s), cv
        return Phi((-cv - m) / s), Phi((m + cv) / s), -cv
    hi = upper_point(alpha / 2)
    power = Phi(-(hi - m) / s) + Phi((-hi - m) / s)
    beta = Phi((hi - m) / s) - Phi((-hi - m) / s)
    return power, beta, (hi if side >= 0 else -hi)


def fmt(x):
    if isinstance(x, str):
        return x
    if isinstance(x, (int, float)):
        return repr(x)
    return mp.nstr(mp.mpf(x), 15, strip_zeros=False, min_fixed=-4, max_fixed=6).replace(
        "e-0", "e-").replace("e+", "e")


def kv(pairs):
    return " ".join(f"{k}={fmt(v)}" for k, v in pairs)


def compromise(test, inputs, shift, q, tails, side):
    """shift(alpha) is not needed: m and s do not depend on alpha."""
    m, s = shift
    g = lambda la: mp.log(rates(m, s, mp.exp(la), tails, side)[1]) - mp.log(q) - la
    lo, hi = mp.log(mp.mpf("1e-99")), mp.log(mp.mpf("0.5"))
    if g(lo) < 0:
        print(f"{test}\tcompromise\tnone\t{kv(inputs)}\t")
        return
    assert g(hi) < 0, (test, inputs)
    for _ in range(200):
        mid = (lo + hi) / 2
        if g(mid) > 0:
            lo = mid
        else:
            hi = mid
    a = mp.exp((lo + hi) / 2)
    power, beta, cv = rates(m, s, a, tails, side)
    outputs = [("crit", cv), ("alpha", a), ("beta", beta), ("power", power)]
    print(f"{test}\tcompromise\t-1\t{kv(inputs)}\t{kv(outputs)}")


def tails_text(t):
    return "One" if t == 1 else "Two"


def generic(mu, sigma, q, tails):
    compromise(300, [("tails", tails_text(tails)), ("mu", mu), ("sigma", sigma), ("q", q)],
               (mp.mpf(mu), mp.mpf(sigma)), q, tails, mp.sign(mu))


def proportions(p1r, p2r, q, n1, n2, tails):
    p1, p2 = mp.mpf(p1r), mp.mpf(p2r)
    d = p2 - p1
    pb = (p1 * n1 + p2 * n2) / (n1 + n2)
    s0 = mp.sqrt(pb * (1 - pb) * (mp.mpf(1) / n1 + mp.mpf(1) / n2))
    s1 = mp.sqrt(p1 * (1 - p1) / n1 + p2 * (1 - p2) / n2)
    compromise(301, [("tails", tails_text(tails)), ("p2", p2r), ("p1", p1r), ("q", q), ("n1", n1),
                     ("n2", n2)], (d / s0, s1 / s0), q, tails, mp.sign(d))


def correlations(qr, q, n1, n2, tails):
    se = mp.sqrt(mp.mpf(1) / (n1 - 3) + mp.mpf(1) / (n2 - 3))
    compromise(302, [("tails", tails_text(tails)), ("qr", qr), ("q", q), ("n1", n1), ("n2", n2)],
               (mp.mpf(qr) / se, mp.mpf(1)), q, tails, mp.sign(qr))


def cov_nci(ab, cd, ac, ad, bc, bd):
    num = ((ac - ab * bc) * (bd - bc * cd) + (ad - ac * cd) * (bc - ab * ac)
           + (ac - ad * cd) * (bd - ab * ad) + (ad - ab * bd) * (bc - bd * cd)) / 2
    return num / ((1 - ab * ab) * (1 - cd * cd))


def cov_ci(ab, ac, bc):
    return ((bc * (1 - ab * ab - ac * ac) - ab * ac * (1 - ab * ab - ac * ac - bc * bc) / 2)
            / ((1 - ab * ab) * (1 - ac * ac)))


def dependent(test, er, q, n, tails, c):
    ab = mp.mpf(c[0])
    e = mp.mpf(er)
    if test == 307:
        _, ac, ad, bc, bd = map(mp.mpf, c)
        c0, c1 = cov_nci(ab, ab, ac, ad, bc, bd), cov_nci(ab, e, ac, ad, bc, bd)
        inputs = [("tails", tails_text(tails)), ("rcd1", er), ("q", q), ("size", n), ("rab", c[0]),
                  ("rac", c[1]), ("rad", c[2]), ("rbc", c[3]), ("rbd", c[4])]
    else:
        bc = mp.mpf(c[1])
        c0, c1 = cov_ci(ab, ab, bc), cov_ci(ab, e, bc)
        inputs = [("tails", tails_text(tails)), ("rac1", er), ("q", q), ("size", n),
                  ("rab", c[0]), ("rbc", c[1])]
    se0 = mp.sqrt((2 - 2 * c0) / (n - 3))
    se1 = mp.sqrt((2 - 2 * c1) / (n - 3))
    compromise(test, inputs, ((mp.atanh(e) - mp.atanh(ab)) / se0, se1 / se0), q, tails,
               mp.sign(e - ab))


print("# test\ttype\tstatus\tinputs\toutputs")
# Named: alpha 1.356875e-29 at critical z 11.23601, and 1.864340e-21 at 9.439975.
proportions(0.251, 0.702, 0.256, 626, 3454, 1)
dependent(306, 0.721, 0.707, 909, 1, (0.0324, 0.0317))
generic(25, 1, 1, 2)
generic(-30, 2, 0.5, 1)
# Far beyond any alpha down to 1e-99.
generic(40, 1, 1, 2)

random.seed(53)
for _ in range(3):
    tails = random.choice([1, 2])
    p1 = round(random.uniform(0.05, 0.5), 3)
    p2 = round(min(0.95, p1 + random.uniform(0.3, 0.5)), 3)
    proportions(p1, p2, round(random.uniform(0.2, 4), 3), random.randint(300, 1500),
                random.randint(300, 1500), tails)
    correlations(round(random.uniform(0.5, 1.0), 3), round(random.uniform(0.2, 4), 3),
                 random.randint(300, 1500), random.randint(300, 1500), tails)
    dependent(306, round(random.uniform(0.5, 0.8), 3), round(random.uniform(0.2, 4), 3),
              random.randint(300, 1500), tails, (round(random.uniform(0, 0.1), 3),
                                                 round(random.uniform(0, 0.1), 3)))
    dependent(307, round(random.uniform(0.6, 0.8), 3), round(random.uniform(0.2, 4), 3),
              random.randint(300, 1500), tails, (0.1, 0.3, 0.2, 0.2, 0.3))
