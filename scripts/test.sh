#!/usr/bin/env bash
# Builds Tollbrook and runs every test:
#   1. the normal build (warnings are errors) with all tests under ctest, then the Debian
#      package made from that build and checked (ctest label "package"),
#   2. the libraries and their tests under AddressSanitizer + UndefinedBehaviorSanitizer,
#   3. the same under ThreadSanitizer,
#   4. a 60 s libFuzzer run over the parsers, under ASan + UBSan.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

bash scripts/setup.sh

jobs=$(nproc)
export CTEST_OUTPUT_ON_FAILURE=1
export QT_QPA_PLATFORM=offscreen
launcher=()
if command -v ccache >/dev/null; then
    launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
    # Let a clone in another folder reuse what an earlier build compiled.
    export CCACHE_BASEDIR="$root" CCACHE_NOHASHDIR=1
fi

stage() { echo; echo "==== $* ===="; }

stage "build and test"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTB_WERROR=ON "${launcher[@]}"
cmake --build build -j"$jobs"
ctest --test-dir build -j"$jobs" --timeout 300 -LE package

stage "Debian package"
ctest --test-dir build --timeout 900 -L package

stage "AddressSanitizer + UndefinedBehaviorSanitizer"
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTB_WERROR=ON -DTB_GUI=OFF \
    -DTB_BENCH=OFF -DTB_SANITIZE=address,undefined "${launcher[@]}"
cmake --build build-asan -j"$jobs"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    ctest --test-dir build-asan -j"$jobs" --timeout 600

stage "ThreadSanitizer"
cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTB_WERROR=ON -DTB_GUI=OFF \
    -DTB_BENCH=OFF -DTB_SANITIZE=thread "${launcher[@]}"
cmake --build build-tsan -j"$jobs"
TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1 \
    ctest --test-dir build-tsan -j"$jobs" --timeout 600 -L tsan

stage "fuzzing (60 s)"
cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTB_GUI=OFF -DTB_TESTS=OFF \
    -DTB_BENCH=OFF -DTB_TOOLS=OFF -DTB_FUZZ=ON -DTB_SANITIZE=address,undefined,fuzzer-no-link -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_C_COMPILER=clang \
    "${launcher[@]}"
cmake --build build-fuzz -j"$jobs"
bash scripts/fuzz.sh build-fuzz 60

stage "all tests passed"
