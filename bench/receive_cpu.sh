#!/usr/bin/env bash
# The CPU time a Tollbrook binary spends on a dense stream: a simulated tracker at 10 epochs a
# second, written as fast as a 115200 baud line carries it, with the monitor page in front.
# Give two binaries to compare them side by side in one run (they take turns, twice each):
#   bench/receive_cpu.sh BUILD/tools/tracker-sim/tracker-sim SECONDS APP_A [APP_B]
set -euo pipefail
sim=$1 seconds=$2
shift 2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

run_one() {
    local app=$1 link="$work/tracker"
    rm -f "$link"
    "$sim" --seed 1 --rate 10 --pace 115200 --link "$link" >"$work/sim.out" 2>&1 &
    local sim_pid=$!
    for _ in $(seq 50); do [[ -e "$link" ]] && break; sleep 0.1; done
    mkdir -p "$work/config/quenhollow"
    printf '[Settings]\nComm%%20Port=%s\nBaud=115200\n' "$link" \
        >"$work/config/quenhollow/TollbrookY202.ini"
    XDG_CONFIG_HOME="$work/config" QT_QPA_PLATFORM=offscreen "$app" >/dev/null 2>&1 &
    local app_pid=$!
    sleep 2 # start-up is not what is measured
    local t0 t1
    t0=$(awk '{print $14 + $15}' "/proc/$app_pid/stat")
    sleep "$seconds"
    t1=$(awk '{print $14 + $15}' "/proc/$app_pid/stat")
    kill "$app_pid" "$sim_pid" 2>/dev/null || true
    wait "$app_pid" "$sim_pid" 2>/dev/null || true
    local ticks
    ticks=$(getconf CLK_TCK)
    awk -v d=$((t1 - t0)) -v t="$ticks" -v s="$seconds" -v a="$app" \
        'BEGIN { printf "%-60s %6.1f ms CPU per second\n", a, 1000 * d / t / s }'
}

for round in 1 2; do
    for app in "$@"; do
        run_one "$app"
    done
done
