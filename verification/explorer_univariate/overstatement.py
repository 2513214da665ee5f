#!/usr/bin/python3
"""How far the "G-G" and "H-F" rows overstate the power of the real
epsilon-hat-corrected tests, by simulation of the data (numpy, scipy and
mpmath only; the helpers are those of simulate.py, which is independent of
the C++ code).

The rows put the expected Greenhouse-Geisser and Huynh-Feldt estimates
into the critical degrees of freedom; the real procedure estimates epsilon
from each data set. Design: 2 equal groups measured at 5 times, AR(1)
correlation 0.8 with standard deviations 1, 1.25, ..., 2; the hypothesis
is the group x time interaction on the orthonormal polynomial contrasts of
the times, the second group rising linearly to `delta` above the first.
For each N the simulation draws DRAWS data sets, estimates epsilon from
each and rejects as the real tests do; "program" is the row's power as the
program computes it (Imhof's inversion at the expected estimates,
simulate.exact_power). Writes overstatement.tsv; docs/explorer.md quotes it.

    cd verification/explorer_univariate && /usr/bin/python3 overstatement.py
"""
import sys

import numpy as np

import simulate as S

SEED = 20261211
DRAWS = 200000
CASES = ((12, 1.5), (16, 1.5), (20, 1.5), (80, 0.6))


def main():
    S.DRAWS = DRAWS
    rng = np.random.default_rng(SEED)
    sd = np.linspace(1.0, 2.0, 5)
    sigma = S.ar1(5, 0.8) * np.outer(sd, sd)
    lines = ["\t".join(["N", "delta", "eps", "row", "program", "real", "real_se", "excess"])]
    for n, delta in CASES:
        means = np.array([np.zeros(5), delta * np.linspace(0.0, 1.0, 5)])
        d = dict(name="ar1_sd", sizes=[n // 2, n // 2], sigma=sigma, means=means)
        q = S.model_quantities(d)
        b = q["b"]
        psi = np.linalg.eigvalsh(q["A"].T @ sigma @ q["A"])
        egg, ehf = S.expected_epsilons(psi, q["N"], q["nu"])
        egg, ehf = min(max(egg, 1 / b), 1.0), min(max(ehf, 1 / b), 1.0)
        sim = S.simulate(d, q, rng)
        for row, scale in (("Unc", 1.0), ("G-G", egg), ("H-F", ehf), ("Box", 1.0 / b)):
            program = S.exact_power(d, q, scale)
            real, se = sim[row]
            print("N=%3d %-4s program %.4f real %.4f +- %.4f excess %+.4f" % (
                n, row, program, real, se, program - real))
            sys.stdout.flush()
            lines.append("\t".join([str(n), "%g" % delta, "%.6f" % q["eps"], row,
                                    "%.6f" % program, "%.6f" % real, "%.6f" % se,
                                    "%+.6f" % (program - real)]))
    with open("overstatement.tsv", "w") as out:
        out.write("# Written by overstatement.py (seed %d, %d data sets per N).\n" % (SEED, DRAWS))
        out.write("\n".join(lines) + "\n")


if __name__ == "__main__":
    main()
