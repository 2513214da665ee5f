#!/usr/bin/python3
# Run: /usr/bin/python3 verify_mcnemar.py OLD NEW (outputs of compare for McNemar's test)
# Each Criterion difference of the exact power (alpha/2 on each side, N up
# to 400, one tail only for OR > 1): as verify_fisher.py, with the exact
# McNemar power of ../exact_edges, at the alphas as exact fractions.
import os, sys
HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, '..', 'exact_edges'))
from fractions import Fraction
import exact_edges_reference as E
import mpmath as mp
from compare_rows import check_rows, unit_below


def skip(line, ins):
    return (int(ins['Total sample size']) > 400 or 'approx1' in line or 'bal0' not in line
            or (ins['Tail(s)'] == 'One' and float(ins['Odds ratio']) < 1))


def check(ins, new):
    m = E.ExactMcNemar(int(ins['Total sample size']), ins['Prop discordant pairs'],
                       ins['Odds ratio'], ins['Tail(s)'] == 'One')
    target = mp.mpf(ins['Power (1-$\\beta$ err prob)'])
    shown = new['$\\alpha$ err prob']
    reach, _ = m.power(Fraction(shown))
    below, _ = m.power(unit_below(shown))
    return reach >= target > below and abs(reach - mp.mpf(new['Actual power'])) < 1e-7


check_rows('McNemar exact Criterion',
           r'(Tail\(s\)|Odds ratio|Prop discordant pairs|Power \(1-\$\\beta\$ err prob\)|'
           r'Total sample size)=(\S+)',
           r'(\$\\alpha\$ err prob|Actual power)=(\S+)', skip, check, sys.argv)
