#!/usr/bin/env bash
# Fails when a window text has no English: lupdate run on a copy of the .ts must find nothing to add
# or drop, and no entry may be left unfinished.
# Usage: check-translations.sh LUPDATE TS_FILE SOURCES_LIST
set -euo pipefail
lupdate=$1 ts=$2 sources=$3
# The sources include their headers from the project's root, as the build does: a class in a
# namespace is then booked under its full name, the context tr() looks up.
root=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$ts" "$work/copy.ts"
"$lupdate" -silent -no-obsolete -locations none -I "$root" "@$sources" -ts "$work/copy.ts"
status=0
if ! cmp -s "$ts" "$work/copy.ts"; then
    echo "$ts is not up to date with the sources (cmake --build build --target update_translations):"
    diff -u "$ts" "$work/copy.ts" | head -60 || true
    status=1
fi
unfinished=$(grep -c 'type="unfinished"' "$work/copy.ts" || true)
if [ "$unfinished" -gt 0 ]; then
    echo "$unfinished text(s) without English in $ts:"
    grep -B2 'type="unfinished"' "$work/copy.ts" | grep '<source>' | head -40
    status=1
fi
exit $status
