#!/usr/bin/env bash
# qv7ctl for Windows against the simulated indicator, next to qv7ctl for Linux with the same inputs:
# every command's exit code and output, and the .QV, .LIN, capture and record files they write,
# must be the same (time fields aside; Windows' console lines end in CR LF, which is stripped).
#   scripts/windows-e2e.sh LINUX_QV7CTL WINDOWS_QV7CTL.exe WINE_RUNNER
# File names carry accents and CJK characters, so UTF-16 names are tried on the way.
set -uo pipefail
linux=$1 windows=$2 runner=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0 checks=0
folder="測定データ"
qv="Mesures été.QV"

run() { # run SIDE EXPECTED_EXIT NAME ARGS...: runs one command in SIDE's folder
    local side=$1 want=$2 name=$3
    shift 3
    local dir=$work/$side/$folder
    mkdir -p "$dir"
    local rc=0
    if [ "$side" = linux ]; then
        (cd "$dir" && "$linux" "$@" >"../$name.out" 2>"../$name.err") || rc=$?
    else
        (cd "$dir" && "$runner" "$windows" "$@" >"../$name.out" 2>"../$name.err") || rc=$?
        sed -i 's/\r$//' "$work/$side/$name.out"
    fi
    echo "$rc" >"$work/$side/$name.rc"
    [ "$rc" = "$want" ] || { echo "FAIL $side $name: exit $rc, expected $want"; cat "$work/$side/$name.err"; failures=$((failures + 1)); }
}

both() { # both EXPECTED_EXIT NAME ARGS...
    run linux "$@"
    run windows "$@"
    checks=$((checks + 1))
    local name=$2
    if ! cmp -s "$work/linux/$name.out" "$work/windows/$name.out"; then
        echo "FAIL $name: the outputs differ"
        diff "$work/linux/$name.out" "$work/windows/$name.out" | head -20
        failures=$((failures + 1))
    fi
}

same_file() { # same_file FILE [csv|pcapng]: the file both sides wrote, compared
    local a=$work/linux/$folder/$1 b=$work/windows/$folder/$1
    checks=$((checks + 1))
    if [ ! -f "$a" ] || [ ! -f "$b" ]; then
        echo "FAIL $1: not written on both sides"
        failures=$((failures + 1))
        return
    fi
    case "${2:-}" in
        csv) # the first field is the UTC time
            cmp -s <(cut -d, -f2- "$a") <(cut -d, -f2- "$b") ;;
        pcapng) # the enhanced packet blocks' time stamps
            python3 - "$a" "$b" <<'PY'
import struct, sys
def blocks(path):
    data = bytearray(open(path, "rb").read())
    at = 0
    while at + 12 <= len(data):
        kind, length = struct.unpack_from("<II", data, at)
        if kind == 6:
            data[at + 12:at + 20] = bytes(8)
        at += length
    return bytes(data)
sys.exit(0 if blocks(sys.argv[1]) == blocks(sys.argv[2]) else 1)
PY
            ;;
        *) cmp -s "$a" "$b" ;;
    esac || { echo "FAIL $1: the files differ"; failures=$((failures + 1)); }
}

sim=(--simulate --simulate-state=state.json)
both 0 read read "${sim[@]}" -o "$qv" --capture read.pcapng --log record.csv
same_file "$qv"
same_file read.pcapng pcapng
same_file record.csv csv
both 0 show-json show "$qv" --json
both 0 set set "$qv" "alarm1.delay=2.5 s"
same_file "$qv"
for side in linux windows; do
    (cd "$work/$side/$folder" && "$linux" show "$qv" --json >p.json)
done
both 0 import import p.json -o copy.QV
same_file copy.QV
both 0 write write "$qv" "${sim[@]}" --log record.csv
same_file record.csv csv
both 0 diff diff "$qv" "${sim[@]}"
both 0 lin-read lin-read "${sim[@]}" -o "Courbe été.LIN"
same_file "Courbe été.LIN"
both 0 lin-write lin-write "Courbe été.LIN" "${sim[@]}"
both 0 read-all read --all --simulate --simulate-count 2 -o all.QV
same_file all-0001.QV
same_file all-0002.QV
both 0 sheet sheet "$qv" -o sheet.pdf
if command -v pdftotext >/dev/null; then
    checks=$((checks + 1))
    cmp -s <(pdftotext "$work/linux/$folder/sheet.pdf" - | grep -Ev '[0-9]{4}-[0-9]{2}-[0-9]{2}') \
        <(pdftotext "$work/windows/$folder/sheet.pdf" - | grep -Ev '[0-9]{4}-[0-9]{2}-[0-9]{2}') ||
        { echo "FAIL sheet.pdf: the sheets' texts differ"; failures=$((failures + 1)); }
fi
echo "windows-e2e: $checks checks, $failures failed"
[ "$failures" -eq 0 ]
