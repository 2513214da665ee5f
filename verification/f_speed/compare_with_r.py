#!/usr/bin/python3
"""Times the benchmark of the test of R^2 in the fixed regression model
(power/f/bench, a Release build) beside R's route on the same works in one
run (r_timing.R: pwr.f2.test, and uniroot over it for Compromise): the two
take turns for a few rounds, pinned to one core, so that both meet the same
load; CPU times, medians over the rounds, and the ratio our time / R's time
(below 0.5 means more than twice as fast). With a second benchmark binary
built from an earlier commit, its times are shown beside ours.

    verification/f_speed/compare_with_r.py [bench binary] [rounds] [earlier binary]

The binary defaults to build/release/power/f/bench/quorix_power_f_bench
(cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release); rounds to 5.
Needs Rscript with r-cran-pwr; taskset (util-linux)."""
import json
import os
import statistics
import subprocess
import sys

here = os.path.dirname(os.path.abspath(__file__))
root = os.path.dirname(os.path.dirname(here))
bench = sys.argv[1] if len(sys.argv) > 1 and sys.argv[1] else os.path.join(
    root, 'build', 'release', 'power', 'f', 'bench', 'quorix_power_f_bench')
rounds = int(sys.argv[2]) if len(sys.argv) > 2 else 5
earlier = sys.argv[3] if len(sys.argv) > 3 else None
core = str(max(os.sched_getaffinity(0)))


def run_bench(binary, into):
    out = subprocess.run(['taskset', '-c', core, binary, '--benchmark_format=json',
                          '--benchmark_min_time=0.2'],
                         check=True, capture_output=True, text=True).stdout
    for b in json.loads(out)['benchmarks']:
        scale = {'ns': 1e-3, 'us': 1.0, 'ms': 1e3, 's': 1e6}[b['time_unit']]
        into.setdefault(b['name'], []).append(b['cpu_time'] * scale)


ours, before, theirs, answers = {}, {}, {}, {}
for _ in range(rounds):
    run_bench(bench, ours)
    if earlier:
        run_bench(earlier, before)
    out = subprocess.run(['taskset', '-c', core, 'Rscript', os.path.join(here, 'r_timing.R')],
                         check=True, capture_output=True, text=True).stdout
    for line in out.splitlines():
        name, micros, answer = line.split('\t')
        theirs.setdefault(name, []).append(float(micros))
        answers[name] = answer

head = '%-26s %12s %11s' % ('work', 'R answer', 'Quorix us')
if earlier:
    head += ' %11s' % 'earlier us'
print(head + ' %9s %7s' % ('R us', 'ratio'))
for name in ours:
    q = statistics.median(ours[name])
    line = '%-26s %12s %11.1f' % (name, answers.get(name, '-'), q)
    if earlier:
        line += ' %11.1f' % statistics.median(before[name])
    if name in theirs:
        r = statistics.median(theirs[name])
        line += ' %9.1f %7.2f' % (r, q / r)
    print(line)
