#!/usr/bin/env bash
# Runs every fuzz target of a sanitizer build for a bounded time, from the
# committed seed corpus, one target per core ($VORNAP_FUZZ_JOBS to change).
# Fails on any crash, leak, time-out or sanitizer report.
#   scripts/fuzz.sh [build dir] [seconds per target]
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(realpath "${1:-build-san}")
seconds=${2:-6}
jobs=${VORNAP_FUZZ_JOBS:-$(nproc)}
src=$PWD/fuzz

declare -A dicts=(
    [fieldreader]=fields [options]=fields [colors]=fields [updatefile]=fields [drivesfile]=fields
    [xmcd]=xmcd [cddbreply]=xmcd [musicbrainz]=json [registrystore]=json
    [mci]=mci [cuesheet]=cuesheet
)

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1:detect_stack_use_after_return=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$PWD/scripts/lsan.supp:print_suppressions=0}
export QT_QPA_PLATFORM=offscreen

artifacts=$build/artifacts/fuzz
mkdir -p "$artifacts"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Fuzzes one target; its verdict goes to $work/<name>.result.
fuzz_one() {
    local target=$1 name=$2
    local args=(-max_total_time="$seconds" -rss_limit_mb=2048 -timeout=20 -print_final_stats=1
                -artifact_prefix="$artifacts/$name-")
    [ -n "${dicts[$name]:-}" ] && args+=(-dict="$src/dict/${dicts[$name]}.dict")
    # New inputs go to a scratch corpus; the committed seeds are only read.
    mkdir -p "$work/$name"
    local log=$artifacts/$name.log
    if (cd "$work" && "$target" "${args[@]}" "$work/$name" "$src/corpus/$name" </dev/null >"$log" 2>&1); then
        local runs
        runs=$(grep -m1 -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' || echo '?')
        echo "fuzz $name: ok, $runs runs in ${seconds}s" >"$work/$name.result"
    else
        { echo "fuzz $name: FAILED (log and reproducer in $artifacts)"; tail -n 40 "$log"; } \
            >"$work/$name.result"
    fi
}

names=()
for target in "$build"/fuzz/fuzz_*; do
    [ -f "$target" ] && [ -x "$target" ] || continue
    name=$(basename "$target")
    name=${name#fuzz_}
    names+=("$name")
    while [ "$(jobs -rp | wc -l)" -ge "$jobs" ]; do wait -n || true; done
    fuzz_one "$target" "$name" &
done
wait
[ ${#names[@]} -gt 0 ] || { echo "no fuzz targets in $build/fuzz"; exit 1; }

failed=()
for name in "${names[@]}"; do
    cat "$work/$name.result"
    head -n 1 "$work/$name.result" | grep -q ': ok,' || failed+=("$name")
done
[ ${#failed[@]} -eq 0 ] || { echo "fuzz targets that failed: ${failed[*]}"; exit 1; }
