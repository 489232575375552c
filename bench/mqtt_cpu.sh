#!/usr/bin/env bash
# What MQTT publishing costs the agent, and what a broker outage does to it.
# Two agents side by side in one run, each on a simulated line of 252 units
# (Modbus, 9600 baud, fast poll) with its own simulator: one publishes to a
# Mosquitto broker this script starts on a free loopback port, the other
# does not. Over the same sample it prints each agent's CPU in percent of
# one core and the bus cycle its /metrics reports (the last whole cycle),
# then stops the broker for --down seconds sampling the publishing agent's
# VmRSS, starts the broker again and times until all 252 retained states
# are back.
#
#   bash bench/mqtt_cpu.sh [BUILD_FOLDER] [--sample SECONDS] [--down SECONDS]
set -euo pipefail
cd "$(dirname "$0")/.."

build=build/default
sample=150
down=300
while (($#)); do
    case $1 in
    --sample) sample=$2; shift 2 ;;
    --down) down=$2; shift 2 ;;
    -*) echo "usage: $0 [BUILD_FOLDER] [--sample SECONDS] [--down SECONDS]" >&2; exit 2 ;;
    *) build=$1; shift ;;
    esac
done
cmake --build "$build" --target pelmora-agent pelmora-sim pelmora-setup-demo -j2 >/dev/null

source bench/scratch-and-children.sh

units=252
port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
printf 'persistence false\nuser %s\nlistener %s 127.0.0.1\nallow_anonymous true\n' "$(id -un)" \
    "$port" >"$work/mosquitto.conf"
start_broker() {
    mosquitto -c "$work/mosquitto.conf" 2>>"$work/mosquitto.log" &
    broker=$!
    children+=($broker)
    for _ in $(seq 50); do (echo >"/dev/tcp/127.0.0.1/$port") 2>/dev/null && break; sleep 0.1; done
}
start_broker

printf 'unit %s model "VEX610"\n' $(seq 1 $units) >"$work/units.txt"
# line NAME MQTT(0/1): a folder, a simulator and an agent of its own.
start_line() {
    local dir=$work/$1
    mkdir -p "$dir/tmp"
    "$build/tools/sim/pelmora-sim" --protocol 2 --units "$(seq -s, 1 $units)" --link "$dir/tty" \
        --quiet >/dev/null 2>"$dir/sim.log" &
    children+=($!)
    for _ in $(seq 50); do [[ -L $dir/tty ]] && break; sleep 0.1; done
    "$build/tools/setup-demo/pelmora-setup-demo" --folder "$dir" --port "$dir/tty" --protocol 2 \
        --scenario "$work/units.txt" >/dev/null
    sed -i 's/^FastPoll=.*/FastPoll=1/' "$dir/UserParaIni.ini"
    printf '\n[Metrics]\nListen=127.0.0.1:0\n' >>"$dir/UserParaIni.ini"
    if [[ $2 == 1 ]]; then
        printf '[Mqtt]\nHost=127.0.0.1\nPort=%s\nTopicPrefix=bench/%s\n' "$port" "$1" \
            >>"$dir/UserParaIni.ini"
    fi
    TMPDIR=$dir/tmp "$build/agent/pelmora-agent" --folder "$dir" 2>"$dir/agent.log" &
    children+=($!)
    eval "pid_$1=$!"
    for _ in $(seq 50); do grep -q 'metrics on' "$dir/agent.log" && break; sleep 0.1; done
    eval "url_$1=$(grep -o 'http://[0-9.:]*/metrics' "$dir/agent.log")"
}
start_line on 1
start_line off 0

metric() { curl -s "$1" | awk -v m="$2" '$1 == m { print $2 }'; }
cycles() { local n; n=$(metric "$1" pelmora_bus_cycles_total); echo "${n:-0}"; }
ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
hz=$(getconf CLK_TCK)

# Both lines through one whole cycle first, so every unit communicates.
until (($(cycles "$url_on") >= 1 && $(cycles "$url_off") >= 1)); do sleep 2; done
on0=$(ticks "$pid_on"); off0=$(ticks "$pid_off")
sleep "$sample"
on1=$(ticks "$pid_on"); off1=$(ticks "$pid_off")
until (($(cycles "$url_on") >= 2 && $(cycles "$url_off") >= 2)); do sleep 2; done
cpu() { awk -v t="$1" -v hz="$hz" -v s="$sample" 'BEGIN { printf "%.3f", t * 100 / hz / s }'; }
echo "agent CPU over $sample s, % of one core: MQTT on $(cpu $((on1 - on0))), off $(cpu $((off1 - off0)))"
echo "bus cycle, s: MQTT on $(metric "$url_on" pelmora_bus_cycle_seconds)," \
    "off $(metric "$url_off" pelmora_bus_cycle_seconds)"
retained=$(mosquitto_sub -h 127.0.0.1 -p "$port" -t 'bench/on/+/state' -W 5 -C $units 2>/dev/null |
    grep -c '"communication":"communicating"' || true)
echo "retained states of communicating units: $retained of $units"

# The broker away: the queue stays bounded, so the memory stays flat.
rss() { awk '/VmRSS/ { print $2 }' "/proc/$pid_on/status"; }
echo "VmRSS before the outage: $(rss) kB"
kill "$broker"; wait "$broker" 2>/dev/null || true
for ((t = 0; t < down; t += 30)); do
    sleep 30
    echo "  broker down $((t + 30)) s: VmRSS $(rss) kB"
done
start_broker
back=$(date +%s.%N)
got=$(mosquitto_sub -h 127.0.0.1 -p "$port" -t 'bench/on/+/state' -W 120 -C $units 2>/dev/null |
    wc -l)
awk -v b="$back" -v n="$(date +%s.%N)" -v g="$got" -v u="$units" \
    'BEGIN { printf "broker back: %d of %d states retained again after %.1f s\n", g, u, n - b }'
grep 'MQTT' "$work/on/agent.log" | tail -5
