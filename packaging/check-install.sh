#!/usr/bin/env bash
# check-install.sh CMAKE BUILD_DIR VERSION: installs the build into a scratch DESTDIR with prefix /usr
# and checks the tree: exactly the files of install-manifest.txt with their modes, the programs run,
# the udev rule and the man pages intact, the completion loads.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
cmake=$1 build=$2 version=$3
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
DESTDIR="$root" "$cmake" --install "$build" --prefix /usr >/dev/null

fail() {
    echo "install tree: $*" >&2
    exit 1
}
diff -u "$here/install-manifest.txt" <(cd "$root" && find . ! -type d | sed 's|^\./||' | sort) ||
    fail "other files than install-manifest.txt lists"
while read -r file; do
    mode=644
    [[ $file == usr/bin/* ]] && mode=755
    [ "$(stat -c %a "$root/$file")" = "$mode" ] || fail "$file has mode $(stat -c %a "$root/$file"), not $mode"
done <"$here/install-manifest.txt"

[ "$("$root/usr/bin/qv7ctl" --version)" = "qv7ctl $version" ] || fail "qv7ctl --version is not $version"
cmp "$here/70-qv7.rules" "$root/usr/lib/udev/rules.d/70-qv7.rules" || fail "the udev rule changed"
"$root/usr/bin/qv7ctl" udev-rule | grep -qF 'ATTRS{idVendor}=="0451", ATTRS{idProduct}=="0026", TAG+="uaccess"' ||
    fail "qv7ctl udev-rule does not print the rule"
for page in qv7cfg qv7ctl; do
    zcat "$root/usr/share/man/man1/$page.1.gz" | grep -q "^\.TH ${page^^} 1 " || fail "$page.1.gz is no man page of $page"
done
bash -c 'source "$1" && complete -p qv7ctl' _ "$root/usr/share/bash-completion/completions/qv7ctl" >/dev/null ||
    fail "the bash completion does not load"
grep -q '^Exec=qv7cfg %f$' "$root/usr/share/applications/qv7cfg.desktop" || fail "the launcher starts something else"
# The launcher's file types are the ones installed.
for type in $(sed -n 's/^MimeType=//p' "$root/usr/share/applications/qv7cfg.desktop" | tr ';' ' '); do
    grep -q "type=\"$type\"" "$root/usr/share/mime/packages/qv7cfg.xml" || fail "no MIME type $type installed"
done
echo "install tree: $(wc -l <"$here/install-manifest.txt") files as listed"
