#!/usr/bin/env bash
# Installs what Tollbrook needs to build, test and run on Debian 12.
# Safe to run again: packages that are already there are skipped.
set -euo pipefail

packages=(
    build-essential g++ cmake ninja-build ccache pkg-config
    qt6-base-dev qt6-serialport-dev libqt6svg6-dev libgl1-mesa-dev
    libgtest-dev libgmock-dev libbenchmark-dev
    clang libclang-rt-14-dev
    libsqlite3-dev libpq-dev postgresql libsecret-1-dev
    fonts-wqy-microhei xvfb xauth x11-utils imagemagick
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done

if ((${#missing[@]})); then
    echo "setup: installing ${missing[*]}"
    SUDO=""
    if [[ $(id -u) -ne 0 ]]; then SUDO="sudo"; fi
    $SUDO apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
