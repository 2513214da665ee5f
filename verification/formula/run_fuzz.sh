#!/usr/bin/env bash
# Builds the formula fuzz target with clang's libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer, and runs it for a bounded time.
#   verification/formula/run_fuzz.sh [seconds]   (default 30)
# The formula code, the distributions and the numerical routines beneath
# them are compiled directly (the matrix code is not needed).
set -euo pipefail
seconds="${1:-30}"
root=$(cd "$(dirname "$0")/../.." && pwd)
build="$root/build-fuzz"
mkdir -p "$build"
flags="-std=c++20 -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined -g -O1"
sources=("$root"/analysis/{formula,formula_functions,avl_tree,property,property_input}.cpp)
for f in "$root"/distributions/*.cpp "$root"/numerics/*.cpp; do
  case "$f" in
    *_test.cpp|*/matrix.cpp|*/glm_fitter.cpp) ;;
    *) sources+=("$f") ;;
  esac
done
clang++ $flags -I"$root" "$root/verification/formula/fuzz_formula.cpp" "${sources[@]}" \
  $(pkg-config --libs gsl) -o "$build/fuzz_formula"
corpus="$build/formula_corpus"
mkdir -p "$corpus"
seeds=("2^3^2" "-2^2" "8-2*3-1" "atan2(1,2)" "normcdf(1,0,1)" "2*(x+-y)/n2" "uround(7,5)" "1e-3" "sin(" "((1)")
for i in "${!seeds[@]}"; do printf '%s' "${seeds[$i]}" > "$corpus/seed$i"; done
# The evaluator writes its messages to standard output; keep the run quiet.
"$build/fuzz_formula" -max_total_time="$seconds" -max_len=256 -timeout=10 -dict="$root/verification/formula/formula.dict" "$corpus" > "$build/fuzz_formula.out" 2>&1 \
  || { tail -60 "$build/fuzz_formula.out"; exit 1; }
grep -E "^Done" "$build/fuzz_formula.out"
