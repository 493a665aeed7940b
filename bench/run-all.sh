#!/usr/bin/env bash
# Runs every benchmark and prints one table. Usage: bench/run-all.sh [build dir]
set -euo pipefail
HERE=$(cd "$(dirname "$0")" && pwd)
BUILD=${1:-$HERE/../build}
BIN=$BUILD/bin
[ -x "$BIN/bench_mci" ] || { echo "build with -DVORNAP_BUILD_BENCH=ON first (no $BIN/bench_mci)" >&2; exit 1; }

printf '%-48s %14s %14s\n' "benchmark" "cpu" "wall"
printf '%-48s %14s %14s\n' "---------" "---" "----"
"$BIN/bench_mci" --benchmark_format=csv 2>/dev/null | python3 -c '
import csv, sys
rows = [l for l in sys.stdin if l.startswith("\"") or l.startswith("name")]
for r in csv.DictReader(rows):
    if r["name"] == "name": continue
    print("%-48s %11.1f %s %11.1f %s" % (r["name"], float(r["cpu_time"]), r["time_unit"], float(r["real_time"]), r["time_unit"]))
'
if out=$("$HERE/play_cpu.sh" "$BIN" 30 2>/dev/null); then
    while IFS=$'\t' read -r name cpu wall pct; do
        case $name in *start-up*) label=$name ;; *) label="$name (30 s of audio)" ;; esac
        printf '%-48s %12s s %12s s   (%s%% of one core)\n' "$label" "$cpu" "$wall" "$pct"
    done <<<"$out"
else
    echo "(playback CPU comparison skipped: no PulseAudio here)"
fi
