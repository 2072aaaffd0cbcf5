#!/usr/bin/env bash
# Runs one deck test: copies the deck folder (MONIN, data files) into a fresh temporary
# folder, runs the real korvex binary there with no arguments, and compares its console
# output, exit status and files with the ones under expected/. Only the run date of the
# start banner and the CPU-time figure are masked. A file expected/NAME.contains holds
# lines that must each appear, whole (trailing blanks aside), somewhere in the output NAME
# (MONOUT.contains, stdout.contains, ...), without comparing the rest of NAME.
#   run_deck.sh KORVEX_BINARY DECK_FOLDER
# With KORVEX_UPDATE=1 the actual outputs are copied into a folder "actual/" beside the
# deck for inspection (never over expected/).
set -u
bin=$1
deck=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

for f in "$deck"/*; do
  name=$(basename "$f")
  [ "$name" = expected ] && continue
  [ "$name" = actual ] && continue
  [ "$name" = README ] && continue
  cp -r "$f" "$work/"
done

(cd "$work" && "$bin" </dev/null >"$work/.stdout" 2>"$work/.stderr")
echo $? >"$work/.status"

mask() {
  sed -E -e 's/(Elapsed CPU time is +)[0-9]*\.[0-9]{3}/\1#.###/' \
         -e 's/[0-9]{2}-[A-Z][a-z]{2}-[0-9]{4}/DD-Mon-YYYY/g' \
         -e 's#Run Date [0-9]{2}/[0-9]{2}/[0-9]{4}#Run Date MM/DD/CCYY#' "$1"
}

fail=0
compare() {  # compare EXPECTED ACTUAL LABEL
  if [ ! -e "$2" ]; then
    echo "missing output: $3"
    fail=1
    return
  fi
  if ! diff -u <(mask "$1") <(mask "$2") >"$work/.diff"; then
    echo "difference in $3:"
    head -n 80 "$work/.diff"
    fail=1
  fi
}

exp="$deck/expected"
[ -e "$exp/stdout" ] && compare "$exp/stdout" "$work/.stdout" stdout
[ -e "$exp/stderr" ] && compare "$exp/stderr" "$work/.stderr" "stderr (MONERR)"
[ -e "$exp/status" ] && compare "$exp/status" "$work/.status" "exit status"
for f in "$exp"/*; do
  name=$(basename "$f")
  case "$name" in stdout|stderr|status|absent) continue ;; esac
  case "$name" in *.contains) continue ;; esac
  compare "$f" "$work/$name" "$name"
done
# Lines that must appear in an output (one whole line of the output per line here).
for f in "$exp"/*.contains; do
  [ -e "$f" ] || continue
  name=$(basename "$f" .contains)
  case "$name" in stdout|stderr) out="$work/.$name" ;; *) out="$work/$name" ;; esac
  if [ ! -e "$out" ]; then echo "missing output: $name"; fail=1; continue; fi
  # One pass over the output finds the wanted lines that it holds, so a long listing is
  # not read again for every line looked for.
  sed 's/ *$//' "$f" | grep -v '^$' >"$work/.wanted"
  mask "$out" | sed 's/ *$//' | grep -xF -f "$work/.wanted" >"$work/.found"
  while IFS= read -r line; do
    if ! grep -qxF -- "$line" "$work/.found"; then
      echo "line not found in $name: $line"; fail=1
    fi
  done <"$work/.wanted"
done
# Files that must not be left behind (one name per line).
if [ -e "$exp/absent" ]; then
  while read -r name; do
    [ -z "$name" ] && continue
    if [ -e "$work/$name" ]; then echo "left behind: $name"; fail=1; fi
  done <"$exp/absent"
fi

if [ "${KORVEX_UPDATE:-0}" = 1 ]; then
  rm -rf "$deck/actual"; mkdir -p "$deck/actual"
  cp "$work/.stdout" "$deck/actual/stdout"; cp "$work/.stderr" "$deck/actual/stderr"
  cp "$work/.status" "$deck/actual/status"
  for f in "$work"/*; do cp -r "$f" "$deck/actual/"; done
fi
exit $fail
