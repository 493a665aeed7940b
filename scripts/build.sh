#!/usr/bin/env bash
# Configures and builds Vornap in ./build (or $VORNAP_BUILD_DIR).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${VORNAP_BUILD_DIR:-build}
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
cmake --build "$build" -j"$(nproc)" 2>&1 | grep -E "error|warning|Error" || true
test "${PIPESTATUS[0]}" -eq 0
