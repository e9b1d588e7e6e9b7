#!/usr/bin/env bash
# Installs the Debian packages the build, the program and the tests need,
# only those that are missing. Usage: install-deps.sh [--tests]
set -euo pipefail

packages=(cmake ninja-build g++ pkg-config
          qt6-base-dev qt6-webengine-dev qt6-svg-dev qt6-image-formats-plugins
          fonts-liberation xvfb xauth imagemagick)
if [[ "${1:-}" == "--tests" ]]; then
    packages+=(qt6-httpserver-dev qt6-websockets-dev openbox clang libclang-rt-14-dev)
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
