#!/usr/bin/env bash
# Installs what Vornap needs, builds it and runs every test: the suite in
# ./build, the same suite under the sanitizers in ./build-san, and the fuzz
# targets. Ends with the wall and CPU time of each stage.
set -euo pipefail
cd "$(dirname "$0")/.."
timings=$(mktemp)
logs=$(mktemp -d)
trap 'rm -rf "$timings" "$logs"' EXIT

# Runs a stage and appends "name<TAB>wall<TAB>user<TAB>sys<TAB>status" to the
# timings. CPU is what the stage's processes used, children included.
stage() {
    local name=$1
    shift
    (
        start=$EPOCHREALTIME
        status=0
        "$@" || status=$?
        end=$EPOCHREALTIME
        # times is a builtin: in a pipe or substitution it would count a fork.
        cpu=$logs/times.$BASHPID
        times >"$cpu"
        { read -r _ && read -r user sys; } <"$cpu" # the shell's, then its children's
        printf '%s\t%s\t%s\t%s\t%s\n' "$name" "$(awk "BEGIN { print $end - $start }")" \
            "$user" "$sys" "$status" >>"$timings"
        exit "$status"
    )
}

# The stages go on after a failure, so one run reports every broken part.
failed=()
run() { stage "$@" || failed+=("$1"); }

run "install packages" bash scripts/install-deps.sh
run "build" bash scripts/build.sh
mkdir -p build/artifacts
# The suite spends most of its time waiting on the end-to-end scripts'
# X servers, audio servers and timers; the sanitizer tree builds meanwhile,
# yielding the processor to the tests whenever they want it.
stage "tests" bash -c 'cd build && ctest --output-on-failure --timeout 600 -j2' \
    >"$logs/tests.log" 2>&1 &
tests=$!
run "sanitizer build" nice -n 10 bash scripts/sanitize.sh build
wait "$tests" || failed+=("tests")
cat "$logs/tests.log"
# The sanitized suite waits a minute on its longest test with one core
# idle; the fuzz targets take that core, one at a time. Not niced: their
# time limit is on the clock, so a lower priority would cut their runs.
VORNAP_FUZZ_JOBS=1 stage "fuzzing" bash scripts/sanitize.sh fuzz \
    >"$logs/fuzz.log" 2>&1 &
fuzz=$!
run "sanitizer tests" bash scripts/sanitize.sh test
wait "$fuzz" || failed+=("fuzzing")
cat "$logs/fuzz.log"

echo
awk -F'\t' '
    function secs(t,  m) { m = index(t, "m"); return substr(t, 1, m - 1) * 60 + substr(t, m + 1) + 0 }
    BEGIN { printf "%-18s %9s %9s %9s  %s\n", "stage", "wall s", "user s", "sys s", "result" }
    {
        printf "%-18s %9.1f %9.1f %9.1f  %s\n", $1, $2, secs($3), secs($4), $5 == 0 ? "ok" : "FAILED"
        user += secs($3); sys += secs($4)
    }
    END { printf "%-18s %9s %9.1f %9.1f\n", "all (CPU)", "", user, sys }' "$timings"
echo "whole run: $SECONDS s"
[ ${#failed[@]} -eq 0 ] || { echo "failed: ${failed[*]}"; exit 1; }
