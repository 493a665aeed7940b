#!/usr/bin/env bash
# The sanitizer run: a clang build in ./build-san (or $VORNAP_SAN_BUILD_DIR)
# of the core, the test programs and the fuzz targets with AddressSanitizer
# and UndefinedBehaviorSanitizer; then the test suite and a few seconds of
# each fuzz target ($VORNAP_FUZZ_SECONDS, default 6).
#   scripts/sanitize.sh [build|test|fuzz]...   (all three by default)
# The end-to-end scripts are left out here: they drive the whole desktop
# (window manager, tray host, audio server), which is not instrumented, so
# neither the program nor the benchmarks are built.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${VORNAP_SAN_BUILD_DIR:-build-san}
[ $# -gt 0 ] || set -- build test fuzz

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:detect_stack_use_after_return=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export LSAN_OPTIONS=suppressions=$PWD/scripts/lsan.supp:print_suppressions=0

for step in "$@"; do
    case $step in
    build)
        # Optimised a little so the suite runs at a fair speed; line tables
        # are all a sanitizer report needs.
        generator=()
        if [ ! -f "$build/CMakeCache.txt" ] && command -v ninja >/dev/null; then
            generator=(-G Ninja)
        fi
        CC=clang CXX=clang++ cmake "${generator[@]}" -S . -B "$build" \
            -DCMAKE_BUILD_TYPE=RelWithDebInfo \
            -DCMAKE_C_FLAGS_RELWITHDEBINFO="-O1 -g1" -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g1" \
            -DVORNAP_SANITIZE=ON -DVORNAP_FUZZ=ON -DVORNAP_BUILD_BENCH=OFF >/dev/null
        # Only the diagnostics are shown; the build's own status decides.
        status=0
        cmake --build "$build" --target vornap_tests -j"$(nproc)" >"$build/build.log" 2>&1 || status=$?
        grep -E "error|warning|Error" "$build/build.log" || true
        [ "$status" -eq 0 ] || exit "$status"
        ;;
    test)
        mkdir -p "$build/artifacts"
        # The table of bad inputs is checked by the plain run, which has the
        # end-to-end rows this one leaves out.
        (cd "$build" && ctest --output-on-failure --timeout 600 -j"$(nproc)" -E '^(e2e_.*|robustness_table)$')
        ;;
    fuzz)
        bash scripts/fuzz.sh "$build" "${VORNAP_FUZZ_SECONDS:-6}"
        ;;
    *)
        echo "usage: $0 [build|test|fuzz]..." >&2
        exit 2
        ;;
    esac
done
