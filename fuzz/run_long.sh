#!/usr/bin/env bash
# The long fuzz run: every driver at once, each for SECONDS (default 600), in the
# background, growing a working corpus under build-fuzz/long/<driver>/ from the committed
# one. At the end it prints executions and coverage per driver; crashing inputs are left in
# build-fuzz/artifacts/. Copy each into fuzz/regressions/<driver>/ with its fix. With
# --merge the new inputs that add coverage are merged into fuzz/corpus/<driver>/.
#   fuzz/run_long.sh [SECONDS] [--merge]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-600}
merge=${2:-}
build="$root/build-fuzz"
# The drivers make their run folders under TMPDIR; libFuzzer may end without removing them.
scratch=$(mktemp -d)
export TMPDIR="$scratch"
trap 'rm -rf "$scratch"' EXIT
cmake -S "$root/fuzz" -B "$build" -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build "$build" -j"$(nproc)"
mkdir -p "$build/artifacts" "$build/long"
pids=()
for exe in "$build"/fuzz_*; do
  driver=${exe##*/fuzz_}
  mkdir -p "$build/long/$driver"
  inputs=("$build/long/$driver" "$root/fuzz/corpus/$driver")
  [ -d "$root/fuzz/regressions/$driver" ] && inputs+=("$root/fuzz/regressions/$driver")
  dict=()
  [ -f "$root/fuzz/$driver.dict" ] && dict=(-dict="$root/fuzz/$driver.dict")
  "$exe" "${dict[@]}" -max_total_time="$seconds" -timeout=20 -rss_limit_mb=2560 \
    -artifact_prefix="$build/artifacts/$driver-" -print_final_stats=1 "${inputs[@]}" \
    >"$build/long/$driver.log" 2>&1 &
  pids+=($!)
done
failed=0
for pid in "${pids[@]}"; do wait "$pid" || failed=1; done
for exe in "$build"/fuzz_*; do
  driver=${exe##*/fuzz_}
  log="$build/long/$driver.log"
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
  echo "fuzz_$driver: $runs executions; $(grep -E '^#[0-9]+[[:space:]]+(DONE|pulse|NEW|REDUCE)' "$log" | tail -n 1 | grep -oE 'cov: [0-9]+ ft: [0-9]+ corp: [^ ]+')"
  grep -E '^(==[0-9]+==ERROR|SUMMARY|.*deadly signal|.*Test unit written)' "$log" || true
  if [ "$merge" = --merge ]; then
    "$exe" -merge=1 "$root/fuzz/corpus/$driver" "$build/long/$driver" >/dev/null 2>&1
  fi
done
exit $failed
