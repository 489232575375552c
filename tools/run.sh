#!/usr/bin/env bash
# Installs what is missing, builds, and starts the monitor against the UPS bus
# simulator: pelmora-sim plays tools/sim/scenarios/default.txt on a
# pseudo-terminal reached through a symlink in the build tree, and the monitor in
# build/default/app/ polls it. On the first run the monitor's settings and
# device list are written to match; later runs keep whatever is there. The
# simulator stops when the monitor exits.
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/run-folders.sh

bash tools/install-deps.sh
cmake --preset default
cmake --build --preset default --target pelmora-desk pelmora-sim pelmora-setup-demo

app=build/default/app
sim=build/default/tools/sim/pelmora-sim
setup=build/default/tools/setup-demo/pelmora-setup-demo
scenario=tools/sim/scenarios/default.txt
run_dir=$(pelmora_run_folder) || { echo "run.sh: refusing to write there" >&2; exit 1; }
link_dir=$(pelmora_link_folder "$PWD/build/default") || { echo "run.sh: refusing to write there" >&2; exit 1; }
link=$link_dir/ttyUPS

# The protocol of the settings (written as 0 on the first run) decides what
# the simulator speaks.
protocol=$("$setup" --folder "$app" --port "$link" --scenario "$scenario")

children=()
trap 'for pid in "${children[@]}"; do kill "$pid" 2>/dev/null || true; wait "$pid" 2>/dev/null || true; done' EXIT

# Polls until the named file exists and is not empty, or the process ends.
wait_for() {
    local file=$1 pid=$2 log=$3
    for _ in $(seq 100); do
        [[ -s $file ]] && return 0
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
    cat "$log" >&2
    return 1
}

rm -f "$run_dir/sim.out"
"$sim" --protocol "$protocol" --scenario "$scenario" --link "$link" \
    >"$run_dir/sim.out" 2>"$run_dir/sim.log" &
children+=($!)
wait_for "$run_dir/sim.out" "${children[-1]}" "$run_dir/sim.log"
echo "pelmora-sim: protocol $protocol on $link -> $(head -n 1 "$run_dir/sim.out"), log in $run_dir/sim.log"

if [[ -z ${DISPLAY:-} && -z ${WAYLAND_DISPLAY:-} ]]; then
    echo "No DISPLAY: the monitor runs on a virtual X screen (Xvfb) that nobody sees."
    echo "It polls and writes its files as usual; stop it with Ctrl+C."
    # Xvfb gets a session of its own, so that Ctrl+C reaches the monitor alone
    # and the screen outlives it until the monitor has logged its end.
    rm -f "$run_dir/display"
    setsid Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp \
        3>"$run_dir/display" 2>"$run_dir/xvfb.log" &
    children+=($!)
    wait_for "$run_dir/display" "${children[-1]}" "$run_dir/xvfb.log"
    export DISPLAY=:$(cat "$run_dir/display")
fi
"$app/pelmora-desk"
