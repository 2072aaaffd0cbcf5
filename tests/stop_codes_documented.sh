#!/usr/bin/env bash
# Checks that every stop code written as QUIT(n) in the sources has its row in the table of
# numbered stops of the deck reference (a row names codes as "5102", "5101, 5201, 5401" or
# ranges such as "5011-5014").
#   stop_codes_documented.sh SRC_FOLDER DECKS_MD
set -u
src=$1
doc=$2
documented=$(awk '
  /^## Numbered stops/ { inside = 1; next }
  /^## / { inside = 0 }
  inside && /^\| *[0-9]/ {
    split($0, cells, "|")
    n = split(cells[2], parts, ",")
    for (i = 1; i <= n; i++) {
      gsub(/ /, "", parts[i])
      if (split(parts[i], r, "-") == 2) { for (c = r[1]; c <= r[2]; c++) print c }
      else print parts[i]
    }
  }' "$doc" | sort -u)
fail=0
for code in $(grep -rhoE 'QUIT\([0-9]+\)' "$src" | grep -oE '[0-9]+' | sort -un); do
  [ "$code" = 0 ] && continue  # the message path: no code line
  if ! grep -qx "$code" <<<"$documented"; then
    echo "stop code $code is not in the table of numbered stops"
    fail=1
  fi
done
exit $fail
