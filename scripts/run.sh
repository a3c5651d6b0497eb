#!/usr/bin/env bash
# Builds and starts the tool: ./scripts/run.sh [qv7cfg options], e.g. --simulate
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)"
if [ -x build/app/qv7cfg ]; then
    exec build/app/qv7cfg "$@"
fi
exec build/cli/qv7ctl "$@"
