#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: the plain build with all tests
# (end-to-end included), the address and undefined-behaviour sanitizer build, and the
# thread-sanitizer build of the threaded parts (download and audio threads).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh

jobs=$(nproc)
scripts/build.sh build
(cd build && ctest --output-on-failure -j "$jobs")

scripts/build.sh build-asan -DTIDEWAKE_SANITIZE=ON -DTIDEWAKE_BENCHMARKS=OFF -DTIDEWAKE_SERVER=OFF
(cd build-asan && ASAN_OPTIONS=detect_leaks=1 ctest --output-on-failure -j "$jobs" -LE e2e)

mkdir -p build-tsan
cmake -S . -B build-tsan -DTIDEWAKE_TSAN=ON -DTIDEWAKE_BENCHMARKS=OFF -DTIDEWAKE_SERVER=OFF > build-tsan/configure.log
cmake --build build-tsan -j "$jobs" --target net_tests app_tests
for program in net_tests app_tests; do
  TSAN_OPTIONS=halt_on_error=1 "build-tsan/tests/$program"
done
scripts/check-packages.sh build
