#!/usr/bin/env bash
# qv7ctl write --all on eight simulated indicators against the same on one, as a production line
# meets it: the whole process from start to exit. Each simulated indicator is its own 9600 8N2 line
# behind its own bridge (1 ms report period). Both are timed in the same run, one after the other,
# and the ratio of the best times (and of the means) is printed.
# Usage: bench/bench_all.sh [path/to/qv7ctl] [runs]
set -euo pipefail
qv7ctl=$(realpath "${1:-build/cli/qv7ctl}")
runs=${2:-10}
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
cd "$dir"
"$qv7ctl" read --simulate -o line.QV >/dev/null
# elapsed COUNT: microseconds for one write --all over COUNT indicators (fails when the write fails).
elapsed() {
    local start end
    start=$(date +%s%N)
    "$qv7ctl" write line.QV --all --simulate-count "$1" >/dev/null 2>&1
    end=$(date +%s%N)
    echo $(((end - start) / 1000))
}
for _ in $(seq "$runs"); do
    echo "$(elapsed 1) $(elapsed 8)"
done | awk '
    { n++; one += $1; eight += $2
      if (n == 1 || $1 < bone) bone = $1
      if (n == 1 || $2 < beight) beight = $2 }
    END { if (n == 0) { print "no run completed"; exit 1 }
          printf "qv7ctl write --all: one indicator best %.1f ms (mean %.1f), eight best %.1f ms (mean %.1f); ratio best %.3fx, mean %.3fx over %d runs\n",
                 bone / 1000, one / n / 1000, beight / 1000, eight / n / 1000, beight / bone, eight / one, n }'
