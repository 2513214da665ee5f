#!/usr/bin/python3
# Run: /usr/bin/python3 verify_mcnemar_balancing.py OLD NEW
# (outputs of `exact_compare COUNT mcnemar SEED` before and after a change.)
# Each Post hoc, A priori and Criterion line of McNemar's exact power that
# differs, up to N 100,000, is checked by the exact McNemar power of
# ../exact_edges/mcnemar_sensitivity.py (ties of balancing 2 decided
# exactly, to the upper region):
#   Post hoc: the power and the actual alpha shown are those at the inputs;
#   A priori: at the N shown the power reaches the target, at N - 1 it does
#   not, and the actual power and alpha shown are those at N;
#   Criterion: at the alpha shown the power reaches the target and is the
#   actual power shown; 'not-smallest' where one unit of its last digit
#   below, the power still reaches it.
import os
import re
import sys
from fractions import Fraction
from multiprocessing import Pool

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, '..', 'exact_edges'))
import mcnemar_sensitivity as M  # noqa: E402
from compare_rows import unit_below  # noqa: E402

INPUTS = (r'(Tail\(s\)|Odds ratio|\$\\alpha\$ err prob|Power \(1-\$\\beta\$ err prob\)|'
          r'Total sample size|Prop discordant pairs)=(\S+)')
OUTPUTS = (r'(Total sample size|Power \(1-\$\\beta\$ err prob\)|Actual power|'
           r'Actual \$\\alpha\$|\$\\alpha\$ err prob)=(\S+)')
LIMIT = 100000


def shown_near(text, value):
    x = Fraction(text)
    return abs(x - Fraction(value)) <= M.unit(abs(x)) * Fraction(51, 100)


def model(n, ins, method, alpha=None):
    odds = float(ins['Odds ratio'])
    alpha = ins['$\\alpha$ err prob'] if alpha is None else alpha
    return M.McNemar(n, ins['Prop discordant pairs'], alpha, ins['Tail(s)'] == 'One', method,
                     odds >= 1.0), odds


def check(line):
    kind = re.search(r' t(\d) ', line).group(1)
    method = int(re.search(r'bal(\d)', line).group(1))
    ins = dict(re.findall(INPUTS, line.split('|')[0]))
    out = dict(re.findall(OUTPUTS, line.split('|', 1)[1]))
    if kind == '2':
        n = int(ins['Total sample size'])
        if n > LIMIT:
            return 'skipped', line
        m, odds = model(n, ins, method)
        ok = shown_near(out['Power (1-$\\beta$ err prob)'], m.power(odds)) \
            and shown_near(out['Actual $\\alpha$'], m.size)
        return ('ok' if ok else 'bad'), line
    if kind == '0':
        n = int(out['Total sample size'])
        if n > LIMIT:
            return 'skipped', line
        target = float(ins['Power (1-$\\beta$ err prob)'])
        m, odds = model(n, ins, method)
        before, _ = model(n - 1, ins, method)
        ok = m.power(odds) >= target > before.power(odds) \
            and shown_near(out['Actual power'], m.power(odds)) \
            and shown_near(out['Actual $\\alpha$'], m.size)
        return ('ok' if ok else 'bad'), line
    if kind == '3':
        n = int(ins['Total sample size'])
        if n > LIMIT:
            return 'skipped', line
        target = float(ins['Power (1-$\\beta$ err prob)'])
        shown = out['$\\alpha$ err prob']
        m, odds = model(n, ins, method, Fraction(shown))
        below, _ = model(n, ins, method, unit_below(shown))
        if not (m.power(odds) >= target and shown_near(out['Actual power'], m.power(odds))):
            return 'bad', line
        # Under balancing 2 the power need not rise with alpha: the search
        # may stop at a step above a smaller alpha that reaches the target.
        return ('ok' if below.power(odds) < target else 'not-smallest'), line
    return 'skipped', line


def main(argv):
    old = open(argv[1]).read().splitlines()
    new = open(argv[2]).read().splitlines()
    jobs = [b for a, b in zip(old, new)
            if a != b and 'approx0' in b and 'status -1' in b and re.search(r' t[023] ', b)]
    tally = {}
    with Pool(3) as pool:
        for kind, line in pool.imap_unordered(check, jobs):
            tally[kind] = tally.get(kind, 0) + 1
            if kind in ('bad', 'not-smallest'):
                print(kind.upper(), line[:300])
    print(f'McNemar exact Post hoc, A priori and Criterion differences: {len(jobs)}; {tally}')


if __name__ == '__main__':
    main(sys.argv)
