#!/usr/bin/env bash
# Installs the built tree into a fresh temporary prefix and runs the installed program on a
# small deck (data entry and correlations): the install must give bin/korvex and the deck
# reference, and the installed binary must finish the deck with exit status 0.
#   install_check.sh BUILD_DIR DECK_FOLDER
set -u
build=$1
deck=$2
prefix=$(mktemp -d)
work=$(mktemp -d)
trap 'rm -rf "$prefix" "$work"' EXIT

cmake --install "$build" --prefix "$prefix" >/dev/null || { echo "cmake --install failed"; exit 1; }
[ -x "$prefix/bin/korvex" ] || { echo "missing: bin/korvex"; exit 1; }
[ -s "$prefix/share/doc/korvex/DECKS.md" ] || { echo "missing: share/doc/korvex/DECKS.md"; exit 1; }

for f in "$deck"/*; do
  [ "$(basename "$f")" = expected ] && continue
  cp -r "$f" "$work/"
done
(cd "$work" && "$prefix/bin/korvex" </dev/null >"$work/.stdout" 2>"$work/.stderr")
status=$?
if [ $status -ne 0 ]; then
  echo "installed korvex ended with status $status"; cat "$work/.stdout" "$work/.stderr"; exit 1
fi
grep -q "CORRELATION" "$work/MONOUT" || { echo "no correlation page in the listing"; exit 1; }
exit 0
