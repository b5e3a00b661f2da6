#!/usr/bin/env bash
# Fails, naming the files, when a tracked C++ file differs from what clang-format makes of
# it with the tree's .clang-format. Format a file with: clang-format -i FILE
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -t files < <(git ls-files '*.cpp' '*.h')
clang-format --dry-run --Werror "${files[@]}"
