#!/usr/bin/env bash
# Runs the parser fuzz target for the given number of seconds, seeded from the project's
# own sample data and, where present, the shared receiver captures.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-fuzz}
seconds=${2:-60}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/corpus" fuzz/artifacts
mkdir -p "$work/records"
cp fuzz/seeds/records-* "$work/records/" 2>/dev/null || true
find fuzz/seeds -type f ! -name 'records-*' -exec cp {} "$work/corpus/" \;
cp tests/data/*.nmea "$work/corpus/" 2>/dev/null || true
if [[ -d ../shared/corpus ]]; then
    for f in ../shared/corpus/*; do
        # libFuzzer inputs are kept small; cut big captures into 4 KiB seeds.
        split -b 4096 -a 4 "$f" "$work/corpus/$(basename "$f")." 2>/dev/null || true
    done
fi
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    "$build/fuzz/parsers_fuzz" -max_total_time="$seconds" -max_len=4096 -timeout=10 \
    -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix=fuzz/artifacts/ "$work/corpus"
# The test records' inputs are few and short: a quarter of the time is plenty.
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    "$build/fuzz/records_fuzz" -max_total_time="$(((seconds + 3) / 4))" -max_len=4096 -timeout=10 \
    -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix=fuzz/artifacts/ "$work/records"
