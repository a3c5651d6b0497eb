#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (ASan + UBSan) and runs each one over its seed corpus.
#   ./scripts/fuzz.sh [SECONDS] [TARGET...]   every seed once, then SECONDS of fuzzing per target
#                                             (default 5; CI)
#   ./scripts/fuzz.sh --runs N [TARGET...]    N executions per target (the campaign), counts at the end
# Without TARGET names every fuzz_* target runs.
# The seeds in fuzz/corpus/<target>/ are read only; what a run finds goes to build-fuzz/corpus/<target>/.
# A crash ends the script with the target's whole report and the input in build-fuzz/crashes/.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ "${1:-}" = "--runs" ]; then
    limit=(-runs="${2:?--runs needs a count}")
    shift 2
else
    limit=(-max_total_time="${1:-5}")
    shift $(($# > 0 ? 1 : 0))
fi
only=("$@")
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DQV7_FUZZ=ON -DBUILD_TESTING=OFF -DQV7_BENCH=OFF -DQV7_QT=ON >/dev/null
cmake --build build-fuzz -j"$(nproc)" --target fuzz_all
mkdir -p build-fuzz/crashes
summary=()
for target in build-fuzz/fuzz/fuzz_*; do
    [ -f "$target" ] && [ -x "$target" ] || continue
    name=$(basename "$target")
    [ ${#only[@]} -eq 0 ] || [[ " ${only[*]} " == *" $name "* ]] || continue
    work="build-fuzz/corpus/$name"
    seeds="fuzz/corpus/$name"
    mkdir -p "$work" "$seeds"
    log="build-fuzz/$name.log"
    echo "fuzz: $name (${limit[*]}), seeds from $seeds"
    # Inputs up to 8 KB: a .LIN file of 361 points fits, a report descriptor's 4 KB too.
    if ! "$target" "${limit[@]}" -max_len=8192 -print_final_stats=1 -artifact_prefix="build-fuzz/crashes/$name-" \
        "$work" "$seeds" >"$log" 2>&1; then
        cat "$log"
        echo "fuzz: $name failed; the input is in build-fuzz/crashes/" >&2
        exit 1
    fi
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
    summary+=("$(printf '%-28s %12s executions, %s seeds' "$name" "${runs:-?}" "$(ls "$seeds" | wc -l)")")
    grep -E '^(#[0-9]+ +DONE|Done )' "$log" | tail -n 1 || true
done
printf '%s\n' "${summary[@]}"
