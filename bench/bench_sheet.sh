#!/usr/bin/env bash
# qv7ctl sheet as a whole process: the sheet of a parameter file with its curve (the time a user
# waits for one), and sheet --all on eight simulated indicators against the same on one, both timed
# in the same run (each indicator read then, its linearisation table too). Prints the best and mean
# times and the ratio of the best times (and of the means).
# Usage: bench/bench_sheet.sh [path/to/qv7ctl] [runs]
set -euo pipefail
qv7ctl=$(realpath "${1:-build/cli/qv7ctl}")
runs=${2:-10}
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
cd "$dir"
"$qv7ctl" read --simulate -o line.QV >/dev/null
"$qv7ctl" lin-fit --shape sqrt --points 32 -o curve.LIN >/dev/null
# us COMMAND...: microseconds the command takes (fails when it fails).
us() {
    local start end
    start=$(date +%s%N)
    "$qv7ctl" "$@" >/dev/null 2>&1
    end=$(date +%s%N)
    echo $(((end - start) / 1000))
}
for _ in $(seq "$runs"); do
    echo "$(us sheet line.QV --table curve.LIN -o file.pdf) $(us sheet --all --simulate-count 1 -o one.pdf)" \
        "$(us sheet --all --simulate-count 8 -o eight.pdf)"
done | awk '
    function best(v, b) { return (n == 1 || v < b) ? v : b }
    { n++; file += $1; one += $2; eight += $3
      bfile = best($1, bfile); bone = best($2, bone); beight = best($3, beight) }
    END { if (n == 0) { print "no run completed"; exit 1 }
          printf "qv7ctl sheet of a file with its curve: best %.1f ms (mean %.1f)\n", bfile / 1000, file / n / 1000
          printf "qv7ctl sheet --all: one indicator best %.1f ms (mean %.1f), eight best %.1f ms (mean %.1f); ratio best %.3fx, mean %.3fx over %d runs\n",
                 bone / 1000, one / n / 1000, beight / 1000, eight / n / 1000, beight / bone, eight / one, n }'
