#!/usr/bin/python3
# Run: /usr/bin/python3 verify_mcnemar.py OLD NEW (outputs of compare for McNemar's test)
# Each Criterion difference of the exact power (alpha/2 on each side, N up
# to 400, one tail only for OR > 1): as verify_fisher.py, with the exact
# McNemar power of ../exact_edges. A tie at an alpha that is a dyadic
# fraction is best checked with that alpha as a Fraction.
import os, re, sys, math, time
HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, '..', 'exact_edges'))
import exact_edges_reference as E
import mpmath as mp
IN = r'(Tail\(s\)|Odds ratio|Prop discordant pairs|Power \(1-\$\\beta\$ err prob\)|Total sample size)=(\S+)'
OUT = r'(\$\\alpha\$ err prob|Actual power)=(\S+)'
old = open(sys.argv[1]).read().splitlines()
new = open(sys.argv[2]).read().splitlines()
ok = bad = skipped = 0
t0 = time.time()
for a, b in zip(old, new):
    if a == b: continue
    ins = dict(re.findall(IN, a.split('|')[0]))
    n = int(ins['Total sample size'])
    if n > 400 or 'approx1' in a or 'bal0' not in a or (ins['Tail(s)'] == 'One' and float(ins['Odds ratio']) < 1): skipped += 1; continue
    fa = dict(re.findall(OUT, a.split('|', 1)[1])); fb = dict(re.findall(OUT, b.split('|', 1)[1]))
    one = ins['Tail(s)'] == 'One'
    target = mp.mpf(ins['Power (1-$\\beta$ err prob)'])
    m = E.ExactMcNemar(n, ins['Prop discordant pairs'], ins['Odds ratio'], one)
    newA = mp.mpf(fb['$\\alpha$ err prob'])
    x = float(newA)
    unit = 1e-7 if 0.01 < x < 100 else 10 ** (math.floor(math.log10(x)) - 6)
    pn, _ = m.power(newA)
    pb, _ = m.power(newA - mp.mpf(unit))
    good = pn >= target and pb < target and abs(pn - mp.mpf(fb['Actual power'])) < 1e-7
    if good: ok += 1
    else:
        bad += 1
        if bad < 40: print('BAD', a[:260], '\n  new', b.split('|')[1][:150], pn, pb)
print('mcnemar exact criterion differences confirmed:', ok, 'not confirmed:', bad, 'not checked:', skipped, round(time.time() - t0), 's')
