#!/usr/bin/env bash
# Installs the Debian packages the build, the program and the tests need,
# only those that are missing. Usage: install-deps.sh [--tests] [--package]
set -euo pipefail

packages=(cmake ninja-build g++ pkg-config
          qt6-base-dev qt6-webengine-dev qt6-svg-dev qt6-image-formats-plugins
          fonts-liberation xvfb xauth imagemagick openbox xdotool python3
          hunspell-it qt6-translations-l10n)
for option in "$@"; do
    case "$option" in
        --tests) packages+=(qt6-httpserver-dev qt6-websockets-dev clang libclang-rt-14-dev
                            desktop-file-utils appstream
                            at-spi2-core python3-pyatspi dbus-daemon dbus-bin) ;;
        --package) packages+=(dpkg-dev) ;;
        *) echo "usage: $0 [--tests] [--package]" >&2; exit 2 ;;
    esac
done

# npm comes with some Node.js packages and apart in Debian's.
if [[ " ${packages[*]} " == *" qt6-httpserver-dev "* ]] && ! command -v npm >/dev/null; then
    packages+=(nodejs npm)
fi

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

echo "Installing: ${missing[*]}"
sudo=()
[[ $(id -u) -ne 0 ]] && sudo=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
