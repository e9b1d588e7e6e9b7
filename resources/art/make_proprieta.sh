#!/bin/sh
# Draws resources/help/proprieta.png with the small Qt program in art/proprieta/.
# It is built in a temporary folder (not part of the program's build) and run offscreen.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
out="$here/../help/proprieta.png"
build=$(mktemp -d)
trap 'rm -rf "$build"' EXIT
cmake -S "$here/proprieta" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j1 >/dev/null
QT_QPA_PLATFORM=offscreen QT_SCALE_FACTOR=1 "$build/proprieta" "$out"
# drop the creation time and such, so the same drawing gives the same file
convert "$out" -strip "$out"
identify "$out"
