#!/usr/bin/env bash
# Starts the simulated tracker and Tollbrook connected to it.
#   scripts/run-with-sim.sh [BUILD_DIR] [-- tracker-sim options...]
# Tollbrook runs with a settings store of its own (under $TMPDIR), preset to the simulator's
# terminal, so the operator's own settings stay as they are. Without a display (no DISPLAY,
# no WAYLAND_DISPLAY) it runs on a virtual one (Xvfb) for a while and saves a screenshot.
set -euo pipefail
cd "$(dirname "$0")/.."
build=build
if [[ $# -gt 0 && $1 != "--" ]]; then build=$1; shift; fi
[[ ${1:-} == "--" ]] && shift
sim_args=("$@")

tollbrook=$build/src/app/tollbrook
sim=$build/tools/tracker-sim/tracker-sim
for exe in "$tollbrook" "$sim"; do
    [[ -x $exe ]] || { echo "run: $exe is missing; build first (cmake --build $build)" >&2; exit 2; }
done

work=$(mktemp -d "${TMPDIR:-/tmp}/tollbrook-run.XXXXXX")
link=$work/tracker
sim_pid=""
xvfb_pid=""
cleanup() {
    [[ -n $sim_pid ]] && kill "$sim_pid" 2>/dev/null || true
    [[ -n $xvfb_pid ]] && kill "$xvfb_pid" 2>/dev/null || true
    rm -rf "$work/config" "$link"
}
trap cleanup EXIT

"$sim" --link "$link" "${sim_args[@]}" >"$work/sim.out" 2>&1 &
sim_pid=$!
for _ in $(seq 50); do [[ -e $link ]] && break; sleep 0.1; done
[[ -e $link ]] || { echo "run: the simulated tracker did not start:" >&2; cat "$work/sim.out" >&2; exit 1; }

mkdir -p "$work/config/quenhollow"
cat >"$work/config/quenhollow/TollbrookY202.ini" <<INI
[Settings]
Comm%20Port=$link
Baud=115200
INI
export XDG_CONFIG_HOME=$work/config

if [[ -n ${DISPLAY:-} || -n ${WAYLAND_DISPLAY:-} || -n ${QT_QPA_PLATFORM:-} ]]; then
    echo "run: Tollbrook on the simulated tracker at $link"
    "$tollbrook"
    exit $?
fi

command -v Xvfb >/dev/null || { echo "run: no display and no Xvfb (apt-get install xvfb)" >&2; exit 1; }
d=90
while [[ -e /tmp/.X11-unix/X$d || -e /tmp/.X$d-lock ]]; do d=$((d + 1)); done
Xvfb ":$d" -screen 0 1280x800x24 >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 50); do [[ -e /tmp/.X11-unix/X$d ]] && break; sleep 0.1; done
seconds=${TOLLBROOK_RUN_SECONDS:-8}
echo "run: no display here; running Tollbrook on a virtual display for ${seconds} s"
DISPLAY=":$d" "$tollbrook" &
app_pid=$!
sleep "$seconds"
shot=${TOLLBROOK_SHOT:-$PWD/tollbrook-screenshot.png}
if command -v import >/dev/null; then
    DISPLAY=":$d" import -window root "$shot" && echo "run: screenshot saved to $shot"
else
    echo "run: no screenshot (imagemagick's import is missing)" >&2
fi
kill "$app_pid" 2>/dev/null || true
wait "$app_pid" 2>/dev/null || true
