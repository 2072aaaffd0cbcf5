#!/usr/bin/env bash
# Builds the system's core library in Release and the CC5 benchmark against it, then runs
# the benchmark (999 variables, default cards and ten dimensions). Prints figures; it has
# no threshold.
#   bench/cc5_bench.sh [build folder, default ../build-cc5-bench beside the source tree]
set -eu
src=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$src/../build-cc5-bench}
# -O2 without NDEBUG: the checked invariants stay on, so the figures are on the safe side.
cmake -S "$src" -B "$build" -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS_RELEASE=-O2 -DBUILD_TESTING=OFF >/dev/null
cmake --build "$build" --target korvex_core -j4 >/dev/null
${CXX:-g++} -std=c++20 -O2 -ffp-contract=off -I "$src/src" "$src/bench/cc5_bench.cpp" \
  "$build/libkorvex_core.a" -o "$build/cc5_bench"
"$build/cc5_bench"
