#!/usr/bin/env bash
# Installs the Debian 12 packages the build needs, only when some are missing.
set -euo pipefail
packages=(cmake ninja-build g++ pkg-config qt6-base-dev libhidapi-dev libmodbus-dev
          libgtest-dev libgmock-dev libbenchmark-dev fonts-dejavu-core)
if [ "${1:-}" = "--extra" ]; then
    # Sanitizer, fuzzing and format checks (CI).
    packages+=(clang libclang-rt-14-dev clang-format appstream desktop-file-utils xvfb xauth)
fi
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    sudo=""
    [ "$(id -u)" -ne 0 ] && sudo=sudo
    $sudo apt-get update
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}"
fi
