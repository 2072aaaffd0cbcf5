#!/usr/bin/env bash
# Builds the core library in Release and the correlation benchmark against it, then runs it:
# *COR2 on complete data and *COR3 with 10% missing, at 400,000 x 100 and 40,000 x 999,
# on KORVEX_THREADS threads (default every core; set KORVEX_THREADS=1 for one). When Rscript is on the PATH, R's cor() times the same matrices in memory.
# -O2 without NDEBUG, as the other benchmarks: the checked invariants stay on. Prints
# figures; never fails.
#   bench/cor_bench.sh [build folder, default ../build-cor-bench beside the source tree]
set -u
src=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$src/../build-cor-bench}
data=${TMPDIR:-/tmp}/korvex-cor-bench
{
  cmake -S "$src" -B "$build" -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS_RELEASE=-O2 \
    -DKORVEX_SANITIZE=OFF -DBUILD_TESTING=OFF >/dev/null &&
  cmake --build "$build" --target korvex_core -j4 >/dev/null &&
  ${CXX:-g++} -std=c++20 -O2 -ffp-contract=off -I "$src/src" "$src/bench/cor_bench.cpp" \
    "$build/libkorvex_core.a" -o "$build/cor_bench" &&
  "$build/cor_bench" "$data"
} || echo "correlation benchmark did not run to its end"
if command -v Rscript >/dev/null; then
  OMP_NUM_THREADS=1 OPENBLAS_NUM_THREADS=1 Rscript "$src/bench/cor_bench.R" "$data" ||
    echo "R timing did not run to its end"
else
  echo "Rscript not found: no R timing"
fi
rm -rf "$data"
exit 0
