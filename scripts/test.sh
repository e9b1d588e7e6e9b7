#!/usr/bin/env bash
# Installs what is missing, builds the program and its tests, and runs every
# test. Tests run headless; only they switch Chromium's sandbox off (these
# machines run as root).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/install-deps.sh" --tests

build="$top/build-tests"
cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELMORA_BUILD_TESTS=ON
cmake --build "$build"
# The rich-text editors forums use, from the npm registry, for the loopback
# forum's pages (tests/support/editors).
mkdir -p "$build/editors"
cp "$top/tests/support/editors/package.json" "$top/tests/support/editors/package-lock.json" "$build/editors/"
(cd "$build/editors" && npm ci --no-audit --no-fund --loglevel=error)
ctest --test-dir "$build" --output-on-failure --timeout 600

# The personal-set reader under libFuzzer, for a bounded time.
fuzz="$top/build-fuzz"
cmake -S "$top/tests/fuzz" -B "$fuzz" -G Ninja -DCMAKE_CXX_COMPILER=clang++
cmake --build "$fuzz"
ctest --test-dir "$fuzz" --output-on-failure
