#!/usr/bin/env bash
# Times *FACS on synthetic data of N subjects by V variables (bench/dap_make_raw.py): the
# complete-estimation method 5 with 10 factors (the sweep inverse of the V x V correlations
# included) and the missing-data pass with 10 simple-sum clusters on data with 10% blank
# fields, neither printing nor punching; and the sweep inverse of order 999 alone. Each FACS
# figure is the time of the deck with *FACS less the time of the same deck without it.
# Prints figures only; never fails on a figure.
#   bench/facs_bench.sh [N] [V] [build folder, default ../build-facs-bench]
set -eu
n=${1:-400000}
v=${2:-100}
src=$(cd "$(dirname "$0")/.." && pwd)
build=${3:-$src/../build-facs-bench}
. "$src/bench/bench_lib.sh"
bench_build "$src" "$build" korvex korvex_core
bench_program "$src" "$build" facs_sweep_bench
bin=$build/korvex
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The GIST cards of UFACT1 (V x 10, a simple structure) and of REFLX1 (10 clusters).
bench_facs_cards "$work" "$v"
seconds() { bench_deck "$work" "$bin" "$1"; }
report() {  # report LABEL "BASE" "WITH"
  python3 - "$@" <<'P'
import sys
label, base, full = sys.argv[1], sys.argv[2].split(), sys.argv[3].split()
b = float(base[0]) + float(base[1]); f = float(full[0]) + float(full[1])
print("%s: %.2f s CPU (deck %.2f s less %.2f s without FACS), peak memory %.0f MB"
      % (label, f - b, f, b, int(full[2]) / 1024))
P
}

# Complete data, method 5.
python3 "$src/bench/dap_make_raw.py" "$work" "$n" "$v" 0
head -n 5 "$work/MONIN" >"$work/dap.cards"
{ cat "$work/dap.cards"; echo "*COR2"; echo "*GIST"; cat "$work/ufact.cards"; echo "*END"; } >"$work/base5"
{ cat "$work/dap.cards"; echo "*COR2"; echo "*GIST"; cat "$work/ufact.cards"
  echo "*FACS"; echo "   5"; echo; echo "METHOD 5 BENCHMARK"; echo "*END"; } >"$work/full5"
b=$(seconds "$work/base5"); f=$(seconds "$work/full5")
grep -q "EFFECTIVE WEIGHT MATRIX" "$work/MONOUT" || echo "  (method 5 did not run to its scores)"
report "FACS method 5, $n x $v, 10 factors" "$b" "$f"

# Missing data, 10 simple sums.
python3 "$src/bench/dap_make_raw.py" "$work" "$n" "$v" 0.1
head -n 5 "$work/MONIN" >"$work/dap.cards"
{ cat "$work/dap.cards"; echo "*GIST"; cat "$work/reflx.cards"; echo "*END"; } >"$work/base3"
{ cat "$work/dap.cards"; echo "*GIST"; cat "$work/reflx.cards"
  echo "*FACS"; echo; echo; echo "MISSING DATA BENCHMARK"; echo "*END"; } >"$work/full3"
b=$(seconds "$work/base3"); f=$(seconds "$work/full3")
grep -q "MISSING DATA FACS WILL BE USED" "$work/MONOUT" || echo "  (the missing-data pass did not run)"
report "FACS missing-data pass, $n x $v, 10% missing, 10 clusters" "$b" "$f"

"$build/facs_sweep_bench"
