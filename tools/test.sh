#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."

bash tools/install-deps.sh

cmake --preset default
cmake --build --preset default
ctest --preset default -j2

# The serial port, the poll engine (fixed and fast), the CSV export (lines
# made on several threads) and the readers' feed under ThreadSanitizer
# (core only, no Qt): every test labelled tsan.
cmake --preset tsan
cmake --build --preset tsan --target test_spcomm test_pollengine test_fastpoll test_datalogtable \
    test_deskfeed
ctest --preset tsan -L tsan

# The parsers under libFuzzer with ASan + UBSan (clang): replay the saved
# corpus, then fuzz each target briefly from it, two at a time (new inputs go
# to a scratch folder). The metrics endpoint's request handling against bad
# clients runs in the same build, so the sanitized core is compiled once.
cmake --preset fuzz
cmake --build --preset fuzz --target pelmora_fuzzers test_metricsserver
ctest --preset fuzz -L fuzz
ctest --preset fuzz -R '^test_metricsserver$'
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
fuzz_briefly() {
    local target=$1 name
    name=$(basename "$target")
    mkdir -p "$scratch/$name"
    if "$target" -max_total_time=15 -print_final_stats=0 "$scratch/$name" \
        "tests/fuzz/corpus/${name#fuzz_}" 2>"$scratch/$name.log"; then
        echo "$name: no crash in 15 s"
    else
        tail -n 40 "$scratch/$name.log"
        return 1
    fi
}
export -f fuzz_briefly
export scratch
printf '%s\n' build/fuzz/tests/fuzz/fuzz_* | xargs -P2 -I{} bash -c 'fuzz_briefly "$1"' _ {}
