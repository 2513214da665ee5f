#!/usr/bin/python3
"""Post hoc of the unconditional exact tests of two proportions (607, the
test of equality, and 608, the test with an offset) where the power lies far
below 1e-6: 1 less the accepted mass, a sum near 1, would keep only the
rounding of that sum (a power of 0 beside a size of 8e-42, or 2.6e-15 where
1.6e-66 is right). The designs are random cases of the old-against-new
comparison of the program whose shown power differed.

    /usr/bin/python3 uncond_small_power_reference.py > uncond_small_power_reference.tsv

Every outcome (x1, x2) is visited by ../unconditional/enumeration_reference.py,
whose statistics are written from their definitions: the power and the size
are the binomial masses summed over the rejected outcomes (math.fsum).
"""
import os
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "unconditional"))
import enumeration_reference as enum  # noqa: E402

# (index, code, tails, H1 value, H0 value, p2, alpha, n1, n2) of 608.
OFFSET = [
    (1, 0, "One", 0.1509, 0.07897, 0.3643, 1.565e-07, 6, 1340),
    (0, 1, "One", 0.005, 0.155, 0.1997, 0.001123, 30, 542),
    (0, 7, "Two", 0.5198, 0.5007, 0.6768, 0.0002235, 10, 1228),
    (2, 10, "One", 0.2245, 0.5854, 0.03416, 0.02559, 3, 30),
    (3, 13, "One", 0.7337, 1.118, 0.5861, 1.06e-07, 8, 242),
]
# (code, tails, p1, p2, alpha, n1, n2) of 607; p1 as the program reads the
# difference -0.04945 and the ratio 0.8123 at their p2.
NULL = [
    (4, "One", 0.3859 - 0.04945, 0.3859, 3.719e-05, 603, 5),
    (4, "One", 0.8123 * 0.5502, 0.5502, 1.06e-07, 8, 242),
    (5, "One", 0.8123 * 0.5502, 0.5502, 1.06e-07, 8, 242),
]


def main():
    print("# test\ttype\tstatus\tinputs\toutputs")
    print("# written by uncond_small_power_reference.py: every outcome enumerated; stat is")
    print("# the statistic code, index the effect measure")
    rows = [enum.offset_row(*case) for case in OFFSET]
    rows += [enum.null_row(*case) for case in NULL]
    for test, kind, inputs, outputs in rows:
        print(f"{test}\t{kind}\t-1\t{inputs}\t{outputs}")


if __name__ == "__main__":
    main()
