#!/usr/bin/env bash
# Builds qv7cfg for 64-bit Windows on Debian 12: the cross packages, Qt 6.4.2 from Debian's own
# qt6-base source (built once into a cache), hidapi, libmodbus and GoogleTest from Debian's sources,
# the programs, a zip and an NSIS installer.
#   ./scripts/windows.sh            build and package
#   ./scripts/windows.sh --test     also run the test suite and the end-to-end checks under Wine
#   ./scripts/windows.sh --qt-only  only fill the Qt cache (a long first run, kept for the next)
#   ./scripts/windows.sh --core     only the Qt-free layers and their tests under Wine (what CI runs)
set -euo pipefail
cd "$(dirname "$0")/.."
top=$PWD
mode=package
case "${1:-}" in
    "") ;;
    --test) mode=test ;;
    --qt-only) mode=qt ;;
    --core) mode=core ;;
    *) echo "usage: $0 [--test|--qt-only|--core]" >&2; exit 2 ;;
esac

cache=${QV7_WIN_CACHE:-$HOME/.cache/qv7cfg-win}
jobs=$(nproc)
toolchain=$top/packaging/windows/mingw64.cmake
qt_version=6.4.2
# What the Qt build is made of: the cache is used again only while these match.
qt_options=(-release -shared -opensource -confirm-license -xplatform win32-g++ -qt-host-path /usr
            -nomake examples -nomake tests -no-opengl -no-dbus -qt-freetype -qt-zlib -qt-libpng
            -qt-libjpeg -qt-harfbuzz -qt-pcre -no-icu -sql-sqlite -system-sqlite -no-sql-odbc
            -no-sql-psql -no-sql-mysql)
qt_key=$(printf '%s\n' "$qt_version" "${qt_options[@]}" "$(cat "$toolchain")" | sha256sum | cut -c1-12)
qt_prefix=$cache/qt-$qt_version-$qt_key
deps_prefix=$cache/deps
src=$cache/src

say() { printf '== [%4ds] %s\n' "$SECONDS" "$*" >&2; }

install_packages() {
    # The Qt-free layers need the cross compiler, Wine and the tools that build hidapi and libmodbus.
    local packages=(g++-mingw-w64-x86-64-posix wine64 wine autoconf automake libtool dpkg-dev cmake ninja-build
                    pkg-config googletest)
    [ "$mode" = core ] || packages+=(nsis zip qt6-base-dev qt6-tools-dev qt6-tools-dev-tools qt6-l10n-tools
                                     qt6-translations-l10n xvfb xauth tcl
                                     xdotool imagemagick poppler-utils)
    local missing=()
    for p in "${packages[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo=sudo
    $sudo apt-get update
    $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}"
}

# Debian's source packages, through a deb-src twin of the machine's own source list.
fetch_sources() {
    mkdir -p "$src"
    local need=() wanted=(hidapi libmodbus)
    [ "$mode" = core ] || wanted+=(qt6-base sqlite3)
    for p in "${wanted[@]}"; do
        ls "$src"/${p}_*.dsc >/dev/null 2>&1 || need+=("$p")
    done
    [ ${#need[@]} -eq 0 ] && return
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo=sudo
    if ! grep -rqs '^Types:.*deb-src' /etc/apt/sources.list.d/ && ! grep -qs '^deb-src' /etc/apt/sources.list; then
        sed 's/^Types: deb$/Types: deb-src/' /etc/apt/sources.list.d/debian.sources |
            $sudo tee /etc/apt/sources.list.d/qv7-deb-src.sources >/dev/null
        $sudo apt-get update
    fi
    (cd "$src" && apt-get source --download-only "${need[@]}")
}

unpack() { # unpack PACKAGE: the folder of its upstream source, unpacked once
    local tarball
    tarball=$(ls "$src"/"$1"_*.orig.tar.* | head -n 1)
    local folder
    folder=$(tar tf "$tarball" | head -n 1 | cut -d/ -f1)
    [ -d "$src/$folder" ] || tar xf "$tarball" -C "$src"
    printf '%s\n' "$src/$folder"
}

# Qt's SQLite driver asks for the columns' origins (sqlite3_column_table_name16): the library is
# built with column metadata.
build_sqlite() {
    [ -f "$deps_prefix/.sqlite-2" ] && return
    say "SQLite for Windows"
    local dir
    dir=$(unpack sqlite3)
    mkdir -p "$cache/build/sqlite" "$deps_prefix/lib" "$deps_prefix/include"
    if [ ! -f "$cache/build/sqlite/sqlite3.c" ]; then
        (cd "$cache/build/sqlite" && "$dir/configure" --disable-tcl >/dev/null && make sqlite3.c >/dev/null)
    fi
    x86_64-w64-mingw32-gcc-posix -O2 -DSQLITE_THREADSAFE=1 -DSQLITE_ENABLE_FTS5=0 -DSQLITE_ENABLE_COLUMN_METADATA -c \
        "$cache/build/sqlite/sqlite3.c" -o "$cache/build/sqlite/sqlite3.o"
    x86_64-w64-mingw32-ar rcs "$deps_prefix/lib/libsqlite3.a" "$cache/build/sqlite/sqlite3.o"
    cp "$cache/build/sqlite/sqlite3.h" "$deps_prefix/include/"
    touch "$deps_prefix/.sqlite-2"
}

# Debian's qt6-base source leaves out the Wacom tablet header (src/3rdparty/wintab) that the windows
# platform plugin includes; Wine's own wintab.h and pktdef.h (libwine-dev) stand in for it, with the
# macros Wine's build gives them.
provide_wintab() {
    local dir=$1/src/3rdparty/wintab
    [ -f "$dir/wintab.h" ] && return
    say "Wine's wintab.h for Qt's windows platform plugin"
    local scratch
    scratch=$(mktemp -d)
    (cd "$scratch" && apt-get download libwine-dev >/dev/null && dpkg-deb -x libwine-dev_*.deb root)
    mkdir -p "$dir"
    cp "$scratch/root/usr/include/wine/wine/windows/wintab.h" "$dir/wine_wintab.h"
    cp "$scratch/root/usr/include/wine/wine/windows/pktdef.h" "$dir/pktdef.h"
    rm -rf "$scratch"
    cat >"$dir/wintab.h" <<'WINTAB'
/* Wine's wintab.h, with the macros its own build environment gives it. */
#ifndef QV7_WINTAB_WRAPPER_H
#define QV7_WINTAB_WRAPPER_H
#include <windows.h>
#ifndef API
#define API WINAPI
#endif
#ifndef DECL_WINELIB_TYPE_AW
#ifdef UNICODE
#define DECL_WINELIB_TYPE_AW(type) typedef type##W type;
#else
#define DECL_WINELIB_TYPE_AW(type) typedef type##A type;
#endif
#endif
#ifndef WINELIB_NAME_AW
#ifdef UNICODE
#define WINELIB_NAME_AW(func) func##W
#else
#define WINELIB_NAME_AW(func) func##A
#endif
#endif
#include "wine_wintab.h"
#endif
WINTAB
}

build_qt() {
    if [ -f "$qt_prefix/.complete" ]; then
        say "Qt $qt_version for Windows: cached in $qt_prefix"
        return
    fi
    build_sqlite
    say "Qt $qt_version for Windows into $qt_prefix (about 40 minutes on 2 cores, once)"
    local dir
    dir=$(unpack qt6-base)
    provide_wintab "$dir"
    local build=$cache/build/qt-$qt_key
    mkdir -p "$build"
    (cd "$build" && "$dir/configure" -prefix "$qt_prefix" "${qt_options[@]}" -- -G Ninja \
        -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DQV7_WIN_PREFIXES="$deps_prefix" \
        -DSQLite3_INCLUDE_DIR="$deps_prefix/include" -DSQLite3_LIBRARY="$deps_prefix/lib/libsqlite3.a" \
        -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake -DCMAKE_INSTALL_PREFIX="$qt_prefix")
    cmake --build "$build" -j"$jobs"
    cmake --install "$build"
    touch "$qt_prefix/.complete"
    rm -rf "$build"
}

# The test programs' libraries: static, so a test .exe needs no DLL but MinGW's own runtime.
build_deps() {
    local stamp=$deps_prefix/.deps-1
    [ -f "$stamp" ] && { say "hidapi, libmodbus and GoogleTest for Windows: cached in $deps_prefix"; return; }
    local tc=(-G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release
              -DCMAKE_INSTALL_PREFIX="$deps_prefix" -DBUILD_SHARED_LIBS=OFF)
    say "hidapi for Windows (its winapi backend)"
    local dir
    dir=$(unpack hidapi)
    cmake -S "$dir" -B "$cache/build/hidapi" "${tc[@]}" -DHIDAPI_BUILD_HIDTEST=OFF >/dev/null
    cmake --build "$cache/build/hidapi" -j"$jobs" >/dev/null
    cmake --install "$cache/build/hidapi" >/dev/null
    say "GoogleTest for Windows"
    cmake -S /usr/src/googletest -B "$cache/build/gtest" "${tc[@]}" -DBUILD_GMOCK=OFF -Dgtest_force_shared_crt=ON >/dev/null
    cmake --build "$cache/build/gtest" -j"$jobs" >/dev/null
    cmake --install "$cache/build/gtest" >/dev/null
    say "libmodbus for Windows"
    dir=$(unpack libmodbus)
    [ -x "$dir/configure" ] || (cd "$dir" && autoreconf -fi >/dev/null 2>&1)
    mkdir -p "$cache/build/libmodbus"
    (cd "$cache/build/libmodbus" &&
        "$dir/configure" --host=x86_64-w64-mingw32 --prefix="$deps_prefix" --enable-static --disable-shared \
            --disable-tests CC=x86_64-w64-mingw32-gcc-posix >/dev/null &&
        make -j"$jobs" -C src >/dev/null && make -C src install >/dev/null && make install-pkgconfigDATA >/dev/null)
    rm -rf "$cache/build/hidapi" "$cache/build/gtest" "$cache/build/libmodbus"
    touch "$stamp"
}

# Wine with its own prefix under the cache, quiet, finding MinGW's runtime DLLs (and Qt's): the
# emulator CTest runs every test program through. Wine drops the Unix variables starting with QT_;
# WINEQT_X arrives as QT_X, so each QT_ variable is passed on that way. QtTest writes to the
# debugger channel unless QT_FORCE_STDERR_LOGGING is set.
make_wine_runner() {
    local runner=$cache/wine-run
    cat >"$runner" <<RUNNER
#!/bin/sh
export WINEPREFIX="$cache/wine" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
export WINEPATH="/usr/lib/gcc/x86_64-w64-mingw32/12-posix;/usr/x86_64-w64-mingw32/lib;$deps_prefix/bin;$qt_prefix/bin\${WINEPATH:+;\$WINEPATH}"
export LC_ALL=C.UTF-8 WINEQT_FORCE_STDERR_LOGGING=1
for name in \$(env | sed -n 's/^\(QT_[A-Za-z0-9_]*\)=.*/\1/p'); do
    eval "export WINE\$name=\\"\\\$\$name\\""
done
exec wine "\$@"
RUNNER
    chmod +x "$runner"
    if [ ! -f "$cache/wine/system.reg" ]; then
        say "a Wine prefix in $cache/wine (once, about a minute)"
        WINEPREFIX="$cache/wine" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" wineboot --init >/dev/null 2>&1
        WINEPREFIX="$cache/wine" wineserver -w
    fi
    printf '%s\n' "$runner"
}

# The Qt-free layers (base, proto, link, modbus, sim, devices) and their tests under Wine.
build_core() {
    build_deps
    local runner
    runner=$(make_wine_runner)
    local build=$top/build-win-core
    say "the Qt-free layers for Windows in $build"
    PKG_CONFIG_LIBDIR=$deps_prefix/lib/pkgconfig:$deps_prefix/share/pkgconfig PKG_CONFIG_PATH= \
        cmake -S "$top" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
        -DQV7_WIN_PREFIXES="$deps_prefix" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQV7_QT=OFF -DQV7_BENCH=OFF \
        -DQV7_WERROR=ON -DCMAKE_CROSSCOMPILING_EMULATOR="$runner" \
        $(command -v ccache >/dev/null && echo -DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache) >/dev/null
    cmake --build "$build" -j"$jobs"
    say "the Qt-free layers' tests under Wine"
    ctest --test-dir "$build" -j"$jobs" --output-on-failure --no-tests=error
}

project_version() {
    sed -n 's/^project(qv7cfg VERSION \([0-9.]*\).*/\1/p' "$top/CMakeLists.txt"
}

# The whole project against the Qt of the cache, through the toolchain file Qt made (it loads ours
# and finds the host's Qt tools: moc, rcc, lrelease, lupdate).
build_full() {
    local testing=$1 build=$top/build-win
    build_deps
    runner=$(make_wine_runner)
    say "qv7cfg and qv7ctl for Windows in $build"
    PKG_CONFIG_LIBDIR=$deps_prefix/lib/pkgconfig:$deps_prefix/share/pkgconfig PKG_CONFIG_PATH= \
        cmake -S "$top" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$qt_prefix/lib/cmake/Qt6/qt.toolchain.cmake" \
        -DQT_CHAINLOAD_TOOLCHAIN_FILE="$toolchain" "-DQV7_WIN_PREFIXES=$deps_prefix;$qt_prefix" \
        -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
        -DCMAKE_BUILD_TYPE=Release -DQV7_BENCH=OFF -DBUILD_TESTING="$testing" \
        -DCMAKE_CROSSCOMPILING_EMULATOR="$runner" \
        $(command -v ccache >/dev/null && echo -DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache) >/dev/null
    cmake --build "$build" -j"$jobs"
}

# The programs with what they load: MinGW's runtime, Qt's libraries and the plugins they load (the
# windows platform, the offscreen one, the style, printing, image formats), Qt's French, the licences.
stage() {
    local build=$top/build-win version
    version=$(project_version)
    stage_dir=$build/stage/qv7cfg-$version-win64
    rm -rf "$stage_dir"
    mkdir -p "$stage_dir"/{plugins,translations,licenses}
    cp "$build/app/qv7cfg.exe" "$build/cli/qv7ctl.exe" "$stage_dir/"
    x86_64-w64-mingw32-strip "$stage_dir"/*.exe
    cp /usr/lib/gcc/x86_64-w64-mingw32/12-posix/{libstdc++-6.dll,libgcc_s_seh-1.dll} \
        /usr/x86_64-w64-mingw32/lib/libwinpthread-1.dll "$stage_dir/"
    for m in Core Gui Widgets Network PrintSupport; do cp "$qt_prefix/bin/Qt6$m.dll" "$stage_dir/"; done
    for p in platforms/qwindows.dll platforms/qoffscreen.dll styles/qwindowsvistastyle.dll \
             printsupport/windowsprintersupport.dll; do
        [ -f "$qt_prefix/plugins/$p" ] || continue
        mkdir -p "$stage_dir/plugins/$(dirname "$p")"
        cp "$qt_prefix/plugins/$p" "$stage_dir/plugins/$p"
    done
    [ -d "$qt_prefix/plugins/imageformats" ] && cp -r "$qt_prefix/plugins/imageformats" "$stage_dir/plugins/"
    cp /usr/share/qt6/translations/qtbase_fr.qm "$stage_dir/translations/" 2>/dev/null || true
    printf '[Paths]\nPrefix = .\nPlugins = plugins\nTranslations = translations\n' >"$stage_dir/qt.conf"
    cp "$top/LICENSE" "$stage_dir/licenses/qv7cfg.txt"
    cp "$src/qtbase-everywhere-src-$qt_version/LICENSES/LGPL-3.0-only.txt" "$stage_dir/licenses/Qt-LGPL-3.0.txt"
    cp "$(unpack hidapi)/LICENSE-bsd.txt" "$stage_dir/licenses/hidapi-BSD.txt"
    cp "$(unpack libmodbus)/COPYING.LESSER" "$stage_dir/licenses/libmodbus-LGPL-2.1.txt"
    cp /usr/share/doc/gcc-mingw-w64-base/copyright "$stage_dir/licenses/MinGW-GCC-runtime.txt"
    cp /usr/share/doc/mingw-w64-common/copyright "$stage_dir/licenses/MinGW-w64.txt"
}

package() {
    local version out=$top/build-win
    version=$(project_version)
    say "qv7cfg-$version-win64.zip and qv7cfg-$version-setup.exe in $out"
    (cd "$(dirname "$stage_dir")" && rm -f "$out/qv7cfg-$version-win64.zip" &&
        zip -qr "$out/qv7cfg-$version-win64.zip" "$(basename "$stage_dir")")
    makensis -V2 -DVERSION="$version" -DSTAGE="$stage_dir" -DOUTFILE="$out/qv7cfg-$version-setup.exe" \
        "$top/packaging/windows/qv7cfg.nsi"
}

# The test suite under Wine, qv7ctl.exe against qv7ctl for Linux, and the installer in and out.
run_tests() {
    local build=$top/build-win version
    version=$(project_version)
    say "the test suite under Wine"
    QT_QPA_PLATFORM=offscreen ctest --test-dir "$build" -j"$jobs" --output-on-failure --no-tests=error || failed=1
    say "qv7ctl.exe against qv7ctl for Linux on the simulated indicator"
    local linux=$top/build/cli/qv7ctl
    if [ ! -x "$linux" ]; then
        cmake -S "$top" -B "$top/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
        cmake --build "$top/build" -j"$jobs" --target qv7ctl
    fi
    "$top/scripts/windows-e2e.sh" "$linux" "$stage_dir/qv7ctl.exe" "$runner" || failed=1
    say "the installer, silently in and out under Wine"
    local drive=$cache/wine/drive_c/Program\ Files/qv7cfg
    "$runner" "$top/build-win/qv7cfg-$version-setup.exe" /S
    WINEPREFIX=$cache/wine wineserver -w
    if [ -f "$drive/qv7cfg.exe" ] && [ -f "$drive/qv7ctl.exe" ] && [ -f "$drive/plugins/platforms/qwindows.dll" ] &&
        "$runner" reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\qv7cfg' >/dev/null 2>&1 &&
        "$runner" "$drive/qv7ctl.exe" --version >/dev/null 2>&1; then
        "$runner" "$drive/uninstall.exe" /S
        WINEPREFIX=$cache/wine wineserver -w
        # The uninstaller copies itself away and runs from there: wait for it to finish.
        for _ in $(seq 1 30); do [ -e "$drive/qv7cfg.exe" ] || break; sleep 1; done
        if [ -e "$drive/qv7cfg.exe" ] ||
            "$runner" reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\qv7cfg' >/dev/null 2>&1; then
            echo "FAIL the uninstaller left the program or its Apps & Features entry"; failed=1
        else
            echo "installer: installed and uninstalled silently"
        fi
    else
        echo "FAIL the installer did not install the programs and their registry entries"; failed=1
    fi
}

# The window under Wine on an X server of its own, in French and in English, for docs/windows/.
take_pictures() {
    local out=$top/docs/windows lang
    mkdir -p "$out"
    for lang in fr en; do
        say "a picture of the window under Wine ($lang)"
        timeout 300 xvfb-run -a -s "-screen 0 1200x860x24" sh -c "
            '$runner' '$stage_dir/qv7cfg.exe' --simulate --lang $lang >/dev/null 2>&1 &
            timeout 120 xdotool search --sync --onlyvisible --name Zeq >/dev/null 2>&1
            sleep 5 # the first read of the simulated indicator fills the pages
            import -window root '$out/main-$lang.png'
            WINEPREFIX='$cache/wine' wineserver -k" || echo "no picture in $lang"
    done
}

install_packages
fetch_sources
case "$mode" in
    qt) build_qt; exit 0 ;;
    core) build_core; exit 0 ;;
esac
build_qt
failed=0
if [ "$mode" = test ]; then build_full ON; else build_full OFF; fi
stage
package
if [ "$mode" = test ]; then
    run_tests
    take_pictures
fi
say "done"
exit "$failed"
