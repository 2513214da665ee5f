#!/usr/bin/python3
"""Times the exact correlation test and McNemar's exact power
(power/exact/bench/exact_peers_bench.cpp, a Release build) beside R's peers
on the same works in one run (peers_timing.R: pwr.r.test and SuppDists for
the correlation, a vectorised R sum for McNemar): they take turns for a few
rounds, pinned to one core, so that all meet the same load, and the medians
over the rounds are printed with the ratios (peer time / our time; above 1
means faster than the peer). With a second benchmark binary built from an
earlier commit, its times are shown beside ours.

    verification/exact_speed/compare_with_peers.py [bench binary] [rounds] [earlier binary]

The binary defaults to
build/release/power/exact/bench/quorix_power_exact_peers_bench
(cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release); rounds to 5.
Needs Rscript with r-cran-pwr and r-cran-suppdists; taskset (util-linux)."""
import json
import os
import statistics
import subprocess
import sys

here = os.path.dirname(os.path.abspath(__file__))
root = os.path.dirname(os.path.dirname(here))
bench = sys.argv[1] if len(sys.argv) > 1 and sys.argv[1] else os.path.join(
    root, 'build', 'release', 'power', 'exact', 'bench', 'quorix_power_exact_peers_bench')
rounds = int(sys.argv[2]) if len(sys.argv) > 2 else 5
earlier = sys.argv[3] if len(sys.argv) > 3 else None
core = str(max(os.sched_getaffinity(0)))


mine = {}


def run_bench(binary, into):
    out = subprocess.run(['taskset', '-c', core, binary, '--benchmark_format=json',
                          '--benchmark_min_time=0.2'],
                         check=True, capture_output=True, text=True).stdout
    for b in json.loads(out)['benchmarks']:
        scale = {'ns': 1e-3, 'us': 1.0, 'ms': 1e3, 's': 1e6}[b['time_unit']]
        into.setdefault(b['name'], []).append(b['cpu_time'] * scale)
        if into is ours and 'answer' in b:
            mine[b['name']] = '%.10g' % b['answer']


ours, before, peers, answers = {}, {}, {}, {}
for _ in range(rounds):
    run_bench(bench, ours)
    if earlier:
        run_bench(earlier, before)
    out = subprocess.run(['taskset', '-c', core, 'Rscript', os.path.join(here, 'peers_timing.R')],
                         check=True, capture_output=True, text=True).stdout
    for line in out.splitlines():
        name, peer, micros, answer = line.split('\t')
        peers.setdefault(name, {}).setdefault(peer, []).append(float(micros))
        answers[(name, peer)] = answer

head = '%-26s %12s %11s' % ('work (two tails)', 'answer', 'Quorix us')
if earlier:
    head += ' %11s %7s' % ('earlier us', 'gain')
print(head + '   peer: us, ratio, answer')
for name in ours:
    q = statistics.median(ours[name])
    line = '%-26s %12s %11.1f' % (name, mine.get(name, '-'), q)
    if earlier:
        b = statistics.median(before[name])
        line += ' %11.1f %7.1f' % (b, b / q)
    for peer, times in peers.get(name, {}).items():
        p = statistics.median(times)
        line += '   %s: %.1f, %.2f, %s' % (peer, p, p / q, answers[(name, peer)])
    print(line)
