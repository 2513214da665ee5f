#!/usr/bin/env bash
# Builds the formula fuzz target with clang's libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer (float-cast-overflow included), and runs it for a
# bounded time.
#   verification/formula/run_fuzz.sh [seconds] [seed]   (default 30, random)
# The formula code, the distributions and the numerical routines beneath
# them are compiled directly (the matrix code is not needed), one object per
# source in parallel and through ccache when it is installed. The test
# command runs it with a fixed seed, so that a run repeats the same inputs.
set -euo pipefail
seconds="${1:-30}"
seed="${2:-0}"
root=$(cd "$(dirname "$0")/../.." && pwd)
build="$root/build-fuzz"
objects="$build/objects"
mkdir -p "$objects"
flags=(-std=c++20 -fsanitize=fuzzer-no-link,address,undefined,float-cast-overflow
       -fno-sanitize-recover=undefined,float-cast-overflow -g -O1 -I"$root")
sources=("$root"/analysis/{formula,formula_functions,avl_tree,property,property_input}.cpp)
for f in "$root"/distributions/*.cpp "$root"/numerics/*.cpp; do
  case "$f" in
    # The fuzz target links GSL itself, not through the program's deferred loading.
    *_test.cpp|*/matrix.cpp|*/glm_fitter.cpp|*/deferred_libraries.cpp) ;;
    *) sources+=("$f") ;;
  esac
done
compiler=(clang++)
if command -v ccache > /dev/null; then
  compiler=(ccache clang++)
  export CCACHE_DIR="${CCACHE_DIR:-$HOME/.cache/quorix-ccache}" CCACHE_BASEDIR="$root" CCACHE_NOHASHDIR=1
fi
# One object per source, named after its folder and file.
printf '%s\n' "${sources[@]}" | xargs -P "$(nproc)" -I{} sh -c \
  'f="$1"; shift; o="$(basename "$(dirname "$f")")_$(basename "$f" .cpp).o"; "$@" -c "$f" -o "'"$objects"'/$o"' \
  sh {} "${compiler[@]}" "${flags[@]}"
object_files=()
for f in "${sources[@]}"; do
  object_files+=("$objects/$(basename "$(dirname "$f")")_$(basename "$f" .cpp).o")
done
"${compiler[@]}" "${flags[@]}" -c "$root/verification/formula/fuzz_formula.cpp" -o "$objects/fuzz_formula.o"
clang++ -fsanitize=fuzzer,address,undefined,float-cast-overflow "$objects/fuzz_formula.o" \
  "${object_files[@]}" $(pkg-config --libs gsl) -o "$build/fuzz_formula"
corpus="$build/formula_corpus"
mkdir -p "$corpus"
seeds=("2^3^2" "-2^2" "8-2*3-1" "atan2(1,2)" "normcdf(1,0,1)" "2*(x+-y)/n2" "uround(7,5)" "1e-3" "sin("
       "((1)" "nctcdf(3,6,0/0)" "nctpdf(1,5,1e308)" "ncfcdf(2,1e308,3,4)" "ncx2inv(0.5,1e300,1e30)")
for i in "${!seeds[@]}"; do printf '%s' "${seeds[$i]}" > "$corpus/seed$i"; done
# The evaluator writes its messages to standard output; keep the run quiet.
# A generous time-out per input: a loaded machine must not turn a slow
# formula into a finding.
"$build/fuzz_formula" -seed="$seed" -max_total_time="$seconds" -max_len=256 -timeout=60 \
  -dict="$root/verification/formula/formula.dict" "$corpus" > "$build/fuzz_formula.out" 2>&1 \
  || { tail -60 "$build/fuzz_formula.out"; exit 1; }
grep -E "^Done" "$build/fuzz_formula.out"
