#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."

bash tools/install-deps.sh

cmake --preset default
cmake --build --preset default
ctest --preset default -j2

# The serial port's worker threads under ThreadSanitizer (core only, no Qt).
cmake --preset tsan
cmake --build --preset tsan --target test_spcomm
ctest --preset tsan -L tsan
