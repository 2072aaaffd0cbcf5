#!/usr/bin/env bash
# Configures, builds and runs the thread-sanitizer build of the correlation tests.
#   tests/tsan/run.sh <build folder>
set -euo pipefail
src=$(cd "$(dirname "$0")" && pwd)
build=$1
cmake -S "$src" -B "$build" -DCMAKE_BUILD_TYPE=Debug >/dev/null
cmake --build "$build" -j"$(nproc)" >/dev/null
TSAN_OPTIONS="halt_on_error=1" "$build/korvex_tsan_kernel_tests"
# The component tests change folder and write files of their own: run them in a scratch one.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
(cd "$work" && TSAN_OPTIONS="halt_on_error=1" "$build/korvex_tsan_cor_tests")
