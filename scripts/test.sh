#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: the plain build with all tests
# (end-to-end included), the address and undefined-behaviour sanitizer build of the client
# and the companion server, the thread-sanitizer build of every test program that starts
# threads, and the libFuzzer targets.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/check-format.sh

jobs=$(nproc)
scripts/build.sh build
(cd build && ctest --output-on-failure -j "$jobs")

scripts/build.sh build-asan -DTIDEWAKE_SANITIZE=ON -DTIDEWAKE_BENCHMARKS=OFF
(cd build-asan && ASAN_OPTIONS=detect_leaks=1 ctest --output-on-failure -j "$jobs" -LE e2e)

# The threads: the block pool's, the download and audio threads, the tests' local HTTP
# servers, and the companion server's simulation stepper and HTTP listener.
threaded="table_tests net_tests app_tests boat_tests lobby_tests race_tests server_tests"
mkdir -p build-tsan
cmake -S . -B build-tsan -DTIDEWAKE_TSAN=ON -DTIDEWAKE_BENCHMARKS=OFF > build-tsan/configure.log
cmake --build build-tsan -j "$jobs" --target $threaded
for program in $threaded; do
  TSAN_OPTIONS="halt_on_error=1 suppressions=$PWD/tests/tsan.supp" "build-tsan/tests/$program"
done
# A short fuzzing smoke run of every answer the client parses.
scripts/fuzz.sh 10
scripts/check-packages.sh build
