#!/bin/sh
# Runs a test in a home of its own, emptied first:
#
#     freshhome.sh HOME COMMAND [ARGUMENT...]
#
# Neither the test nor the programs it starts (the engine's profile and
# caches, QSettings, the single-instance socket) then read or write the
# user's home, another suite's or an earlier run's. What a run left stays
# until the next, to be looked at.
set -eu
home=$1
shift
# Only a folder of the build: never the root, never the user's own home.
case $home in
    /?*/?*) ;;
    *) echo "freshhome.sh: $home is not a test's home" >&2; exit 2 ;;
esac
if [ "$home" = "${HOME:-}" ]; then
    echo "freshhome.sh: $home is the user's home" >&2
    exit 2
fi
rm -rf -- "$home"
mkdir -p -- "$home"
# The runtime folder is the user's alone, or Qt refuses it.
mkdir -m 700 -- "$home/run"
# The desktop's folders follow the home.
unset XDG_CONFIG_HOME XDG_DATA_HOME XDG_CACHE_HOME XDG_STATE_HOME
export HOME="$home" XDG_RUNTIME_DIR="$home/run"
exec "$@"
