#!/usr/bin/python3
"""Times the logistic and the Poisson regression test in every analysis type
and covariate distribution (power/z/bench/regression_peers_bench.cpp, a
Release build) beside a plain R route on the same works (peers_timing.R:
the slope variances by integrate, then the power in closed form, N by a
search over the whole numbers, the other answers by uniroot). They take
turns for a few rounds, pinned to one core, so that both meet the same
load; the medians over the rounds are printed with the ratio (R time / our
time; 2 or more is the goal) and both answers with the number of
significant digits in which they agree (N must be the same; the power at it
then counts). With a second benchmark binary built from an earlier commit,
its times are shown beside ours.

    verification/regression_speed/compare_with_peers.py [bench binary] [rounds] [filter]
        [earlier binary]

The binary defaults to
build/release/power/z/bench/quorix_power_z_regression_bench
(cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release); rounds to 3.
Needs Rscript (r-base-core) and taskset (util-linux)."""
import json
import math
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
only = sys.argv[3] if len(sys.argv) > 3 and sys.argv[3] else '.'
earlier = sys.argv[4] if len(sys.argv) > 4 else None
core = str(max(os.sched_getaffinity(0)))

ours, before, peer, mine, theirs, given = {}, {}, {}, {}, {}, {}


def run_bench(binary, into):
    out = subprocess.run(['taskset', '-c', core, binary, '--benchmark_format=json',
                          '--benchmark_min_time=0.2', '--benchmark_filter=' + only],
                         check=True, capture_output=True, text=True).stdout
    for b in json.loads(out)['benchmarks']:
        scale = {'ns': 1e-3, 'us': 1.0, 'ms': 1e3, 's': 1e6}[b['time_unit']]
        into.setdefault(b['name'], []).append(b['cpu_time'] * scale)
        if into is ours:
            mine[b['name']] = [b['answer']] + ([b['power']] if 'power' in b else [])
            given[b['name']] = int(b['n'])


for _ in range(rounds):
    run_bench(bench, ours)
    if earlier:
        run_bench(earlier, before)
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


def digits(a, b):
    """The significant digits in which two answers agree: N must be the same
    number, then the power at it (A priori) or the answer counts."""
    if len(a) > 1 and a[0] != b[0]:
        return 0.0
    x, y = a[-1], b[-1]
    if x == y:
        return 17.0
    return max(0.0, -math.log10(abs(x - y) / abs(y)))


head = '%-32s %10s' % ('work (two tails)', 'Quorix us')
if earlier:
    head += ' %10s' % 'earlier us'
print(head + ' %10s %7s  %-26s %-26s %s' % ('R us', 'ratio', 'Quorix answer', 'R answer', 'digits'))
worst = None
for name in ours:
    q = statistics.median(ours[name])
    r = statistics.median(peer[name])
    worst = min(worst, r / q) if worst else r / q
    a = ' '.join('%.10g' % x for x in mine[name])
    b = ' '.join('%.10g' % x for x in theirs[name])
    line = '%-32s %10.1f' % (name, q)
    if earlier:
        line += ' %10.1f' % statistics.median(before[name])
    print(line + ' %10.1f %7.2f  %-26s %-26s %4.1f' %
          (r, r / q, a, b, digits(mine[name], theirs[name])))
print('smallest ratio: %.2f' % worst)
