# Shell pieces the benchmark scripts share; sourced, never run. Every function prints
# figures or nothing and leaves failing to its caller.
#   . "$src/bench/bench_lib.sh"

# bench_build SRC BUILD TARGET...: a Release build (-O2, no sanitizers, no tests) of the
# targets in BUILD.
bench_build() {
  local src=$1 build=$2
  shift 2
  cmake -S "$src" -B "$build" -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS_RELEASE=-O2 \
    -DKORVEX_SANITIZE=OFF -DBUILD_TESTING=OFF >/dev/null &&
    cmake --build "$build" --target "$@" -j3 >/dev/null
}

# bench_program SRC BUILD NAME: bench/NAME.cpp linked with the core library into BUILD/NAME.
bench_program() {
  ${CXX:-g++} -std=c++20 -O2 -ffp-contract=off -I "$1/src" "$1/bench/$3.cpp" \
    "$2/libkorvex_core.a" -o "$2/$3"
}

# bench_deck WORK BIN DECK: runs DECK as the MONIN of folder WORK and echoes the user and
# system seconds and the peak memory in kB of the run.
bench_deck() {
  cp "$3" "$1/MONIN"
  rm -f "$1/MONOUT" "$1/MONPUN"
  (cd "$1" && /usr/bin/time -f '%U %S %M' -o "$1/.time" "$2" >/dev/null 2>&1) || true
  cat "$1/.time"
}

# bench_deck_best WORK BIN DECK [RUNS]: bench_deck run RUNS times (default 3), printing the
# figures of the run with the least processor time (file writing makes single runs vary).
bench_deck_best() {
  local runs=${4:-3} i line best="" best_cpu=""
  for ((i = 0; i < runs; i++)); do
    line=$(bench_deck "$1" "$2" "$3")
    cpu=$(echo "$line" | awk '{ print $1 + $2 }')
    if [ -z "$best" ] || awk -v a="$cpu" -v b="$best_cpu" 'BEGIN { exit !(a < b) }'; then
      best=$line
      best_cpu=$cpu
    fi
  done
  echo "$best"
}

# bench_facs_cards WORK V: the GIST cards of UFACT1 (V x 10, a simple structure) in
# WORK/ufact.cards and of REFLX1 (10 clusters) in WORK/reflx.cards.
bench_facs_cards() {
  python3 - "$1" "$2" <<'P'
import sys
work, v = sys.argv[1], int(sys.argv[2])
with open(work + "/ufact.cards", "w") as out:
    out.write("UFACT1     1\n%4d%4d\n" % (v, 10))
    for k in range(10):
        col = [0.6 if j % 10 == k else 0.1 for j in range(v)]
        for s in range(0, v, 9):
            out.write("".join("%8.4f" % x for x in col[s:s + 9]) + "\n")
    out.write("\n")
with open(work + "/reflx.cards", "w") as out:
    out.write("REFLX1     1   0\n%4d\n" % 10)
    lists = [[j + 1 for j in range(v) if j % 10 == k] for k in range(10)]
    out.write("".join("%4d" % len(l) for l in lists) + "\n")
    for l in lists:
        for s in range(0, len(l), 18):
            out.write("".join("%4d" % x for x in l[s:s + 18]) + "\n")
    out.write("\n")
P
}
