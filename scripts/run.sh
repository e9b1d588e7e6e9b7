#!/usr/bin/env bash
# Installs what is missing, builds the program (Release) and starts it.
# Without a display it runs for a few seconds under Xvfb and saves a
# screenshot instead.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/install-deps.sh"

build="$top/build-release"
cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVELMORA_BUILD_TESTS=OFF
cmake --build "$build" --target velmora

if [[ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]]; then
    exec "$build/src/velmora"
fi

shot="$top/out/velmora.png"
mkdir -p "$(dirname "$shot")"
echo "No display found: running Velmora under Xvfb for a few seconds."
xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
    "$1" & pid=$!
    sleep 8
    import -window root "$2"
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
' _ "$build/src/velmora" "$shot"
echo "Screenshot saved to $shot"
