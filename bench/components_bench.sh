#!/usr/bin/env bash
#   bench/components_bench.sh [build folder, default ../build-components-bench beside the source tree]
# Times the passes of the scoring, object typing and subspace components on one machine, each
# with its peak memory (/usr/bin/time -f %M), against its target:
# - *FACS, 400,000 subjects x 100 variables, 10 composites: the complete-data pass (method 5)
#   and the missing-data pass (10% blank fields); each is the processor time of the deck with
#   *FACS less that of the same deck without it, set against the processor time of reading
#   every subject record of the same data storage file through the components' reader,
#   alone in a process of its own (bench/dsf_read_bench.cpp); target: at most 2x;
# - *OTYPE, 400,000 objects of 10 scores, 20 EUFIT passes (bench/otype_bench.cpp, one
#   thread; target under 30 s), and R's kmeans (Lloyd, iter.max 20) on the same objects and
#   starting means when Rscript is on the PATH, with the ratio;
# - *SPAN2 on a 999 x 10 UFACT1 of random loadings loaded by *GIST, mode 1, k = 3 (target
#   under 10 s): the deck with *SPAN2 less the deck without it.
# Each deck runs three times and counts with its least processor time.
# Builds a Release korvex and the programs itself. Prints figures; never fails.
set -u
src=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$src/../build-components-bench}
. "$src/bench/bench_lib.sh"
echo "machine: $(nproc) cores usable, $(uname -m)"
if ! { bench_build "$src" "$build" korvex korvex_core &&
       bench_program "$src" "$build" dsf_read_bench &&
       bench_program "$src" "$build" otype_bench; }; then
  echo "the Release build failed: no figures"
  exit 0
fi
bin=$build/korvex
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# figures LABEL BASE WITH READ TARGET: the component's seconds (WITH less BASE, each "user sys
# rss"), peak memory, and the ratio to READ seconds against the TARGET ratio.
figures() {
  python3 - "$@" <<'P'
import sys
label, base, full, read, target = sys.argv[1], sys.argv[2].split(), sys.argv[3].split(), sys.argv[4], sys.argv[5]
b = float(base[0]) + float(base[1]); f = float(full[0]) + float(full[1])
line = "%s: %.2f s CPU (deck %.2f s less %.2f s without it), peak memory %.0f MB (%.0f MB without it)" % (
    label, f - b, f, b, int(full[2]) / 1024, int(base[2]) / 1024)
print(line)
if read:
    r = float(read.split()[0])
    print("  reading the data storage file alone: %.2f s CPU, peak memory %.0f MB; ratio %.2f (target <= %s)"
          % (r, int(read.split()[1]) / 1024, (f - b) / max(r, 1e-9), target))
elif target:
    print("  target: under %s s" % target)
P
}
# read_alone: CPU seconds and peak kB of reading the data storage file of $work's deck.
read_alone() {
  local out
  out=$(/usr/bin/time -f '%M' -o "$work/.rtime" "$build/dsf_read_bench" "$work") || true
  echo "$(echo "$out" | tail -n 1 | cut -d' ' -f1) $(cat "$work/.rtime")"
}

bench_facs_cards "$work" 100
n=400000

# *FACS complete data, method 5.
python3 "$src/bench/dap_make_raw.py" "$work" "$n" 100 0
head -n 5 "$work/MONIN" >"$work/dap.cards"
{ cat "$work/dap.cards"; echo "*COR2"; echo "*GIST"; cat "$work/ufact.cards"; echo "*END"; } >"$work/base5"
{ cat "$work/dap.cards"; echo "*COR2"; echo "*GIST"; cat "$work/ufact.cards"
  echo "*FACS"; echo "   5"; echo; echo "METHOD 5 BENCHMARK"; echo "*END"; } >"$work/full5"
r=$(read_alone)
b=$(bench_deck_best "$work" "$bin" "$work/base5"); f=$(bench_deck_best "$work" "$bin" "$work/full5")
grep -q "EFFECTIVE WEIGHT MATRIX" "$work/MONOUT" || echo "  (method 5 did not run to its scores)"
figures "*FACS method 5, $n x 100, 10 factors" "$b" "$f" "$r" 2

# *FACS missing data, 10 simple sums.
python3 "$src/bench/dap_make_raw.py" "$work" "$n" 100 0.1
head -n 5 "$work/MONIN" >"$work/dap.cards"
{ cat "$work/dap.cards"; echo "*GIST"; cat "$work/reflx.cards"; echo "*END"; } >"$work/base3"
{ cat "$work/dap.cards"; echo "*GIST"; cat "$work/reflx.cards"
  echo "*FACS"; echo; echo; echo "MISSING DATA BENCHMARK"; echo "*END"; } >"$work/full3"
r=$(read_alone)
b=$(bench_deck_best "$work" "$bin" "$work/base3"); f=$(bench_deck_best "$work" "$bin" "$work/full3")
grep -q "MISSING DATA FACS WILL BE USED" "$work/MONOUT" || echo "  (the missing-data pass did not run)"
figures "*FACS missing-data pass, $n x 100, 10% missing, 10 clusters" "$b" "$f" "$r" 2
rm -f "$work/MTXIN1"

# *OTYPE, in-process, one thread; then R on the objects and starting means it leaves.
data=$work/otype
/usr/bin/time -f '%M' -o "$work/.otime" "$build/otype_bench" "$data" >"$work/otype.out" 2>&1 || true
cat "$work/otype.out"
echo "  peak memory of the process: $(( $(tail -n 1 "$work/.otime") / 1024 )) MB (target: under 30 s)"
if command -v Rscript >/dev/null; then
  OMP_NUM_THREADS=1 OPENBLAS_NUM_THREADS=1 /usr/bin/time -f '%M' -o "$work/.Rtime" \
    Rscript "$src/bench/otype_bench.R" "$data" >"$work/R.out" 2>&1 || true
  cat "$work/R.out"
  python3 - "$work/otype.out" "$work/R.out" "$(tail -n 1 "$work/.Rtime")" <<'P'
import re, sys
k = re.search(r"types: ([0-9.]+) s", open(sys.argv[1]).read())
r = re.search(r"Lloyd: ([0-9.]+) s", open(sys.argv[2]).read())
print("  R peak memory %.0f MB" % (int(sys.argv[3]) / 1024))
if k and r:
    print("  R / KORVEX: %.2f" % (float(r.group(1)) / max(float(k.group(1)), 1e-9)))
P
else
  echo "  Rscript not found: no R timing"
fi
rm -rf "$data"

# *SPAN2 on 999 variables x 10 dimensions (loadings drawn from -0.3..0.8), mode 1, k = 3.
python3 - "$work" <<'P'
import random, sys
rng = random.Random(20261210)
with open(sys.argv[1] + "/span.cards", "w") as out:
    out.write("*GIST\nIDFILE     1\nSUBSPACE BENCHMARK, 999 VARIABLES, 10 DIMENSIONS\n")
    out.write("UFACT1     1\n%4d%4d\n" % (999, 10))
    for k in range(10):
        col = [rng.uniform(-0.3, 0.8) for j in range(999)]
        for s in range(0, 999, 9):
            out.write("".join("%8.4f" % x for x in col[s:s + 9]) + "\n")
    out.write("\n")
P
{ cat "$work/span.cards"; echo "*END"; } >"$work/base2"
{ cat "$work/span.cards"; echo "*SPAN2"; echo "   1   1   3   3"; echo "*END"; } >"$work/full2"
b=$(bench_deck_best "$work" "$bin" "$work/base2"); f=$(bench_deck_best "$work" "$bin" "$work/full2")
grep -q "minimally  sufficient 3 dimensional" "$work/MONOUT" || echo "  (SPAN2 did not run)"
figures "*SPAN2, 999 x 10, mode 1, k = 3" "$b" "$f" "" 10
exit 0
