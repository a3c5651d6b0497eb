#!/usr/bin/env bash
# Every figure of the project in one table: builds Release, runs each benchmark once and prints a
# Markdown table (figure, value, target, met or not, the command behind it), as the README shows it.
# The programs' own output is kept in build-rel/report/. Usage: bench/report.sh
set -euo pipefail
cd "$(dirname "$0")/.."
dir=build-rel
out=$dir/report
cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=ON >/dev/null
cmake --build "$dir" -j"$(nproc)" --target bench_link bench_modbus bench_indicator bench_draw bench_pages bench_linfit \
    qv7ctl qv7_soak >/dev/null
mkdir -p "$out"
export QT_QPA_PLATFORM=offscreen

rows=()
# row FIGURE VALUE TARGET MET COMMAND
row() { rows+=("| $1 | $2 | $3 | $4 | \`$5\` |"); }
# at_most VALUE LIMIT: "yes" when VALUE <= LIMIT.
at_most() { awk -v v="$1" -v t="$2" 'BEGIN { print (v != "" && v + 0 <= t + 0) ? "yes" : "no" }'; }
# run NAME COMMAND...: runs it, keeps its output in $out/NAME.txt, fails the report when it fails.
run() {
    local name=$1
    shift
    echo "running $*" >&2
    "$@" >"$out/$name.txt" 2>&1 || {
        cat "$out/$name.txt" >&2
        echo "report: $* failed" >&2
        exit 1
    }
}
# field FILE PATTERN AFTER: the word following AFTER on the first line matching PATTERN.
field() { awk -v p="$2" -v a="$3" '$0 ~ p { for (i = 1; i < NF; ++i) if ($i == a) { print $(i + 1); exit } }' "$1"; }

link="$dir/bench/bench_link 10 2000"
run link $link
f=$out/link.txt
idle=$(awk '/connected, idle:/ { print $3 }' "$f")
row "reader thread CPU, connected and idle (1 ms reports)" "$idle %" "≤ 0.5 %" "$(at_most "$idle" 0.5)" "$link"
floor=$(awk -F': ' '/bare thread waking/ { split($2, w, " "); print w[1] }' "$f")
row "a bare thread waking every 1 ms, for reference" "$floor %" "—" "—" "$link"
for state in "to an idle reader" "while a reply is awaited"; do
    p99=$(awk -v s="$state" 'index($0, s) { getline; print $6; exit }' "$f")
    max=$(awk -v s="$state" 'index($0, s) { getline; print $8; exit }' "$f")
    row "write hand-off $state, p99 (max)" "$p99 ($max) periods" "≤ 1.5 periods" "$(at_most "$p99" 1.5)" "$link"
done

modbus="$dir/bench/bench_modbus 400"
run modbus $modbus
f=$out/modbus.txt
median=$(field "$f" "median" median)
p99=$(field "$f" "median" p99)
row "request to the 12th value of its reply, median (p99)" "$median ($p99) periods" "≤ 5 periods" \
    "$(at_most "$p99" 5)" "$modbus"

indicator="$dir/bench/bench_indicator 5"
run indicator $indicator
for transfer in read-all "table read" "table write"; do
    line=$(grep "^$transfer " "$out/indicator.txt")
    best=$(sed -E 's/.*best[^(]*\(([0-9.]+)x\).*/\1/' <<<"$line")
    mean=$(sed -E 's/.*mean[^(]*\(([0-9.]+)x\).*/\1/' <<<"$line")
    row "window's $transfer against the wire time, best (mean)" "${best}× (${mean}×)" "≤ 1.3×" \
        "$(at_most "$best" 1.3)" "$indicator"
done

cli="bench/bench_cli.sh $dir/cli/qv7ctl 20"
run cli $cli
f=$out/cli.txt
best=$(sed -nE 's/.*whole process:.*best [0-9.]+ ms \(([0-9.]+)x\).*/\1/p' "$f")
mean=$(sed -nE 's/.*whole process:.*mean ([0-9.]+)x.*/\1/p' "$f")
row "qv7ctl read as a whole process against the wire time, best (mean)" "${best}× (${mean}×)" "≤ 1.3×" \
    "$(at_most "$best" 1.3)" "$cli"

all="bench/bench_all.sh $dir/cli/qv7ctl 10"
run all $all
f=$out/all.txt
best=$(sed -nE 's/.*ratio best ([0-9.]+)x.*/\1/p' "$f")
mean=$(sed -nE 's/.*ratio best [0-9.]+x, mean ([0-9.]+)x.*/\1/p' "$f")
row "qv7ctl write --all, eight indicators against one, best (mean)" "${best}× (${mean}×)" "≤ 1.5×" \
    "$(at_most "$best" 1.5)" "$all"

sheet="bench/bench_sheet.sh $dir/cli/qv7ctl 10"
run sheet $sheet
f=$out/sheet.txt
file=$(sed -nE 's/.*of a file with its curve: best ([0-9.]+) ms.*/\1/p' "$f")
row "qv7ctl sheet of a file with its curve, best" "$file ms" "< 1000 ms" "$(at_most "$file" 1000)" "$sheet"
best=$(sed -nE 's/.*sheet --all:.*ratio best ([0-9.]+)x.*/\1/p' "$f")
mean=$(sed -nE 's/.*sheet --all:.*ratio best [0-9.]+x, mean ([0-9.]+)x.*/\1/p' "$f")
row "qv7ctl sheet --all, eight indicators against one, best (mean)" "${best}× (${mean}×)" "≤ 1.5×" \
    "$(at_most "$best" 1.5)" "$sheet"

draw="$dir/bench/bench_draw"
run draw $draw
f=$out/draw.txt
ratio=$(awk '/^point drag step  / { for (i = 1; i < NF; ++i) if ($i == "Paint/step") print $(i + 1) }' "$f")
area=$(awk '/^point drag step  / { print $NF }' "$f" | tr -d '()')
row "curve plot: full Paint over one drag step (area repainted)" "${ratio} (${area})" \
    "a drag step repaints less than the control" "$(awk -v r="${ratio%x}" 'BEGIN { print (r > 1) ? "yes" : "no" }')" "$draw"

pages="$dir/bench/bench_pages"
run pages $pages
f=$out/pages.txt
fill=$(field "$f" "^fill step" worst)
write=$(field "$f" "^write step" worst)
row "main window's fill step, worst" "$fill ms" "< 100 ms" "$(at_most "$fill" 99.999)" "$pages"
row "main window's write step, worst" "$write ms" "< 100 ms" "$(at_most "$write" 99.999)" "$pages"

linfit="$dir/bench/bench_linfit 3"
run linfit $linfit
f=$out/linfit.txt
for pairs in 1000 10000 100000; do
    times=$(awk -v n="$pairs" '$3 == n { for (i = 1; i < NF; ++i) if ($i == "time") printf "%s%s", sep, $(i + 1); sep = " / " }' "$f")
    worst=$(awk -v n="$pairs" '$3 == n { for (i = 1; i < NF; ++i) if ($i == "time" && $(i + 1) > w) w = $(i + 1) } END { print w }' "$f")
    row "curve fit of $pairs pairs, 32 points, smooth / noisy" "$times s" "< 1 s" "$(at_most "$worst" 0.999)" "$linfit"
done
proved=$(grep -c "best: proved" "$f" || true)
row "curve fits proved within 2 % of the best on the data" "$proved of 6" "6 of 6" \
    "$([ "$proved" = 6 ] && echo yes || echo no)" "$linfit"
for shape in "sqrt    samples   101 N 32" "hcyl    samples   101 N 12"; do
    line=$(grep "^shape $shape" "$f")
    fitted=$(awk '{ for (i = 1; i < NF; ++i) if ($i == "fitted") print $(i + 1) }' <<<"$line")
    even=$(awk '{ for (i = 1; i < NF; ++i) if ($i == "even") print $(i + 1) }' <<<"$line")
    name=$([ "${shape%% *}" = sqrt ] && echo "square root, 101 samples, 32 points" || echo "horizontal tank, 101 samples, 12 points")
    row "$name: largest deviation fitted (evenly spread)" "$fitted % ($even %)" "fitted below even" \
        "$(awk -v f="$fitted" -v e="$even" 'BEGIN { print (f < e) ? "yes" : "no" }')" "$linfit"
done

soak="$dir/tests/indicator/qv7_soak --seconds 20 --cycles 1000000 --table-cycles 1000000"
run soak $soak
f=$out/soak.txt
cycles=$(awk '/^soak:/ { print $2 " + " $5 }' "$f")
failures=$(awk '/failures:/ { print $NF }' "$f")
row "transfer soak under faults: cycles (write/read + table), failures" "$cycles, $failures" "0 failures" \
    "$([ "$failures" = 0 ] && echo yes || echo no)" "$soak"

echo "| figure | value | target | met | command |"
echo "|---|---|---|---|---|"
printf '%s\n' "${rows[@]}"
