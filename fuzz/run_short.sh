#!/usr/bin/env bash
# The short fuzz run of CI: builds the drivers (clang, libFuzzer, ASan and UBSan) and runs
# each one for a few seconds on its committed corpus and regression inputs. Any crash, leak,
# overrun, undefined behaviour or timeout fails the script; the input is kept in
# build-fuzz/artifacts/ to become a regression input under fuzz/regressions/<driver>/.
#   fuzz/run_short.sh [SECONDS_PER_DRIVER]   (default 5)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-5}
build="$root/build-fuzz"
# The drivers make their run folders under TMPDIR; libFuzzer may end without removing them.
scratch=$(mktemp -d)
export TMPDIR="$scratch"
trap 'rm -rf "$scratch"' EXIT
cmake -S "$root/fuzz" -B "$build" -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build "$build" -j"$(nproc)"
mkdir -p "$build/artifacts"
status=0
for exe in "$build"/fuzz_*; do
  driver=${exe##*/fuzz_}
  work=$(mktemp -d)
  inputs=("$work" "$root/fuzz/corpus/$driver")
  [ -d "$root/fuzz/regressions/$driver" ] && inputs+=("$root/fuzz/regressions/$driver")
  dict=()
  [ -f "$root/fuzz/$driver.dict" ] && dict=(-dict="$root/fuzz/$driver.dict")
  if "$exe" "${dict[@]}" -max_total_time="$seconds" -timeout=20 -rss_limit_mb=2560 \
       -artifact_prefix="$build/artifacts/$driver-" -print_final_stats=1 "${inputs[@]}" \
       >"$work.log" 2>&1; then
    echo "fuzz_$driver: $(grep -E '^#[0-9]+[[:space:]]+DONE' "$work.log" | tail -n 1)"
  else
    echo "fuzz_$driver FAILED:"
    tail -n 60 "$work.log"
    status=1
  fi
  rm -rf "$work" "$work.log"
done
exit $status
