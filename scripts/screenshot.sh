#!/usr/bin/env bash
# Run by run.sh inside a virtual display: starts a window manager and
# Velmora, opens the emoticon picker with an emoticon previewed, as a user
# would with the mouse, and saves a screenshot. Fails with the reason when
# Velmora does not start, ends early, or the picture is blank.
#
#     screenshot.sh <velmora> <shot.png> <forum request log> [velmora options]
set -uo pipefail
program=$1 shot=$2 requests=$3
shift 3
log=$(dirname "$requests")/velmora.log
pid= wm=

stop() {
    [[ -n $pid ]] && kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null
    [[ -n $wm ]] && kill "$wm" 2>/dev/null && wait "$wm" 2>/dev/null
}
trap 'status=$?; stop; exit $status' EXIT

fail() {
    echo "run.sh: $*" >&2
    if [[ -s $log ]]; then
        echo "What Velmora printed:" >&2
        tail -n 15 "$log" | sed 's/^/    /' >&2
    fi
    exit 1
}

alive() {
    kill -0 "$pid" 2>/dev/null && return 0
    local status=0
    wait "$pid" || status=$?
    pid=
    fail "Velmora ended by itself (exit status $status)."
}

# Waits until the sample forum is asked for a path matching the pattern,
# after the first <after> requests of its log.
wait_request() {
    local pattern=$1 after=$2 seconds=$3 what=$4 waited=0
    until tail -n +"$((after + 1))" "$requests" | grep -q " $pattern"; do
        alive
        ((waited++ < seconds * 5)) || fail "$what within $seconds s."
        sleep 0.2
    done
}

requests_so_far() { wc -l <"$requests"; }

# Client-area pixels of the controls, from their places in twips (15 a
# pixel): the picker button, the fourth set, the list's first row.
click() { xdotool mousemove --window "$window" "$1" "$2" click 1; }
PICKER_BUTTON=(392 40) FOURTH_SET=(44 200) FIRST_ROW=(22 276)

openbox >/dev/null 2>&1 & wm=$!
mark=$(requests_so_far)
"$program" "$@" >"$log" 2>&1 & pid=$!

window=
for _ in $(seq 100); do
    alive
    window=$(xdotool search --all --onlyvisible --pid "$pid" --name '^NORVALE system' 2>/dev/null | head -n 1)
    [[ -n $window ]] && break
    # Its start-up message box: it refused to start and waits for OK.
    xdotool search --all --onlyvisible --pid "$pid" --name '^Norvale - Avvio' >/dev/null 2>&1 &&
        fail "Velmora refused to start."
    sleep 0.2
done
[[ -n $window ]] || fail "Velmora's window did not appear within 20 s."
wait_request /forum/__loaded "$mark" 60 "the sample forum's page did not finish loading"

mark=$(requests_so_far)
click "${PICKER_BUTTON[@]}"
wait_request '.*logo_velmora.gif' "$mark" 20 "the emoticon picker did not open"
sleep 1 # the panel slides open
click "${FOURTH_SET[@]}"
sleep 0.3
mark=$(requests_so_far)
click "${FIRST_ROW[@]}"
wait_request '/iconario/' "$mark" 20 "the picker did not preview an emoticon"
xdotool mousemove 0 0
sleep 1.5 # the preview draws its picture

alive
import -window root "$shot" || fail "could not take the screenshot."
spread=$(convert "$shot" -format '%[fx:standard_deviation]' info:) || fail "could not read $shot."
awk -v s="$spread" 'BEGIN { exit !(s > 0.05) }' || fail "the screenshot is blank (spread of its colours: $spread)."
alive
