#!/usr/bin/env bash
# Builds the Debian package from a clean build folder of its own (build-package, Release, with
# Debian's hardening flags) and prints the path of the .deb. Install it with
#   sudo apt-get install ./build-package/tollbrook_*.deb
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

bash scripts/setup.sh >&2

launcher=()
if command -v ccache >/dev/null; then
    launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
    export CCACHE_BASEDIR="$root" CCACHE_NOHASHDIR=1
fi
# The flags Debian builds its own packages with, all hardening on (fortified functions, stack
# protector, read-only relocations bound at start).
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
CPPFLAGS=$(dpkg-buildflags --get CPPFLAGS)
export CFLAGS="$(dpkg-buildflags --get CFLAGS) $CPPFLAGS"
export CXXFLAGS="$(dpkg-buildflags --get CXXFLAGS) $CPPFLAGS"
export LDFLAGS=$(dpkg-buildflags --get LDFLAGS)

out="$root/build-package"
rm -rf "$out"
cmake -S . -B "$out" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTB_TESTS=OFF -DTB_BENCH=OFF \
    "${launcher[@]}" >&2
cmake --build "$out" -j"$(nproc)" >&2
(cd "$out" && cpack -G DEB >&2)
ls "$out"/tollbrook_*.deb
