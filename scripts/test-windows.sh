#!/usr/bin/env bash
# Builds everything but the engine for 64-bit Windows with MinGW-w64 and runs
# those tests under Wine. Not part of CI: the first run cross-builds Qt from
# Debian's sources (an hour or more on two cores); later runs reuse it.
#   VELMORA_WINDOWS_CACHE  where Qt's sources and build live (outside the tree)
#   VELMORA_WINDOWS_JOBS   parallel jobs (default 2)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cache=${VELMORA_WINDOWS_CACHE:-$HOME/.cache/velmora-windows}
jobs=${VELMORA_WINDOWS_JOBS:-2}
triple=x86_64-w64-mingw32
toolchain="$top/cmake/mingw-w64-x86_64.cmake"
sudo=
[ "$(id -u)" -eq 0 ] || sudo=sudo
started=$SECONDS
say() { printf '== %s (%ds)\n' "$*" $((SECONDS - started)); }

# --- Tools -----------------------------------------------------------------
needed=(g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
        wine wine64 ninja-build cmake dpkg-dev perl qt6-base-dev qt6-base-dev-tools fonts-dejavu-core)
missing=()
for p in "${needed[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    say "installing ${missing[*]}"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
hostqt=$(dpkg-query -W -f='${Version}' qt6-base-dev)
hostqt=${hostqt%%+*}

# --- Qt for Windows, from the same Debian sources as the host's Qt ------------
qtsrc="$cache/src"
qt="$cache/qt-$hostqt-mingw"
if [ ! -f "$qt/.complete" ]; then
    mkdir -p "$qtsrc"
    if ! ls -d "$qtsrc"/qt6-base-*/ >/dev/null 2>&1; then
        if ! grep -rqs '^Types:.*deb-src\|^deb-src' /etc/apt/sources.list /etc/apt/sources.list.d/; then
            say "adding Debian's source archive to apt"
            codename=$(. /etc/os-release && echo "$VERSION_CODENAME")
            $sudo tee /etc/apt/sources.list.d/velmora-deb-src.sources >/dev/null <<SOURCES
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: $codename $codename-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SOURCES
            $sudo apt-get update -qq
        fi
        say "fetching qt6-base's sources"
        (cd "$qtsrc" && apt-get source -qq "qt6-base=$(dpkg-query -W -f='${Version}' qt6-base-dev)")
    fi
    src=$(ls -d "$qtsrc"/qt6-base-*/ | head -n1)
    # Debian's source leaves out Wacom's wintab.h (for its licence), which
    # the windows platform plugin needs, and the Direct2D one is built on
    # that. The tests run on the offscreen platform: both are left out.
    if [ ! -e "$src/src/3rdparty/wintab/wintab.h" ]; then
        sed -i -e 's/^\( *\)add_subdirectory(\(windows\|direct2d\))/\1# \2: needs wintab.h, not in this source/' \
            "$src/src/plugins/platforms/CMakeLists.txt"
    fi
    say "building Qt $hostqt for Windows (log: $cache/qt-build.log)"
    build="$cache/qt-build"
    # Only what the engine-free code needs: Core, Gui, Widgets, Network, Test.
    # Qt's tools (moc, rcc, uic) run from the host's Qt of the same version.
    nice -n 19 cmake -G Ninja -S "$src" -B "$build" \
        -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
        -DCMAKE_INSTALL_PREFIX="$qt" \
        -DCMAKE_BUILD_TYPE=Release \
        -DQT_HOST_PATH=/usr \
        -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/$(dpkg-architecture -qDEB_HOST_MULTIARCH)/cmake \
        -DQT_QMAKE_TARGET_MKSPEC=win32-g++ \
        -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF \
        -DFEATURE_dbus=OFF -DFEATURE_opengl=OFF -DFEATURE_vulkan=OFF \
        -DFEATURE_sql=OFF -DFEATURE_printsupport=OFF -DFEATURE_concurrent=OFF \
        -DFEATURE_xml=OFF -DFEATURE_openssl=OFF -DFEATURE_icu=OFF \
        -DFEATURE_system_zlib=OFF -DFEATURE_system_pcre2=OFF -DFEATURE_system_png=OFF \
        -DFEATURE_system_jpeg=OFF -DFEATURE_system_freetype=OFF -DFEATURE_system_harfbuzz=OFF \
        -DFEATURE_system_doubleconversion=OFF -DFEATURE_system_libb2=OFF -DFEATURE_system_md4c=OFF \
        >"$cache/qt-build.log" 2>&1 || { tail -n 40 "$cache/qt-build.log"; exit 1; }
    nice -n 19 cmake --build "$build" -j "$jobs" >>"$cache/qt-build.log" 2>&1 \
        || { grep -m5 -B2 -A10 'error' "$cache/qt-build.log" | tail -n 60; exit 1; }
    cmake --install "$build" >>"$cache/qt-build.log" 2>&1
    touch "$qt/.complete"
fi
# Qt ships no fonts: on the offscreen platform it finds none without these,
# and every text is measured by slow fallbacks.
if [ ! -e "$qt/lib/fonts/DejaVuSans.ttf" ]; then
    mkdir -p "$qt/lib/fonts"
    cp /usr/share/fonts/truetype/dejavu/DejaVuSans*.ttf "$qt/lib/fonts/"
fi
say "Qt for Windows in $qt"

# --- Velmora without the engine ---------------------------------------------
build="$top/build-windows"
say "building the core, gui and windows libraries and the tests of the first two for Windows"
export VELMORA_WINDOWS_QT="$qt"
cmake -G Ninja -S "$top" -B "$build" \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_PREFIX_PATH="$qt" \
    -DQT_HOST_PATH=/usr \
    -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/$(dpkg-architecture -qDEB_HOST_MULTIARCH)/cmake \
    -DVELMORA_WITH_ENGINE=OFF -DVELMORA_BUILD_TESTS=ON >"$cache/configure.log" 2>&1 \
    || { tail -n 40 "$cache/configure.log"; exit 1; }
nice -n 19 cmake --build "$build" -j "$jobs"

# --- Their tests under Wine ---------------------------------------------------
# A Wine of our own, so the user's ~/.wine stays as it is; its user folders
# (where Qt's test mode writes) emptied before each run.
export WINEPREFIX="$cache/wine" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    say "making a Wine prefix"
    wine wineboot --init >/dev/null 2>&1
    wineserver --wait
fi
rm -rf "$WINEPREFIX"/drive_c/users/*/AppData/*/qttest "$WINEPREFIX"/drive_c/users/*/Temp/*
windows() { printf 'Z:%s' "${1//\//\\}"; }
gccdlls=$(dirname "$("$triple-g++-posix" -print-file-name=libstdc++-6.dll)")
pthreaddll=$(dirname "$("$triple-g++-posix" -print-file-name=libwinpthread-1.dll)")
# Qt's plugins are found beside its DLLs; Wine passes no QT_ variable on.
export WINEPATH="$(windows "$qt/bin");$(windows "$gccdlls");$(windows "$pthreaddll")"
say "running the tests under Wine"
status=0
ctest --test-dir "$build" --output-on-failure --timeout 600 || status=$?
# What Wine's pipes lost of a failed test's output.
if [ $status -ne 0 ]; then
    grep -l '^FAIL' "$build"/tests/*/*.txt 2>/dev/null | while read -r log; do
        echo "--- $log"; grep -v '^PASS' "$log"
    done
fi
say "done"
exit $status
