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
                                     qt6-translations-l10n xvfb xauth tcl)
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

build_sqlite() {
    [ -f "$deps_prefix/lib/libsqlite3.a" ] && return
    say "SQLite for Windows"
    local dir
    dir=$(unpack sqlite3)
    mkdir -p "$cache/build/sqlite" "$deps_prefix/lib" "$deps_prefix/include"
    if [ ! -f "$cache/build/sqlite/sqlite3.c" ]; then
        (cd "$cache/build/sqlite" && "$dir/configure" --disable-tcl >/dev/null && make sqlite3.c >/dev/null)
    fi
    x86_64-w64-mingw32-gcc-posix -O2 -DSQLITE_THREADSAFE=1 -DSQLITE_ENABLE_FTS5=0 -c \
        "$cache/build/sqlite/sqlite3.c" -o "$cache/build/sqlite/sqlite3.o"
    x86_64-w64-mingw32-ar rcs "$deps_prefix/lib/libsqlite3.a" "$cache/build/sqlite/sqlite3.o"
    cp "$cache/build/sqlite/sqlite3.h" "$deps_prefix/include/"
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

# Wine with its own prefix under the cache, quiet, finding MinGW's runtime DLLs: the emulator CTest
# runs every test program through. Unix variables starting with QT_ do not reach Windows programs
# under Wine; WINEQT_X arrives as QT_X.
make_wine_runner() {
    local runner=$cache/wine-run
    cat >"$runner" <<RUNNER
#!/bin/sh
export WINEPREFIX="$cache/wine" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
export WINEPATH="/usr/lib/gcc/x86_64-w64-mingw32/12-posix;/usr/x86_64-w64-mingw32/lib;$deps_prefix/bin;$qt_prefix/bin\${WINEPATH:+;\$WINEPATH}"
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

install_packages
fetch_sources
case "$mode" in
    qt) build_qt; exit 0 ;;
    core) build_core; exit 0 ;;
esac
build_qt
