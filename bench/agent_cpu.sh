#!/usr/bin/env bash
# CPU and memory of the agent in its steady state, to set beside the
# monitor's (bench/monitor_cpu.sh, same units and timing): pelmora-agent polls
# 16 simulated units (modular protocol, 9600 baud, fixed waits) with the
# metrics endpoint on and a client scraping it every second. Prints the CPU
# time the agent used over the sample, in percent of one core, and its VmRSS
# and VmHWM.
#
#   bash bench/agent_cpu.sh [BUILD_FOLDER] [--settle SECONDS] [--sample SECONDS]
set -euo pipefail
cd "$(dirname "$0")/.."

build=build/default
settle=20
sample=60
while (($#)); do
    case $1 in
    --settle) settle=$2; shift 2 ;;
    --sample) sample=$2; shift 2 ;;
    -*) echo "usage: $0 [BUILD_FOLDER] [--settle SECONDS] [--sample SECONDS]" >&2; exit 2 ;;
    *) build=$1; shift ;;
    esac
done
cmake --build "$build" --target pelmora-agent pelmora-sim pelmora-setup-demo -j2 >/dev/null

source bench/scratch-and-children.sh

units=$(seq -s, 1 16)
"$build/tools/sim/pelmora-sim" --protocol 0 --units "$units" --link "$work/tty" --quiet \
    >/dev/null 2>"$work/sim.log" &
children+=($!)
for _ in $(seq 50); do [[ -L $work/tty ]] && break; sleep 0.1; done
printf 'unit %s model "UPS"\n' $(seq 1 16) >"$work/units.txt"
"$build/tools/setup-demo/pelmora-setup-demo" --folder "$work" --port "$work/tty" --protocol 0 \
    --scenario "$work/units.txt" >/dev/null
printf '\n[Metrics]\nListen=127.0.0.1:0\n' >>"$work/UserParaIni.ini"
mkdir -p "$work/tmp"
TMPDIR=$work/tmp "$build/agent/pelmora-agent" --folder "$work" 2>"$work/agent.log" &
agent=$!
children+=($agent)
for _ in $(seq 50); do grep -q 'metrics on' "$work/agent.log" && break; sleep 0.1; done
url=$(grep -o 'http://[0-9.:]*/metrics' "$work/agent.log")
(while sleep 1; do curl -s -o /dev/null "$url"; done) &
children+=($!)

sleep "$settle"
ticks() { awk '{print $14 + $15}' "/proc/$agent/stat"; }
hz=$(getconf CLK_TCK)
before=$(ticks)
sleep "$sample"
after=$(ticks)
awk -v t=$((after - before)) -v hz="$hz" -v s="$sample" \
    'BEGIN { printf "agent CPU %.2f %% of one core over %d s\n", t * 100 / hz / s, s }'
grep -E 'VmRSS|VmHWM' "/proc/$agent/status"
