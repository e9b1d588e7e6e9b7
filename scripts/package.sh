#!/usr/bin/env bash
# Builds the Debian package of Velmora (Release) and leaves it in out/:
#     ./scripts/package.sh
#     sudo apt-get install ./out/velmora_*.deb
# Its dependencies are found by dpkg-shlibdeps from the libraries the program
# links. The same package comes from `cpack -G DEB` in any built build folder.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/install-deps.sh" --package

build="$top/build-release"
cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVELMORA_BUILD_TESTS=OFF
cmake --build "$build"
(cd "$build" && cpack -G DEB)

mkdir -p "$top/out"
rm -f "$top"/out/velmora_*.deb
cp "$build"/velmora_*.deb "$top/out/"
for deb in "$top"/out/velmora_*.deb; do
    echo "Package: $deb ($(du -h "$deb" | cut -f1))"
    dpkg-deb --field "$deb" Depends
done
