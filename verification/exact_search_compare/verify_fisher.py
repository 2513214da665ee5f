#!/usr/bin/python3
# Run: /usr/bin/python3 verify_fisher.py OLD NEW (outputs of compare for Fisher's test)
# Each Criterion difference of a design up to 400 subjects: the power at the
# new alpha reaches the target, one shown unit below it does not, and the
# actual power and alpha shown are those at it (exact rational enumeration).
import os, sys
HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, '..', 'fisher'))
from fisher_reference import exact
from compare_rows import check_rows, unit_below


def skip(line, ins):
    return (int(ins['Sample size group 1']) + int(ins['Sample size group 2']) > 400
            or 'approx1' in line)


def check(ins, new):
    design = (int(ins['Sample size group 1']), int(ins['Sample size group 2']),
              ins['Proportion p1'], ins['Proportion p2'])
    one = ins['Tail(s)'] == 'One'
    target = float(ins['Power (1-$\\beta$ err prob)'])
    shown = new['$\\alpha$ err prob']
    reach, size = exact(*design, shown, one)
    below, _ = exact(*design, str(unit_below(shown)), one)
    return (reach >= target > below and abs(reach - float(new['Actual power'])) < 1e-7
            and abs(size - float(new['Actual $\\alpha$'])) <= max(1e-7, size * 1e-6))


check_rows('Fisher Criterion',
           r'(Tail\(s\)|Proportion p1|Proportion p2|Power \(1-\$\\beta\$ err prob\)|'
           r'Sample size group 1|Sample size group 2)=(\S+)',
           r'(\$\\alpha\$ err prob|Actual power|Actual \$\\alpha\$)=(\S+)', skip, check, sys.argv)
