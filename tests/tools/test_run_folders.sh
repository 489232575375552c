#!/usr/bin/env bash
# The folders tools/run.sh writes through: the runtime folder or a fresh
# mktemp folder, never one that another user made or can write in.
set -uo pipefail
source "$1/tools/run-folders.sh"

work=$(mktemp -d)
trap 'chmod -R u+rwx "$work"; rm -rf "$work"' EXIT
failures=0
check() { # what, expected (ok|refused), command...
    local what=$1 expected=$2 got
    shift 2
    if "$@" >"$work/out" 2>"$work/err"; then got=ok; else got=refused; fi
    if [[ $got != "$expected" ]]; then
        echo "FAIL: $what: $got ($(cat "$work/out" "$work/err"))"
        failures=$((failures + 1))
    fi
}

mkdir -m 700 "$work/run" "$work/tmp"
export TMPDIR=$work/tmp

# The runtime folder: a folder of its own there, 0700.
check "runtime folder" ok env XDG_RUNTIME_DIR="$work/run" bash -c \
    "source '$1/tools/run-folders.sh'; [[ \$(pelmora_run_folder) == '$work/run/pelmora-sim' ]]"
[[ $(stat -c %a "$work/run/pelmora-sim") == 700 ]] || { echo "FAIL: mode $(stat -c %a "$work/run/pelmora-sim")"; failures=$((failures + 1)); }

# No runtime folder: a fresh mktemp folder each time, 0700.
unset XDG_RUNTIME_DIR
first=$(pelmora_run_folder) && second=$(pelmora_run_folder)
if [[ $first != "$work"/tmp/pelmora-sim.* || $first == "$second" || $(stat -c %a "$first") != 700 ]]; then
    echo "FAIL: mktemp folders $first $second"
    failures=$((failures + 1))
fi

# Planted in the runtime folder: a link, a folder open to others.
mkdir -m 700 "$work/run2" "$work/elsewhere"
ln -s "$work/elsewhere" "$work/run2/pelmora-sim"
check "a link planted" refused env XDG_RUNTIME_DIR="$work/run2" bash -c \
    "source '$1/tools/run-folders.sh'; pelmora_run_folder"
mkdir -m 700 "$work/run3"
mkdir "$work/run3/pelmora-sim" && chmod 777 "$work/run3/pelmora-sim"
check "a folder open to others" refused env XDG_RUNTIME_DIR="$work/run3" bash -c \
    "source '$1/tools/run-folders.sh'; pelmora_run_folder"

# A runtime folder that is not the user's own is not used at all.
mkdir -m 777 "$work/shared" && chmod 777 "$work/shared"
check "a shared runtime folder" ok env XDG_RUNTIME_DIR="$work/shared" bash -c \
    "source '$1/tools/run-folders.sh'; [[ \$(pelmora_run_folder) == '$work'/tmp/pelmora-sim.* ]]"
[[ ! -e $work/shared/pelmora-sim ]] || { echo "FAIL: wrote into a shared folder"; failures=$((failures + 1)); }

# Another user's folder (root can make one for user nobody).
if [[ $(id -u) == 0 ]]; then
    mkdir -m 700 "$work/run4" "$work/run4/pelmora-sim"
    chown nobody "$work/run4/pelmora-sim"
    check "another user's folder" refused env XDG_RUNTIME_DIR="$work/run4" bash -c \
        "source '$1/tools/run-folders.sh'; pelmora_run_folder"
    grep -q "belongs to nobody" "$work/err" || { echo "FAIL: $(cat "$work/err")"; failures=$((failures + 1)); }
fi

# The port link's folder in the build tree, made 0700 and the same each run.
check "link folder" ok bash -c "source '$1/tools/run-folders.sh'; [[ \$(pelmora_link_folder '$work/build') == '$work/build/sim' ]]"
chmod 777 "$work/build/sim"
check "link folder open to others" refused pelmora_link_folder "$work/build"

exit $((failures > 0))
