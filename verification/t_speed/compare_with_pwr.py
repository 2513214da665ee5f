#!/usr/bin/python3
"""Times the t-test benchmark (power/t/bench, a Release build) beside R's pwr
on the same works, two tails each, in one run: the two take turns for a few
rounds so that both meet the same load, and the medians over the rounds are
printed with their ratio (pwr time / our time; above 1 means faster than
pwr).

    verification/t_speed/compare_with_pwr.py [bench binary] [rounds]

The binary defaults to build/release/power/t/bench/quorix_power_t_bench
(cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release); rounds to 5.
Needs Rscript with the pwr package (r-cran-pwr)."""
import json
import os
import statistics
import subprocess
import sys

here = os.path.dirname(os.path.abspath(__file__))
root = os.path.dirname(os.path.dirname(here))
bench = sys.argv[1] if len(sys.argv) > 1 and sys.argv[1] else os.path.join(
    root, 'build', 'release', 'power', 't', 'bench', 'quorix_power_t_bench')
rounds = int(sys.argv[2]) if len(sys.argv) > 2 else 5

ours, theirs = {}, {}
for _ in range(rounds):
    out = subprocess.run([bench, '--benchmark_format=json', '--benchmark_min_time=0.2'],
                         check=True, capture_output=True, text=True).stdout
    for b in json.loads(out)['benchmarks']:
        scale = {'ns': 1e-3, 'us': 1.0, 'ms': 1e3, 's': 1e6}[b['time_unit']]
        ours.setdefault(b['name'], []).append(b['real_time'] * scale)
    out = subprocess.run(['Rscript', os.path.join(here, 'pwr_timing.R')],
                         check=True, capture_output=True, text=True).stdout
    for line in out.splitlines():
        name, micros = line.split('\t')
        theirs.setdefault(name, []).append(float(micros))

print('%-28s %12s %12s %8s' % ('work (two tails)', 'Quorix us', 'pwr us', 'ratio'))
for name in ours:
    q = statistics.median(ours[name])
    if name in theirs:
        p = statistics.median(theirs[name])
        print('%-28s %12.1f %12.1f %8.2f' % (name, q, p, p / q))
    else:
        print('%-28s %12.1f %12s %8s' % (name, q, '-', '-'))
