#!/usr/bin/env bash
# Runs every benchmark and prints one table: start-up, memory and idle CPU of
# velmora beside Chromium and a bare QWebEngineView (same loopback page, same
# run), then the picker's slide and the personal set at its limit.
#
#     bench/run.sh [--runs N]              N >= 5, default 5; about 9 minutes
#     bench/run.sh --diagnose [--runs N]   looks for the causes of misses
#     bench/run.sh --diagnose --preview-only   where the time goes with an
#                                          animated emoticon previewed
#     bench/run.sh --wakeups [--runs N]    the GUI thread's idle wakeups
#                                          alone; about 2 minutes
#     bench/run.sh --startup [--runs N]    start-up alone, with and without
#                                          the pages' accessibility, beside
#                                          the bare view; about 1 minute
#
# Installs what is missing (apt-get, through sudo when not root), builds
# Release into build-bench/, measures on a virtual screen, and leaves the
# table, the raw figures and screenshots in build-bench/bench-out/. Uses no
# network but 127.0.0.1. Not for CI: timings need a quiet machine.
set -euo pipefail
source "$(dirname "$0")/common.sh"

runs=5
what=all
extra=()
while [[ $# -gt 0 ]]; do
    case "$1" in
        --runs) runs=$2; shift 2 ;;
        --diagnose) what=diagnose; shift ;;
        --wakeups) what=wakeups; shift ;;
        --startup) what=startup; shift ;;
        --preview-only) extra+=(--preview-only); shift ;;
        *) echo "usage: $0 [--diagnose [--preview-only] | --wakeups | --startup] [--runs N]" >&2; exit 2 ;;
    esac
done

bench_install
bench_build
mkdir -p "$out"
bench_on_screen python3 "$top/bench/measure.py" "$what" --build "$build" --out "$out" --runs "$runs" "${extra[@]}"
