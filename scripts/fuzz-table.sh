#!/usr/bin/env bash
# Fuzzes the table text parser with libFuzzer under the address and undefined-behaviour
# sanitizers: scripts/fuzz-table.sh [seconds] (default 180). New inputs that the fuzzer
# finds go to a scratch folder; the committed seed corpus is only read.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-180}
out=build-fuzz-table
mkdir -p "$out/corpus"

clang++ -std=c++17 -O1 -g -I. -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
  tests/table/fuzz/ParseTableFuzz.cpp table/*.cpp -o "$out/ParseTableFuzz"

"$out/ParseTableFuzz" -max_total_time="$seconds" -max_len=4096 -timeout=10 \
  -artifact_prefix="$out/" "$out/corpus" tests/table/fuzz/corpus
