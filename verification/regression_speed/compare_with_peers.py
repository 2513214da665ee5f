#!/usr/bin/python3
"""Times the logistic and the Poisson regression test in every analysis type
and covariate distribution (power/z/bench/regression_peers_bench.cpp, a
Release build) beside a plain R route on the same works (peers_timing.R:
the slope variances by integrate, then the power in closed form, N by a
search over the whole numbers, the other answers by uniroot). They take
turns for a few rounds, pinned to one core, so that both meet the same
load; the medians over the rounds are printed with the ratio (R time / our
time; 2 or more is the goal) and both answers, which must agree: N exactly,
the power to 9 digits, alpha and the effect to 6.

    verification/regression_speed/compare_with_peers.py [bench binary] [rounds] [filter]

The binary defaults to
build/release/power/z/bench/quorix_power_z_regression_bench
(cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release); rounds to 3.
Needs Rscript (r-base-core) and taskset (util-linux)."""
import json
import os
import statistics
import subprocess
import sys
import tempfile

here = os.path.dirname(os.path.abspath(__file__))
root = os.path.dirname(os.path.dirname(here))
bench = sys.argv[1] if len(sys.argv) > 1 and sys.argv[1] else os.path.join(
    root, 'build', 'release', 'power', 'z', 'bench', 'quorix_power_z_regression_bench')
rounds = int(sys.argv[2]) if len(sys.argv) > 2 else 3
only = sys.argv[3] if len(sys.argv) > 3 else '.'
core = str(max(os.sched_getaffinity(0)))

ours, peer, mine, theirs, given = {}, {}, {}, {}, {}
for _ in range(rounds):
    out = subprocess.run(['taskset', '-c', core, bench, '--benchmark_format=json',
                          '--benchmark_min_time=0.2', '--benchmark_filter=' + only],
                         check=True, capture_output=True, text=True).stdout
    for b in json.loads(out)['benchmarks']:
        scale = {'ns': 1e-3, 'us': 1.0, 'ms': 1e3, 's': 1e6}[b['time_unit']]
        ours.setdefault(b['name'], []).append(b['cpu_time'] * scale)
        mine[b['name']] = [b['answer']] + ([b['power']] if 'power' in b else [])
        given[b['name']] = int(b['n'])
    with tempfile.NamedTemporaryFile('w', suffix='.tsv', delete=False) as works:
        for name, n in given.items():
            works.write('%s\t%d\n' % (name, n))
    out = subprocess.run(['taskset', '-c', core, 'Rscript', os.path.join(here, 'peers_timing.R'),
                          works.name], check=True, capture_output=True, text=True).stdout
    os.unlink(works.name)
    for line in out.splitlines():
        fields = line.split('\t')
        peer.setdefault(fields[0], []).append(float(fields[1]))
        theirs[fields[0]] = [float(x) for x in fields[2:]]


def agree(name, a, b):
    kind = name.split('/')[1]
    if kind == 'APriori':
        return a[0] == b[0] and abs(a[1] - b[1]) <= 5e-10 * abs(b[1])
    digits = 5e-10 if kind == 'PostHoc' else 5e-7
    return abs(a[0] - b[0]) <= digits * abs(b[0])


print('%-32s %10s %10s %7s  %-26s %-26s %s' % ('work (two tails)', 'Quorix us', 'R us', 'ratio',
                                              'Quorix answer', 'R answer', 'same'))
worst = None
for name in ours:
    q = statistics.median(ours[name])
    r = statistics.median(peer[name])
    worst = min(worst, r / q) if worst else r / q
    a = ' '.join('%.10g' % x for x in mine[name])
    b = ' '.join('%.10g' % x for x in theirs[name])
    print('%-32s %10.1f %10.1f %7.2f  %-26s %-26s %s' %
          (name, q, r, r / q, a, b, 'yes' if agree(name, mine[name], theirs[name]) else 'NO'))
print('smallest ratio: %.2f' % worst)
