#!/usr/bin/env bash
# Times *DAP on a synthetic raw file: builds nothing, runs the given korvex binary (a
# Release build) on N subjects by V variables in F8.3 fields and prints the raw-text size,
# CPU and wall times, the rate and the peak memory. Prints figures only; never fails.
#   dap_bench.sh KORVEX_BINARY [N] [V] [MISSING_SHARES] [RUNS]
# MISSING_SHARES is one share of blank fields or several separated by commas (default
# "0,0.1": without and with 10% missing values, both in one call); each case is run RUNS
# times (default 5) on the same file and reported by the minimum and the median of the runs.
set -u
bin=$1
# A relative path to the binary still names it after the runs change folder.
case $bin in
  /*) ;;
  */*) bin=$(cd "$(dirname "$bin")" && pwd)/$(basename "$bin") ;;
esac
n=${2:-400000}
v=${3:-100}
shares=${4:-0,0.1}
runs=${5:-5}
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
echo "DAP benchmark on $(nproc) cores, $runs runs per case"
for miss in ${shares//,/ }; do
  rm -rf "$work/case"
  python3 "$here/dap_make_raw.py" "$work/case" "$n" "$v" "$miss"
  bytes=$(stat -c %s "$work/case/MTXIN1")
  : >"$work/times"
  for ((i = 0; i < runs; i++)); do
    rm -f "$work/case/MONOUT"
    if (cd "$work/case" && /usr/bin/time -f '%U %S %e %M' -o "$work/.time" "$bin" >/dev/null 2>&1); then
      tail -n 1 "$work/.time" >>"$work/times"
    else
      echo "  run $((i + 1)) failed (korvex exit status $?); its time is left out"
    fi
  done
  python3 - "$bytes" "$n" "$v" "$miss" "$work/times" <<'P'
import statistics
import sys
b, n, v, miss, path = sys.argv[1:]
mb = int(b) / 1e6
rows = []
for line in open(path):
    parts = line.split()
    if len(parts) == 4:
        try:
            rows.append([float(x) for x in parts])
        except ValueError:
            pass
print("DAP %s subjects x %s variables, %.0f%% missing: %.1f MB raw text"
      % (n, v, 100 * float(miss), mb))
if not rows:
    print("  no run finished")
    sys.exit(0)
def col(k):
    return [r[k] for r in rows]
user, sys_, wall, rss = col(0), col(1), col(2), col(3)
cpu = [u + s for u, s in zip(user, sys_)]
for what, xs in (("min", min), ("median", statistics.median)):
    print("  %-6s user %.2f s, system %.2f s, wall %.2f s: %.0f MB/s of CPU time, %.0f MB/s of wall time"
          % (what, xs(user), xs(sys_), xs(wall), mb / max(xs(cpu), 1e-9), mb / max(xs(wall), 1e-9)))
print("  peak memory %.1f MB (largest of %d runs)" % (max(rss) / 1024, len(rows)))
P
done
