#!/usr/bin/env bash
# Checks that every example deck of the deck reference is the one its deck test runs: a
# fenced block that follows a line "<!-- deck NAME -->" in docs/DECKS.md must appear, line
# for line and in one piece, in tests/decks/NAME/MONIN.
#   reference_decks.sh DECKS_MD DECKS_FOLDER
set -u
doc=$1
decks=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Cut the marked blocks into files named after their decks (a deck may show several).
awk -v out="$work" '
  /^<!-- deck [A-Za-z0-9_]+ -->$/ { name = $3; want = 1; next }
  /^```/ {
    if (inside) { inside = 0; close(file); next }
    if (want) { n[name]++; file = out "/" name "." n[name]; printf "" > file; inside = 1; want = 0 }
    next
  }
  inside { print > file }
' "$doc"

fail=0
count=0
for block in "$work"/*; do
  [ -e "$block" ] || continue
  count=$((count + 1))
  name=$(basename "$block")
  name=${name%.*}
  monin="$decks/$name/MONIN"
  if [ ! -e "$monin" ]; then echo "no deck test $name for a block of the reference"; fail=1; continue; fi
  # The block's lines must follow one another somewhere in MONIN.
  if ! awk -v blockfile="$block" '
      BEGIN { while ((getline line < blockfile) > 0) b[++m] = line }
      { d[++n] = $0 }
      END {
        for (s = 1; s + m - 1 <= n; s++) {
          ok = 1
          for (k = 1; k <= m; k++) if (d[s + k - 1] != b[k]) { ok = 0; break }
          if (ok) exit 0
        }
        exit 1
      }' "$monin"; then
    echo "the block of $name in the reference is not in $monin:"
    cat "$block"
    fail=1
  fi
done
if [ "$count" -eq 0 ]; then echo "no marked deck blocks in $doc"; fail=1; fi
exit $fail
