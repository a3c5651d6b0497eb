#!/bin/sh
# The production record's figures: one append to a 100 MB log, and 24 programs appending 10 records
# each at once (every record present, every exit code 0). Usage: bench/log_append.sh [build/cli/qv7ctl]
set -eu
QV7CTL=$(realpath "${1:-build/cli/qv7ctl}")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
"$QV7CTL" read --simulate --log big.csv >/dev/null
head -c 100000000 /dev/zero | tr '\0' 'x' | fold -w 99 | sed 's/$/\r/' >>big.csv
before=$(wc -l <big.csv)
start=$(date +%s%N)
"$QV7CTL" read --simulate --log big.csv >/dev/null
end=$(date +%s%N)
echo "append to a $(stat -c %s big.csv)-byte log: $(( (end - start) / 1000000 )) ms for the whole qv7ctl run" \
     "(lines $before -> $(wc -l <big.csv))"
start=$(date +%s%N)
for p in $(seq 1 24); do
    (for i in $(seq 1 10); do "$QV7CTL" read --simulate --log many.csv >/dev/null || echo "exit $? in $p/$i"; done) &
done
wait
end=$(date +%s%N)
echo "24 x 10 appends at once: $(( $(wc -l <many.csv) - 1 )) records of 240 in $(( (end - start) / 1000000 )) ms"
