#!/usr/bin/env bash
# Installs what is missing, builds the program (Release) and starts it;
# options are passed on to velmora.
# Without a display it shows a first run instead: Velmora under Xvfb with a
# window manager, on the sample forum served on 127.0.0.1, with the emoticon
# picker open and an emoticon previewed; it saves a screenshot to
# out/velmora.png, or says what went wrong and fails.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/install-deps.sh"

build="$top/build-release"
cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVELMORA_BUILD_TESTS=OFF
cmake --build "$build" --target velmora
program="$build/src/velmora"

if [[ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]]; then
    exec "$program" "$@"
fi

shot="$top/out/velmora.png"
mkdir -p "$(dirname "$shot")"
rm -f "$shot"
work=$(mktemp -d)
forum=
cleanup() {
    if [[ -n $forum ]]; then
        kill "$forum" 2>/dev/null
        wait "$forum" 2>/dev/null || true
    fi
    rm -rf "$work"
}
trap 'status=$?; cleanup; exit $status' EXIT

# The sample forum answers the requests for www.velmora.it that Chromium
# sends it as a proxy; nothing leaves this machine.
touch "$work/requests.log"
python3 "$top/share/sample-forum/forum.py" --log "$work/requests.log" >"$work/port" &
forum=$!
for _ in $(seq 50); do
    [[ -s "$work/port" ]] && break
    sleep 0.1
done
port=$(head -n 1 "$work/port")
[[ -n $port ]] || { echo "run.sh: the sample forum did not start." >&2; exit 1; }

options=("$@")
if [[ $(id -u) -eq 0 ]]; then
    echo "Running as root: Velmora gets --no-sandbox (Chromium's sandbox off for this run)," \
         "acceptable here only because it shows nothing but the sample forum on 127.0.0.1."
    options+=(--no-sandbox)
fi

echo "No display found: running Velmora under Xvfb on the sample forum."
mkdir -p "$work/home" "$work/run"
chmod 700 "$work/run"
# A home of its own, so this look leaves no login profile behind.
if HOME="$work/home" XDG_RUNTIME_DIR="$work/run" \
   QTWEBENGINE_CHROMIUM_FLAGS="--proxy-server=http://127.0.0.1:$port" \
   xvfb-run -a -s "-screen 0 1280x1024x24" \
       "$top/scripts/screenshot.sh" "$program" "$shot" "$work/requests.log" "${options[@]}"; then
    echo "Screenshot saved to $shot"
else
    rm -f "$shot"
    echo "run.sh: no screenshot; Velmora did not run as it should (see above)." >&2
    exit 1
fi
