#!/usr/bin/env bash
# qv7ctl's read-all against the simulated indicator (serial line timed as 9600 8N2, 1 ms report
# period), measured inside the process with --stats: the time from ReadAll to its completion event,
# against the wire-time bound (bytes both ways x 11 bits / 9600 plus two report periods a reply).
# Usage: bench/bench_cli.sh [path/to/qv7ctl] [runs]
set -euo pipefail
qv7ctl=${1:-build-cli/cli/qv7ctl}
runs=${2:-20}
for _ in $(seq "$runs"); do
    "$qv7ctl" read --simulate --stats 2>&1 >/dev/null | grep '^transfer:'
done | awk '
    { for (i = 1; i <= NF; ++i) { if ($i == "ratio") r = $(i + 1); if ($i == "bound") b = $(i + 1) }
      t = $2; n++; sum += r; if (n == 1 || r < best) { best = r; bt = t } if (r > worst) worst = r }
    END { if (n == 0) { print "no run completed"; exit 1 }
          printf "read-all: bound %s ms, best %s ms (%.3fx), mean %.3fx, worst %.3fx over %d runs\n",
                 b, bt, best, sum / n, worst, n }'
