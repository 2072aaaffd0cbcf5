#!/usr/bin/env bash
# Builds the core library in Release and the correlation benchmark against it, then runs it:
# *COR2 on complete data and *COR3 with 10% missing, at 400,000 x 100 and 40,000 x 999, each
# on one thread and on KORVEX_THREADS threads (default every core), with the peak memory of
# each run. When Rscript is on the PATH, R's cor() times the same matrices in memory
# (single-threaded) in the same run, and a table gives KORVEX's speed-up over R and over one
# thread. -O2 without NDEBUG, as the other benchmarks: the checked invariants stay on.
# Prints figures; never fails.
#   bench/cor_bench.sh [build folder, default ../build-cor-bench beside the source tree]
set -u
src=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$src/../build-cor-bench}
data=${TMPDIR:-/tmp}/korvex-cor-bench
rm -rf "$data"
echo "cores the process may use: $(nproc)"
. "$src/bench/bench_lib.sh"
{
  bench_build "$src" "$build" korvex_core &&
  bench_program "$src" "$build" cor_bench &&
  "$build/cor_bench" "$data"
} || echo "correlation benchmark did not run to its end"
if command -v Rscript >/dev/null; then
  OMP_NUM_THREADS=1 OPENBLAS_NUM_THREADS=1 Rscript "$src/bench/cor_bench.R" "$data" ||
    echo "R timing did not run to its end"
else
  echo "Rscript not found: no R timing"
fi
if [ -f "$data/korvex_times.txt" ]; then
  echo
  echo "case             threads  KORVEX 1 thread  KORVEX n threads  speed-up   peak MB (1/n)      R     R / KORVEX 1 thread"
  touch "$data/r_times.txt"
  awk 'NR == FNR { r[$1] = $2; next }
       { rt = ($1 in r) ? sprintf("%8.3f s %9.1fx", r[$1], r[$1] / $3) : "       -           -";
         printf "%-17s %4d %13.3f s %15.3f s %8.2fx %7.0f /%5.0f %s\n",
                $1, $2, $3, $4, $3 / $4, $5, $6, rt }' "$data/r_times.txt" "$data/korvex_times.txt"
fi
rm -rf "$data"
exit 0
