#!/usr/bin/env bash
# check-deb.sh CPACK BUILD_DIR: builds the .deb with cpack, checks its dependencies, its contents
# and their owner, and runs lintian over it when lintian is installed.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
cpack=$1 build=$2
if ! command -v dpkg-deb >/dev/null || ! command -v dpkg-shlibdeps >/dev/null; then
    echo "dpkg-deb or dpkg-shlibdeps (dpkg-dev) missing: no .deb built"
    exit 77
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() {
    echo ".deb: $*" >&2
    exit 1
}
"$cpack" -G DEB -B "$work" --config "$build/CPackConfig.cmake" >"$work/cpack.log" 2>&1 || {
    cat "$work/cpack.log"
    fail "cpack failed"
}
deb=$(ls "$work"/*.deb)
echo "built $(basename "$deb")"

# The libraries the programs link (from dpkg-shlibdeps) and what they need besides.
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
for package in libc6 libstdc++6 libqt6core6 libqt6gui6 libqt6widgets6 libhidapi-hidraw0 libmodbus5 \
    qt6-qpa-plugins qt6-translations-l10n fonts-dejavu-extra; do
    tr ',' '\n' <<<"$depends" | sed 's/^ *//; s/ .*//' | grep -qxF "$package" || fail "Depends lacks $package"
done

listing=$(dpkg-deb -c "$deb")
diff -u "$here/install-manifest.txt" <(awk '$NF !~ /\/$/ {print $NF}' <<<"$listing" | sed 's|^\./||' | sort) ||
    fail "other files than install-manifest.txt lists"
awk '$2 != "root/root" {print; bad = 1} END {exit bad}' <<<"$listing" || fail "files not owned by root"

if command -v lintian >/dev/null; then
    lintian --fail-on error --info "$deb" || fail "lintian found errors"
    echo "lintian: no errors"
else
    echo "lintian is not installed: the package was not checked by it"
fi
