#!/usr/bin/env bash
# Times *DAP on a synthetic raw file: builds nothing, runs the given korvex binary (a
# Release build) on N subjects by V variables in F8.3 fields and prints the raw-text size,
# CPU and wall times, the rate and the peak memory. Prints figures only; never fails.
#   dap_bench.sh KORVEX_BINARY [N] [V] [MISSING_SHARE]
set -u
bin=$1
n=${2:-400000}
v=${3:-100}
miss=${4:-0}
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
python3 "$here/dap_make_raw.py" "$work" "$n" "$v" "$miss"
bytes=$(stat -c %s "$work/MTXIN1")
(cd "$work" && /usr/bin/time -f '%U %S %e %M' -o "$work/.time" "$bin" >/dev/null 2>&1)
read -r user sys wall rss <"$work/.time"
python3 - "$bytes" "$user" "$sys" "$wall" "$rss" "$n" "$v" <<'P'
import sys
b, user, sys_, wall, rss, n, v = sys.argv[1:]
mb = int(b) / 1e6
user, sys_, wall = float(user), float(sys_), float(wall)
print("DAP %s subjects x %s variables: %.1f MB raw text" % (n, v, mb))
print("  user %.2f s, system %.2f s, wall %.2f s, peak memory %.1f MB" % (user, sys_, wall, int(rss) / 1024))
print("  %.0f MB/s of user time, %.0f MB/s of CPU time, %.0f MB/s of wall time"
      % (mb / max(user, 1e-9), mb / max(user + sys_, 1e-9), mb / max(wall, 1e-9)))
P
