#!/usr/bin/env bash
# Builds the core library in Release and the object typing benchmark against it, then runs
# it; when Rscript is on the PATH, R's kmeans (Lloyd) times the same objects and starting
# means. Prints figures; never fails.
#   bench/otype_bench.sh [build folder, default ../build-otype-bench beside the source tree]
set -u
src=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$src/../build-otype-bench}
data=${TMPDIR:-/tmp}/korvex-otype-bench
. "$src/bench/bench_lib.sh"
{
  bench_build "$src" "$build" korvex_core &&
  bench_program "$src" "$build" otype_bench &&
  "$build/otype_bench" "$data"
} || echo "object typing benchmark did not run to its end"
if command -v Rscript >/dev/null; then
  OMP_NUM_THREADS=1 OPENBLAS_NUM_THREADS=1 Rscript "$src/bench/otype_bench.R" "$data" ||
    echo "R timing did not run to its end"
else
  echo "Rscript not found: no R timing"
fi
rm -rf "$data"
exit 0
