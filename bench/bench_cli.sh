#!/usr/bin/env bash
# qv7ctl's read-all against the simulated indicator (serial line timed as 9600 8N2, 1 ms report
# period), against the wire-time bound (bytes both ways x 11 bits / 9600 plus two report periods a
# reply): measured as a user meets it, the whole process from start to exit, and inside the process
# with --stats (from ReadAll to its completion event).
# Usage: bench/bench_cli.sh [path/to/qv7ctl] [runs]
set -euo pipefail
qv7ctl=${1:-build/cli/qv7ctl}
runs=${2:-20}
for _ in $(seq "$runs"); do
    start=$(date +%s%N)
    line=$("$qv7ctl" read --simulate --stats 2>&1 >/dev/null | grep '^transfer:')
    end=$(date +%s%N)
    echo "$(( (end - start) / 1000 )) $line"
done | awk '
    { whole = $1 / 1000.0
      for (i = 2; i <= NF; ++i) { if ($i == "ratio") r = $(i + 1); if ($i == "bound") b = $(i + 1) }
      w = whole / b; n++; sum += r; wsum += w
      if (n == 1 || r < best) best = r
      if (n == 1 || w < wbest) { wbest = w; wt = whole }
      if (w > wworst) wworst = w }
    END { if (n == 0) { print "no run completed"; exit 1 }
          printf "qv7ctl read, whole process: bound %s ms, best %.1f ms (%.3fx), mean %.3fx, worst %.3fx over %d runs\n",
                 b, wt, wbest, wsum / n, wworst, n
          printf "qv7ctl read, in process:    best %.3fx, mean %.3fx\n", best, sum / n }'
