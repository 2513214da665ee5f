#!/usr/bin/python3
# Run: /usr/bin/python3 verify_mcnemar_sensitivity.py OLD NEW [all]
# (outputs of `compare COUNT mcnemar SEED sensitivity` before and after a
# change). Each Sensitivity case of the exact power whose line differs (with
# `all`, every case of the exact power that has an answer) is checked by the
# exact McNemar power of ../exact_edges/mcnemar_sensitivity.py, every
# balancing and either tail (ties of balancing 2 decided exactly, to the
# upper region): the odds ratio shown is the root of the power less the
# target on the side of the null the search starts on, rounded to the
# digits the row shows, and the actual alpha, p12 and p21 are those at it,
# to the digits shown.
import os
import re
import sys
from fractions import Fraction
from multiprocessing import Pool

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, '..', 'exact_edges'))
import mcnemar_sensitivity as M  # noqa: E402

INPUTS = (r'(Tail\(s\)|\$\\alpha\$ err prob|Power \(1-\$\\beta\$ err prob\)|Total sample size|'
          r'Prop discordant pairs)=(\S+)')
OUTPUTS = r'(Odds ratio|Actual \$\\alpha\$|Proportion p12|Proportion p21)=(\S+)'


def shown_near(text, value):
    """Whether the output text shows value to its digits (half a unit and a
    little for the reference's own rounding)."""
    x = Fraction(text)
    return abs(x - Fraction(value)) <= M.unit(abs(x)) * Fraction(51, 100)


def check(job):
    """'ok', 'near' (confirmed, the root within 1e-11 of a rounding boundary),
    'tie' (not confirmed, and balancing 2 meets next counts of equal
    probability: the regions themselves are in question, not the search),
    'bad' or 'ref-none'; the line and a note."""
    kind, line, note = check_with(job, True)
    if kind == 'bad' and 'ties' in note:
        return 'tie', line, note
    return kind, line, note


def check_with(job, tie_upper):
    line, ins, out = job
    method = int(re.search(r'bal(\d)', line).group(1))
    n = int(ins['Total sample size'])
    pd = float(ins['Prop discordant pairs'])
    target = float(ins['Power (1-$\\beta$ err prob)'])
    ties = []
    try:
        root, shown, reach, size, margin = M.sensitivity(
            n, pd, ins['$\\alpha$ err prob'], target, ins['Tail(s)'] == 'One', method,
            tie_upper=tie_upper, ties=ties)
    except ValueError as e:
        return 'ref-none', line, str(e)
    if 'Odds ratio' not in out:
        return 'bad', line, f'no answer; reference {float(shown)}'
    # The proportions are those at the root itself, rounded on their own.
    orv = root
    ok = (Fraction(out['Odds ratio']) == shown
          and shown_near(out['Actual $\\alpha$'], size)
          and shown_near(out['Proportion p12'], pd * orv / (orv + 1))
          and shown_near(out['Proportion p21'], pd / (orv + 1)))
    note = f'root {root!r} shown {float(shown)} margin {margin:.2e}'
    if ties:
        note += f' ties at {len(ties)} numbers of pairs'

    if ok and margin < 1e-11:
        return 'near', line, note
    return ('ok' if ok else 'bad'), line, note


def main(argv):
    with open(argv[1]) as f:
        old = f.read().splitlines()
    with open(argv[2]) as f:
        new = f.read().splitlines()
    every = len(argv) > 3 and argv[3] == 'all'
    jobs = []
    for a, b in zip(old, new):
        if (a == b and not every) or 'approx0' not in b or 'status -1' not in b:
            continue
        ins = dict(re.findall(INPUTS, b.split('|')[0]))
        out = dict(re.findall(OUTPUTS, b.split('|', 1)[1]))
        jobs.append((b, ins, out))
    tally = {}
    with Pool(3) as pool:
        for kind, line, note in pool.imap_unordered(check, jobs):
            tally[kind] = tally.get(kind, 0) + 1
            if kind != 'ok':
                print(kind.upper(), note, line[:300])
    changed = sum(1 for a, b in zip(old, new) if a != b)
    print(f'McNemar exact Sensitivity: {changed} lines differ; checked {len(jobs)}: {tally}')


if __name__ == '__main__':
    main(sys.argv)
