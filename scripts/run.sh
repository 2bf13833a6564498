#!/usr/bin/env bash
# Builds Tollbrook and the simulated tracker, starts the simulator on a pseudo-terminal and
# Tollbrook connected to it, with a settings store of its own (your own settings stay as they
# are). Without a display it runs on a virtual one and saves a screenshot instead.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

bash scripts/setup.sh

launcher=()
if command -v ccache >/dev/null; then
    launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi
cmake -S . -B build-run -G Ninja -DCMAKE_BUILD_TYPE=Release -DTB_TESTS=OFF -DTB_BENCH=OFF \
    "${launcher[@]}" >/dev/null
cmake --build build-run -j"$(nproc)" --target tollbrook tracker-sim

demo="$root/build-run/demo"
mkdir -p "$demo/config/quenhollow"
link="$demo/tracker"
rm -f "$link"

pids=()
cleanup() {
    for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
    wait 2>/dev/null || true
}
trap cleanup EXIT

"$root/build-run/tools/tracker-sim/tracker-sim" --seed 1 --link "$link" >"$demo/sim.out" 2>&1 &
pids+=($!)
for _ in $(seq 50); do [[ -e "$link" ]] && break; sleep 0.1; done
[[ -e "$link" ]] || { echo "run: the simulated tracker did not start (see $demo/sim.out)" >&2; exit 1; }
echo "run: simulated tracker on $(head -n1 "$demo/sim.out") (linked as $link)"

# Point the demo's settings store at the simulator (QSettings writes spaces in keys as %20).
ini="$demo/config/quenhollow/TollbrookY202.ini"
cat >"$ini" <<INI
[Settings]
Comm%20Port=$link
Baud=9600
INI
export XDG_CONFIG_HOME="$demo/config"

app="$root/build-run/src/app/tollbrook"
if [[ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]]; then
    echo "run: starting Tollbrook (close its window to stop)"
    "$app"
else
    echo "run: no display here; running Tollbrook on a virtual display"
    d=90
    while [[ -e /tmp/.X11-unix/X$d || -e /tmp/.X$d-lock ]]; do d=$((d + 1)); done
    Xvfb ":$d" -screen 0 1280x800x24 >/dev/null 2>&1 &
    pids+=($!)
    for _ in $(seq 50); do [[ -e /tmp/.X11-unix/X$d ]] && break; sleep 0.1; done
    DISPLAY=":$d" "$app" &
    pids+=($!)
    # Wait for the main window, then give it a few seconds of data from the simulator.
    for _ in $(seq 120); do
        DISPLAY=":$d" xwininfo -root -tree 2>/dev/null | grep -q '"Tollbrook' && break
        sleep 0.25
    done
    sleep 4
    shot="$demo/tollbrook.png"
    DISPLAY=":$d" import -window root "$shot"
    echo "run: screenshot of the running program saved to $shot"
fi
