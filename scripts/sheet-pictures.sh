#!/usr/bin/env bash
# Draws the pictures of a configuration sheet in French (DOCS/sheet-fr-N.png) and in English
# (DOCS/en/sheet-N.png): a simulated five-choice indicator with a 12-point tank curve in its table,
# marked against a reference file whose alarm 2 threshold and baud rate differ.
# Usage: scripts/sheet-pictures.sh [path/to/qv7ctl] [docs]
set -euo pipefail
qv7ctl=$(realpath "${1:-build/cli/qv7ctl}")
docs=$(realpath "${2:-docs}")
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
cd "$dir"
sim=(--simulate --simulate-state=state)
"$qv7ctl" lin-fit --shape hcyl --points 12 -o tank.LIN >/dev/null
"$qv7ctl" lin-write tank.LIN "${sim[@]}" >/dev/null
"$qv7ctl" read "${sim[@]}" -o ref.QV >/dev/null
"$qv7ctl" set ref.QV alarm2.threshold=7000 rs485.baud=19200 >/dev/null
"$qv7ctl" sheet "${sim[@]}" --against ref.QV --lang fr -o fr.pdf >/dev/null
"$qv7ctl" sheet "${sim[@]}" --against ref.QV --lang en -o en.pdf >/dev/null
mkdir -p "$docs/en"
pdftoppm -r 60 -png fr.pdf "$docs/sheet-fr"
pdftoppm -r 60 -png en.pdf "$docs/en/sheet"
