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

# The metrics endpoint's request handling against bad clients under
# AddressSanitizer: only that test is built.
cmake --preset asan
cmake --build --preset asan --target test_metricsserver
ctest --preset asan -R '^test_metricsserver$'

# The parsers under libFuzzer with ASan + UBSan: replay the saved corpus, then
# fuzz each target briefly from it (new inputs go to a scratch folder).
cmake --preset fuzz
cmake --build --preset fuzz
ctest --test-dir build/fuzz -L fuzz --output-on-failure
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
for target in build/fuzz/tests/fuzz/fuzz_*; do
    name=$(basename "$target")
    mkdir -p "$scratch/$name"
    "$target" -max_total_time=15 -print_final_stats=0 "$scratch/$name" \
        "tests/fuzz/corpus/${name#fuzz_}" 2>"$scratch/$name.log" ||
        { tail -n 40 "$scratch/$name.log"; exit 1; }
    echo "$name: no crash in 15 s"
done
