#!/usr/bin/env bash
# Runs every benchmark and prints one table: start-up, memory and idle CPU of
# velmora beside Chromium and a bare QWebEngineView (same loopback page, same
# run), then the picker's slide and the personal set at its limit.
#
#     bench/run.sh [--runs N]      (N >= 5, default 5; about 1.5 min a run)
#
# Installs what is missing (apt-get, through sudo when not root), builds
# Release into build-bench/, measures on a virtual screen, and leaves the
# table, the raw figures and screenshots in build-bench/bench-out/. Uses no
# network but 127.0.0.1. Not for CI: timings need a quiet machine.
set -euo pipefail
source "$(dirname "$0")/common.sh"

runs=5
if [[ "${1:-}" == "--runs" ]]; then runs=$2; fi

bench_install
bench_build
mkdir -p "$out"
bench_on_screen python3 "$top/bench/measure.py" all --build "$build" --out "$out" --runs "$runs"
