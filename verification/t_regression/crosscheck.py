#!/usr/bin/python3
"""Second opinion on cases.tsv from SciPy's noncentral t (an implementation
independent of R's pt/qt). Every row is checked by what its numbers must
satisfy: the noncentrality, df and critical value of its design, the power
at the given or solved quantities, and that a solved quantity meets its
target (power, beta/alpha ratio, or for A priori the requested power).

    /usr/bin/python3 crosscheck.py cases.tsv
"""
import math
import sys

from scipy import stats

TOL = 1e-8  # SciPy's central t quantile is good to about 3e-9 here


def pairs(field):
    return dict(item.split("=", 1) for item in field.split())


def num(d, key):
    return float(d[key])


def power_t(delta, df, alpha, tails, side):
    upper = stats.nct.sf(stats.t.isf(alpha / tails, df), df, delta)
    lower = stats.nct.cdf(stats.t.ppf(alpha / tails, df), df, delta)
    if tails == 2:
        return upper + lower
    return upper if side > 0 else lower


def crit_t(df, alpha, tails, side):
    return stats.t.isf(alpha / tails, df) if side > 0 else stats.t.ppf(alpha / tails, df)


def design(test, given, solved):
    """(ncp, df, side) of a row, the solved quantity taking the place of the
    input it stands for."""
    v = dict(given)
    v.update(solved)
    g = lambda k: float(v[k])
    if test == 202:
        rho, n = g("absrho"), g("n")
        return math.sqrt(rho * rho * n / (1 - rho * rho)), n - 2, 1
    if test == 210:
        return math.sqrt(g("f2") * g("n")), g("n") - g("preds") - 1, 1
    if test == 211:
        b, b0, sx, sy, n = g("b1"), g("b0"), g("sx"), g("sy"), g("n")
        sigma = math.sqrt(sy * sy - (b * sx) ** 2)
        return math.sqrt(n) * sx * (b - b0) / sigma, n - 2, 1 if b - b0 > 0 else -1
    n1, n2, sd, sx1, sx2 = g("n1"), g("n2"), g("sd"), g("sx1"), g("sx2")
    if test == 208:
        d, var = g("dslope"), 1 / (n1 * sx1 ** 2) + 1 / (n2 * sx2 ** 2)
    else:
        d = g("dint")
        var = (1 + g("mx1") ** 2 / sx1 ** 2) / n1 + (1 + g("mx2") ** 2 / sx2 ** 2) / n2
    return d / (sd * math.sqrt(var)), n1 + n2 - 4, 1 if d >= 0 else -1


def close(a, b, what, line):
    if not abs(a - b) <= TOL * max(1.0, abs(b)):
        raise SystemExit(f"{what}: {a!r} vs {b!r}\n{line}")


def check(line):
    test, kind, _, given, expected = line.rstrip("\n").split("\t")
    test, given, out = int(test), pairs(given), pairs(expected)
    tails = 1 if given["tails"] == "One" else 2
    solved = {k: out[k] for k in ("n", "n1", "n2", "absrho", "f2", "b1", "dslope", "dint")
              if k in out and k not in given}
    ncp, df, side = design(test, given, solved)
    alpha = num(out, "alpha") if "alpha" in out else num(given, "alpha")
    close(num(out, "ncp"), ncp, "ncp", line)
    close(num(out, "df"), df, "df", line)
    close(num(out, "crit"), crit_t(df, alpha, tails, side), "crit", line)
    pw = power_t(ncp, df, alpha, tails, side)
    if kind == "apriori":
        close(num(out, "actual"), pw, "actual power", line)
        assert pw >= num(given, "power"), line
    elif kind in ("sensitivity", "criterion"):
        close(pw, num(given, "power"), "power at the solution", line)
    elif kind == "posthoc":
        close(num(out, "power"), pw, "power", line)
    else:
        close(num(out, "power"), pw, "power", line)
        close((1 - pw) / alpha, num(given, "q"), "beta/alpha", line)


rows = 0
with open(sys.argv[1]) as table:
    for line in table:
        if line.strip() and not line.startswith("#"):
            check(line)
            rows += 1
print(f"{rows} rows agree")
