#!/usr/bin/env bash
# Builds the libFuzzer targets (tests/fuzz) with clang under the address and
# undefined-behaviour sanitizers and runs each for SECONDS (default 60), or until it has
# run INPUTS inputs, two at a time: scripts/fuzz.sh [SECONDS [INPUTS]]. Each target starts
# from its seed corpus in tests/fuzz/corpus/NAME, which is only read; the inputs it finds
# go to build-fuzz/corpus/NAME. Prints the inputs each target ran. A crash, leak, hang
# (10 s on one input) or sanitizer report fails the script, with the input in
# build-fuzz/NAME-* and the log in build-fuzz/NAME.log.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
inputs=${2:--1}
out=build-fuzz
mkdir -p "$out"
CC=clang CXX=clang++ cmake -S . -B "$out" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTIDEWAKE_FUZZ=ON \
  -DTIDEWAKE_SERVER=OFF -DTIDEWAKE_BENCHMARKS=OFF > "$out/configure.log" 2>&1 || { cat "$out/configure.log"; exit 1; }
cmake --build "$out" -j "$(nproc)" --target fuzz

targets=$(ls tests/fuzz/corpus)
run_target() {
  mkdir -p "$out/corpus/$1"
  "$out/tests/fuzz/$1Fuzz" -max_total_time="$seconds" -runs="$inputs" -timeout=10 -close_fd_mask=1 -print_final_stats=1 \
    -artifact_prefix="$out/$1-" "$out/corpus/$1" "tests/fuzz/corpus/$1" > "$out/$1.log" 2>&1
}
export -f run_target
export out seconds inputs
failed=0
printf '%s\n' $targets | xargs -P 2 -I {} bash -c 'run_target {}' || failed=1

total=0
for target in $targets; do
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$out/$target.log")
  printf '%-16s %12s inputs\n' "$target" "${runs:-FAILED}"
  if [ -z "$runs" ]; then
    tail -n 30 "$out/$target.log"
    failed=1
  fi
  total=$((total + ${runs:-0}))
done
printf '%-16s %12s inputs\n' total "$total"
exit "$failed"
