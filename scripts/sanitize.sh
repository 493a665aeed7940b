#!/usr/bin/env bash
# The sanitizer run: a clang build in ./build-san (or $VORNAP_SAN_BUILD_DIR)
# of the core, the tools and every test with AddressSanitizer and
# UndefinedBehaviorSanitizer, plus the fuzz targets; then the test suite and
# a few seconds of each fuzz target ($VORNAP_FUZZ_SECONDS, default 6).
# The end-to-end scripts are left out here: they drive the whole desktop
# (window manager, tray host, audio server), which is not instrumented.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${VORNAP_SAN_BUILD_DIR:-build-san}

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:detect_stack_use_after_return=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export LSAN_OPTIONS=suppressions=$PWD/scripts/lsan.supp:print_suppressions=0

# Optimised a little so the suite runs at a fair speed, and no benchmarks.
CC=clang CXX=clang++ cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_C_FLAGS_RELWITHDEBINFO="-O1 -g" -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g" \
    -DVORNAP_SANITIZE=ON -DVORNAP_FUZZ=ON -DVORNAP_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" -j"$(nproc)" 2>&1 | grep -E "error|warning|Error" || true
test "${PIPESTATUS[0]}" -eq 0

mkdir -p "$build/artifacts"
# The table of bad inputs is checked by the plain run, which has the
# end-to-end rows this one leaves out.
(cd "$build" && ctest --output-on-failure --timeout 600 -j2 -E '^(e2e_.*|robustness_table)$')
bash scripts/fuzz.sh "$build" "${VORNAP_FUZZ_SECONDS:-6}"
