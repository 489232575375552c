#!/usr/bin/env bash
# Installs what is missing, builds, and starts the monitor.
set -euo pipefail
cd "$(dirname "$0")/.."

bash tools/install-deps.sh
cmake --preset default
cmake --build --preset default --target pelmora-desk

exec build/default/app/pelmora-desk
