#!/usr/bin/env bash
# Installs the Debian 12 packages the build, the tests and the windows need, only when some are missing.
set -euo pipefail
# The windows draw with DejaVu Sans, and with its condensed face (fonts-dejavu-extra) where a button
# text runs short; dpkg-dev's dpkg-shlibdeps gives the .deb its library dependencies. Qt's tools
# build the window's English; Qt's own translations give its dialogs French.
packages=(cmake ninja-build g++ pkg-config qt6-base-dev libhidapi-dev libmodbus-dev
          libgtest-dev libgmock-dev libbenchmark-dev fonts-dejavu-core fonts-dejavu-extra dpkg-dev
          qt6-tools-dev qt6-tools-dev-tools qt6-l10n-tools qt6-translations-l10n)
if [ "${1:-}" = "--extra" ]; then
    # Sanitizer, fuzzing, format and package checks, an X server for the tab-strip test, pdftotext
    # for the configuration sheets' text and tshark that reads the capture files back (CI).
    packages+=(clang libclang-rt-14-dev clang-format appstream desktop-file-utils lintian xvfb xauth poppler-utils
               tshark)
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
    # sudo clears the environment: the setting goes through env so no package asks a question.
    $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}"
fi
