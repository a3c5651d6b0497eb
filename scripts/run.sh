#!/usr/bin/env bash
# Builds and starts the desktop tool: ./scripts/run.sh [qv7cfg options]
# With no indicator on USB (and no --simulate given) it starts against the simulated indicator.
set -euo pipefail
cd "$(dirname "$0")/.."
[ -x build/app/qv7cfg ] || echo "The first build takes a few minutes; later ones only rebuild what changed."
./scripts/deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
# Only the program and what it links: the tests and benchmarks are ./scripts/test.sh's.
cmake --build build -j"$(nproc)" --target qv7cfg

indicator_attached() {
    grep -qs "HID_ID=0003:00000451:00000026" /sys/class/hidraw/*/device/uevent
}
args=("$@")
case " ${args[*]-} " in
    *" --simulate"*) ;;
    *) if ! indicator_attached; then
           echo "No indicator on USB: starting with the simulated indicator (--simulate)."
           args+=(--simulate)
       fi ;;
esac
exec build/app/qv7cfg "${args[@]}"
