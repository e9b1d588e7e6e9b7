# Shared by run.sh and soak.sh: what they install, how they build, and the
# virtual screen they measure on. Sourced, not run.

top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build="$top/build-bench"
out="$build/bench-out"

# Installs the program's packages and these extra ones, only when missing.
bench_install() {
    "$top/scripts/install-deps.sh"
    local wanted=(chromium xvfb xauth openbox xdotool imagemagick python3 procps "$@")
    local missing=() p
    for p in "${wanted[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
    done
    [[ ${#missing[@]} -eq 0 ]] && return 0
    echo "Installing: ${missing[*]}"
    local sudo=()
    [[ $(id -u) -ne 0 ]] && sudo=(sudo)
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -qq
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# The program exactly as scripts/run.sh builds it (Release), with the
# benchmark programs beside it.
bench_build() {
    cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
          -DVELMORA_BUILD_TESTS=OFF -DVELMORA_BUILD_BENCH=ON >/dev/null
    cmake --build "$build" -j2 --target velmora velmora_bench velmora_bare
}

# Runs a command on a fresh 1024 x 768 virtual screen with a window manager,
# so windows are framed and placed as on a desktop; ends the manager after.
bench_on_screen() {
    xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
        openbox >/dev/null 2>&1 & wm=$!
        sleep 1
        "$@"; rc=$?
        kill "$wm" 2>/dev/null; wait "$wm" 2>/dev/null
        exit $rc' _ "$@"
}
