#!/usr/bin/env bash
# Builds and runs the whole test suite: ./scripts/test.sh [asan|tsan]
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/deps.sh
kind="${1:-default}"
case "$kind" in
    default) dir=build;      opts=() ;;
    asan)    dir=build-asan; opts=(-DQV7_ASAN=ON) ;;
    tsan)    dir=build-tsan; opts=(-DQV7_TSAN=ON) ;;
    *) echo "usage: $0 [asan|tsan]" >&2; exit 2 ;;
esac
werror=OFF
[ "${CI:-}" = "true" ] && werror=ON
cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQV7_WERROR=$werror "${opts[@]}" >/dev/null
cmake --build "$dir" -j"$(nproc)"
ctest --test-dir "$dir" --output-on-failure --no-tests=error -j"$(nproc)"
