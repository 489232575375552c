# Sourced by tools/run.sh: the folders a run writes through. Nothing here may
# be a folder another local user made or can write in, or the simulator's
# output, its log, the display file and the port link would be written or
# followed there.

# True when $1 is a folder (not a link) of this user's own that nobody else
# may write in; otherwise says why.
pelmora_own_folder() {
    local dir=$1 mode
    if [[ -L $dir || ! -d $dir ]]; then
        echo "$dir is not a folder" >&2
        return 1
    fi
    if [[ $(stat -c %u -- "$dir") != "$(id -u)" ]]; then
        echo "$dir belongs to $(stat -c %U -- "$dir"), not to $(id -un)" >&2
        return 1
    fi
    mode=$(stat -c %a -- "$dir")
    if (((8#$mode & 8#022) != 0)); then
        echo "$dir can be written by others (mode $mode)" >&2
        return 1
    fi
}

# Prints the folder for the simulator's output, log and display file: a
# folder of its own in the user's runtime folder when there is one, else a
# fresh one from mktemp. Fails, saying why, on a folder that is not the
# user's own.
pelmora_run_folder() {
    local runtime=${XDG_RUNTIME_DIR:-}
    if [[ $runtime == /* ]] && pelmora_own_folder "$runtime" 2>/dev/null; then
        mkdir -m 700 -- "$runtime/pelmora-sim" 2>/dev/null || true
        pelmora_own_folder "$runtime/pelmora-sim" || return 1
        echo "$runtime/pelmora-sim"
        return 0
    fi
    local dir
    dir=$(mktemp -d "${TMPDIR:-/tmp}/pelmora-sim.XXXXXX") || return 1
    echo "$dir"
}

# Prints the folder of the simulator's port link, $1/sim/ in the build tree:
# the settings keep its path, so it is the same on every run.
pelmora_link_folder() {
    local dir=$1/sim
    mkdir -m 700 -p -- "$dir" 2>/dev/null || true
    pelmora_own_folder "$dir" || return 1
    echo "$dir"
}
