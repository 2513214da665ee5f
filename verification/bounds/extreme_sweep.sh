#!/usr/bin/env bash
# Builds extreme_sweep against an optimised build of the distributions and
# runs it over every class, two at a time; prints the slow, timed-out and
# crashing calls.
#   verification/bounds/extreme_sweep.sh [build dir] [limit seconds]
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build="${1:-$root/build-bounds}"
limit="${2:-1}"
cmake --build "$build" --target quorix_distributions quorix_numerics -j3 > /dev/null
g++ -std=c++20 -O2 -I"$root" "$root/verification/bounds/extreme_sweep.cpp" \
  "$build/distributions/libquorix_distributions.a" "$build/numerics/libquorix_numerics.a" \
  $(pkg-config --libs gsl) -llapack -lblas -o "$build/extreme_sweep"
classes="beta binomial chi exponential uniform lognormal laplace corr f hypergeometric mrc normal poisson t bivariate"
printf '%s\n' $classes | xargs -P2 -I{} "$build/extreme_sweep" {} "$limit"
