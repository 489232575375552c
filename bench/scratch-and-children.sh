# Sourced by the benchmark scripts: a scratch folder in $work and the list
# $children of the programs they start. At exit the programs are stopped,
# the last started first (the monitor before the screen it draws on), and
# the folder is removed.
work=$(mktemp -d /tmp/pelmora-bench.XXXXXX)
children=()
cleanup() {
    for ((i = ${#children[@]} - 1; i >= 0; --i)); do
        kill "${children[i]}" 2>/dev/null || true
        wait "${children[i]}" 2>/dev/null || true
    done
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM
