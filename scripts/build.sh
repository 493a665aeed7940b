#!/usr/bin/env bash
# Configures and builds Vornap in ./build (or $VORNAP_BUILD_DIR).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${VORNAP_BUILD_DIR:-build}
# A new build directory gets Ninja when it is there; an existing one keeps
# the generator it was made with.
generator=()
if [ ! -f "$build/CMakeCache.txt" ] && command -v ninja >/dev/null; then
    generator=(-G Ninja)
fi
# Line tables give backtraces with file and line at a fraction of the cost
# of full debug information.
cmake "${generator[@]}" -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_C_FLAGS_RELWITHDEBINFO="-O2 -g1 -DNDEBUG" \
    -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -g1 -DNDEBUG" "$@" >/dev/null
cmake --build "$build" -j"$(nproc)" 2>&1 | grep -E "error|warning|Error" || true
test "${PIPESTATUS[0]}" -eq 0
