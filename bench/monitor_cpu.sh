#!/usr/bin/env bash
# CPU and memory of the monitor in its steady state: pelmora-desk polls 16
# simulated units (modular protocol, 9600 baud) on a virtual X screen while
# the "Sketch Map" page animates the first unit, which is online. Prints the
# CPU time the monitor used over the sample, in percent of one core, its
# wake-ups a second (all threads), and its VmRSS and VmHWM; leaves a
# screenshot in /tmp/bench-monitor.png. Exits 1 when the CPU figure is above
# the 2 % budget.
#
#   bash bench/monitor_cpu.sh [BUILD_FOLDER] [--settle SECONDS] [--sample SECONDS]
#                             [--units N] [--fast] [--minimise]
#                             [--page sketch|data|overview]
#
# --units N polls units 1 to N (16 to 252; those above 16 are online), --fast
# turns fast poll on (FastPoll=1), --minimise takes the window off the
# screen for the sample as a window manager does when it iconifies it
# (unmapped), so the figure is what the monitor costs while nobody sees it. --page shows the
# first unit's "Data" page or the overview of all units (tool button 9)
# instead of the "Sketch Map".
#
# BUILD_FOLDER defaults to build/default; the three programs are built there
# when needed. The monitor has no command line, so the page is chosen as a user
# would: xdotool clicks the first unit in the tree and the "Sketch Map" tab.
set -euo pipefail
cd "$(dirname "$0")/.."

build=build/default
settle=20  # seconds between the start and the sample: units start answering
sample=60  # seconds of CPU time sampling
budget=2   # percent of one core
units=16
fast=0
minimise=0
page=sketch
while (($#)); do
    case $1 in
    --settle) settle=$2; shift 2 ;;
    --sample) sample=$2; shift 2 ;;
    --units) units=$2; shift 2 ;;
    --fast) fast=1; shift ;;
    --minimise) minimise=1; shift ;;
    --page) page=$2; shift 2 ;;
    -*)
        echo "usage: $0 [BUILD_FOLDER] [--settle SECONDS] [--sample SECONDS]" \
            "[--units N] [--fast] [--minimise] [--page sketch|data|overview]" >&2
        exit 2
        ;;
    *) build=$1; shift ;;
    esac
done
shot=/tmp/bench-monitor.png

[[ $units =~ ^[0-9]+$ ]] && ((units >= 16 && units <= 252)) ||
    { echo "--units: 16 to 252" >&2; exit 2; }
[[ $page == sketch || $page == data || $page == overview ]] ||
    { echo "--page: sketch, data or overview" >&2; exit 2; }
for tool in Xvfb xdotool import compare convert od; do
    if ! command -v "$tool" >/dev/null; then
        echo "$tool is missing: run tools/install-deps.sh as root" >&2
        exit 2
    fi
done

if [[ ! -f $build/CMakeCache.txt ]]; then
    cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
cmake --build "$build" --target pelmora-desk pelmora-sim pelmora-setup-demo -j2 >/dev/null

source bench/scratch-and-children.sh

fail() {
    echo "monitor_cpu: $*" >&2
    exit 1
}

# Polls until the file exists and is not empty, or the process ends.
wait_for_file() {
    local file=$1 pid=$2 log=$3
    for _ in $(seq 100); do
        [[ -s $file ]] && return 0
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
    cat "$log" >&2
    fail "no $file"
}

# Addresses that the monitor's event log reports as communicating (event 22,
# "communication established"): bytes 8 address, 9 kind, 12.. code of each
# 48-byte record.
communicating_units() {
    local log=$work/prog/Record/EventLog.dat
    [[ -f $log ]] || return 0
    od -An -v -tu1 -w48 "$log" | awk '$10 == 0 && $13 == 22 { print $9 }' | sort -un
}

# utime + stime of a process in clock ticks.
# Times any of the process's threads went to sleep waiting, so far: each is a
# wake-up later, and on an idle machine wake-ups are most of what an idle
# program costs. Threads that ended are not counted.
wait_count() {
    cat /proc/"$1"/task/*/status 2>/dev/null | awk '/^voluntary_ctxt_switches/ { n += $2 } END { print n }'
}

cpu_ticks() {
    local stat fields
    read -r stat <"/proc/$1/stat"
    # After the command name, which may hold blanks: state (field 3) onwards.
    read -r -a fields <<<"${stat##*) }"
    echo $((fields[11] + fields[12]))
}

# The bus: 16 units in a mix of states. Unit 1, the one shown, is online:
# every line of its diagram and the charge pipe are moving.
cat >"$work/bus16.txt" <<'EOF'
unit 1 state online
unit 2 state online
unit 3 state battery
unit 4 state bypass alarm 43
unit 5 state online
unit 6 state economy
unit 7 state online alarm 23
unit 8 state battery-test
unit 9 state online
unit 10 state fault alarm 9
unit 11 state standby
unit 12 state online alarm 51
unit 13 state battery
unit 14 state online
unit 15 state bypass
unit 16 state maintenance
EOF
for ((u = 17; u <= units; ++u)); do
    echo "unit $u state online" >>"$work/bus16.txt"
done

mkdir -p "$work/prog" && cp "$build/app/pelmora-desk" "$work/prog/"
link=$work/ttyUPS
"$build/tools/setup-demo/pelmora-setup-demo" --folder "$work/prog" --port "$link" \
    --scenario "$work/bus16.txt" --protocol 0 >/dev/null 2>"$work/setup.log" ||
    { cat "$work/setup.log" >&2; fail "pelmora-setup-demo failed"; }
if ((fast)); then
    ini=$work/prog/UserParaIni.ini
    if grep -qx '\[CommMast\]' "$ini"; then
        sed -i 's/^\[CommMast\]$/[CommMast]\nFastPoll=1/' "$ini"
    else
        printf '[CommMast]\nFastPoll=1\n' >>"$ini"
    fi
fi

"$build/tools/sim/pelmora-sim" --protocol 0 --baud 9600 --scenario "$work/bus16.txt" \
    --link "$link" --quiet >"$work/sim.out" 2>"$work/sim.log" &
children+=($!)
wait_for_file "$work/sim.out" "${children[-1]}" "$work/sim.log"

Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
children+=($!)
wait_for_file "$work/display" "${children[-1]}" "$work/xvfb.log"
DISPLAY=:$(cat "$work/display")
export DISPLAY

# A temporary folder of its own keeps the monitor's single-instance socket
# apart from any other monitor of this user.
mkdir -m 700 "$work/tmp" "$work/runtime"
TMPDIR=$work/tmp XDG_RUNTIME_DIR=$work/runtime "$work/prog/pelmora-desk" \
    >"$work/desk.log" 2>&1 &
monitor=$!
children+=("$monitor")

# The main window is 863 x 596 and lays out the same on every start; the
# places below are relative to it.
window=$(timeout 20 xdotool search --sync --onlyvisible --name '^Pelmora Monitor$' | head -n 1) ||
    { cat "$work/desk.log" >&2; fail "the main window did not appear"; }
sleep 1 # the first paint
eval "$(xdotool getwindowgeometry --shell "$window")" # X, Y
first_unit=(60 117)        # the first device node of the tree
sketch_tab=(288 77)        # the "Sketch Map" tab of the real-time page
data_tab=(200 77)          # the left end of the "Data" tab
backdrop=(497 337)         # an empty spot of the animation area
overview_button=(152 38)   # tool button 9, after the log buttons
animation=420x220+197+157  # the animation area

# True when the animation area's dark background is where it should be.
sketch_map_shown() {
    sleep 0.5
    local colour
    colour=$(import -window root -crop "1x1+$((X + backdrop[0]))+$((Y + backdrop[1]))" \
        -depth 8 txt:- | grep -o '#[0-9A-Fa-f]\{6\}' | head -n 1)
    [[ ${colour^^} == "#18222C" ]]
}

xdotool mousemove --window "$window" "${first_unit[@]}" click 1
sleep 0.3
case $page in
sketch)
    xdotool mousemove --window "$window" "${sketch_tab[@]}" click 1
    if ! sketch_map_shown; then
        # Other fonts, other tab widths: the wheel over the first tab turns to
        # the next one whatever the widths.
        xdotool mousemove --window "$window" "${data_tab[@]}" click 5
        sketch_map_shown || fail "the Sketch Map page could not be shown"
    fi
    ;;
overview)
    xdotool mousemove --window "$window" "${overview_button[@]}" click 1
    ;;
esac
xdotool mousemove 0 0 # no hover highlight during the sample
if ((minimise)); then
    # What a window manager does to iconify a window: it takes it off the
    # screen. (It also sets WM_STATE Iconic, which xprop(1) cannot write with the
    # property's own type, so the toolkit would not read it.)
    xdotool windowunmap "$window"
fi

sleep "$settle"
kill -0 "$monitor" 2>/dev/null || fail "the monitor ended"
units_before=$(communicating_units | wc -l)
communicating_units | grep -qx 1 || fail "unit 1 has not answered within $settle s"

hz=$(getconf CLK_TCK)
t0=$(date +%s%N)
c0=$(cpu_ticks "$monitor")
w0=$(wait_count "$monitor")
sleep "$sample"
c1=$(cpu_ticks "$monitor")
w1=$(wait_count "$monitor")
t1=$(date +%s%N)
kill -0 "$monitor" 2>/dev/null || fail "the monitor ended"
units_after=$(communicating_units | wc -l)
status=$(grep -E '^Vm(RSS|HWM):' "/proc/$monitor/status" | awk '{printf "%s %s kB  ", $1, $2}')

if ((minimise)); then
    percent=$(awk -v c=$((c1 - c0)) -v hz="$hz" -v ns=$((t1 - t0)) \
        'BEGIN { printf "%.2f", 100 * c / hz / (ns / 1e9) }')
    echo "monitor CPU, minimised: $percent % of one core over $sample s"
    echo "monitor wake-ups: $(((w1 - w0) / sample)) a second"
    echo "monitor memory: $status"
    echo "units communicating: $units_before of $units at the start of the sample, $units_after at its end"
    exit 0
fi

# Two pictures of the animation area a moment apart must differ.
import -window root "$shot"
sleep 0.25
import -window root "$work/second.png"
IFS=+ read -r size ax ay <<<"$animation"
convert "$shot" -crop "$size+$((X + ax))+$((Y + ay))" "$work/a.png"
convert "$work/second.png" -crop "$size+$((X + ax))+$((Y + ay))" "$work/b.png"
moved=$(compare -metric AE "$work/a.png" "$work/b.png" null: 2>&1 || true)

percent=$(awk -v c=$((c1 - c0)) -v hz="$hz" -v ns=$((t1 - t0)) \
    'BEGIN { printf "%.2f", 100 * c / hz / (ns / 1e9) }')
wall=$(awk -v ns=$((t1 - t0)) 'BEGIN { printf "%.1f", ns / 1e9 }')
echo "monitor CPU: $percent % of one core over $wall s ($((c1 - c0)) ticks of 1/$hz s)"
echo "monitor wake-ups: $(((w1 - w0) / sample)) a second"
echo "monitor memory: $status"
echo "units communicating: $units_before of $units at the start of the sample, $units_after at its end"
if [[ $page == sketch ]]; then
    echo "animation: $moved pixels of the picture changed in 0.25 s; screenshot $shot"
    [[ ${moved%% *} =~ ^[0-9]+$ && ${moved%% *} -gt 0 ]] || fail "the Sketch Map does not animate"
else
    echo "screenshot $shot"
fi
if awk -v p="$percent" -v b="$budget" 'BEGIN { exit !(p > b) }'; then
    echo "ABOVE the $budget % budget"
    exit 1
fi
echo "within the $budget % budget"
