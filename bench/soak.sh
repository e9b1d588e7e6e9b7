#!/usr/bin/env bash
# Runs velmora for 10 minutes on a virtual screen, opening the picker,
# choosing a set and an emoticon, copying its tag and closing the panel over
# and over, and reports the memory (PSS of the whole process tree) at the
# start and the end. Target: growth of at most 5 MB.
#
# It measures twice at each end: as the memory stands, and once every page's
# renderer has collected its garbage (asked over a loopback DevTools port, as
# Chromium's own leak checks do), to tell memory a leak holds from memory a
# collector has not yet come back for. Each process's memory map at the start
# and the end is left beside the report, to see which mappings grew.
#
#     bench/soak.sh [--seconds S]     (default 600)
#
# Installs what is missing, builds Release into build-bench/; the report is
# also left in build-bench/bench-out/soak.json. Only 127.0.0.1 is used.
set -euo pipefail
source "$(dirname "$0")/common.sh"

seconds=600
if [[ "${1:-}" == "--seconds" ]]; then seconds=$2; fi

bench_install xclip
bench_build
mkdir -p "$out"
bench_on_screen python3 "$top/bench/measure.py" soak --build "$build" --out "$out" \
    --seconds "$seconds" --check-clipboard --collect-garbage
