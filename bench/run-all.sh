#!/usr/bin/env bash
# Runs every benchmark and prints one table: each figure, its target, met or
# missed. Usage: bench/run-all.sh [--quick] [--side-by-side] [build dir]
# --quick shortens the long runs (idle 10 s instead of 60 s, playing 10 s
# instead of 30 s, 3 repetitions instead of 5, continuity over 60 s of a
# generated disc instead of the whole demo disc).
# --side-by-side instead runs the player beside paplay, VLC, MPlayer and
# Audacious (those installed) and prints their table: 5 rounds of 20 s of
# playing each (--quick: 2 rounds of 10 s).
set -euo pipefail
HERE=$(cd "$(dirname "$0")" && pwd)
QUICK=0 SIDE=0
while [ $# -gt 0 ]; do
    case $1 in
    --quick) QUICK=1 ;;
    --side-by-side) SIDE=1 ;;
    *) break ;;
    esac
    shift
done
BUILD=${1:-$HERE/../build}
BIN=$BUILD/bin
if [ $SIDE = 1 ]; then
    for b in vornap vornap-discgen; do
        [ -x "$BIN/$b" ] || { echo "no $BIN/$b: build first" >&2; exit 1; }
    done
    if [ $QUICK = 1 ]; then exec "$HERE/sidebyside.sh" "$BIN" 2 10; fi
    exec "$HERE/sidebyside.sh" "$BIN" 5 20
fi
for b in bench_mci bench_lookup bench_firstpaint vornap vornap-mci vornap-discgen; do
    [ -x "$BIN/$b" ] || { echo "no $BIN/$b: build with -DVORNAP_BUILD_BENCH=ON first" >&2; exit 1; }
done
if [ $QUICK = 1 ]; then IDLE=10 PLAY=10 RUNS=3 CONT=60; else IDLE=60 PLAY=30 RUNS=5 CONT=; fi
OUT=$(mktemp /tmp/vornap-bench.XXXXXX)
trap 'rm -f "$OUT"' EXIT

# Google Benchmark: CPU time per iteration, medians of three repetitions.
gbench() {
    "$BIN/$1" --benchmark_repetitions=3 --benchmark_format=csv 2>/dev/null | python3 -c '
import csv, sys
rows = [l for l in sys.stdin if l.startswith("\"")]
for r in csv.reader(rows):
    if r[0].endswith("_median"):
        print("%s\t%s\t%s\t%s" % (r[0][:-len("_median")], r[2], r[3], r[4]))
'
}
echo "benchmarks: watcher tick and lookup" >&2
gbench bench_mci >>"$OUT"
gbench bench_lookup >>"$OUT"
run() { # script args...: its lines go to the table; a skip (77) is noted
    local status=0
    echo "benchmarks: $1" >&2
    "$HERE/$1" "${@:2}" >>"$OUT" || status=$?
    [ $status = 0 ] || echo "skipped	$1 ($status)" >>"$OUT"
}
run play_cpu.sh "$BIN" "$PLAY"
run program.sh "$BIN" "$IDLE" "$PLAY" "$RUNS"
run underruns.sh "$BIN" $CONT

python3 - "$OUT" "$IDLE" "$PLAY" "$RUNS" <<'PY'
import math, sys
values, skipped = {}, []
for line in open(sys.argv[1]):
    parts = line.rstrip("\n").split("\t")
    if parts[0] == "skipped":
        skipped.append(parts[1])
    elif len(parts) >= 2:
        values[parts[0]] = parts[1:]
idle, play, runs = sys.argv[2], sys.argv[3], sys.argv[4]

def num(key, scale=1.0):
    try:
        return float(values[key][0]) * scale
    except (KeyError, ValueError):
        return math.nan

# Google Benchmark: CPU time, or wall time for what waits on a server.
def gb(name, unit, wall=False):
    v = values.get(name)
    if not v or len(v) < 3:
        return math.nan
    t = float(v[0] if wall else v[1])
    ns = t * {"ns": 1, "us": 1e3, "ms": 1e6, "s": 1e9}[v[2]]
    return ns / {"us": 1e3, "ms": 1e6}[unit]

rows = [
    ("watcher tick, disc image (CPU)", gb("BM_WatcherTick/image_file", "us"), "us", "<", 100),
    ("watcher tick, tray directory (CPU)", gb("BM_WatcherTick/tray_directory", "us"), "us", "<", 100),
    ("watcher tick, empty drive (CPU)", gb("BM_WatcherTickEmpty", "us"), "us", "<", 100),
    (f"idle with a disc in, stopped ({idle} s)", num("idle_pct"), "% core", "<=", 0.05),
    (f"device layer playing / paplay ({play} s)", num("mci_ratio"), "x", "<=", 1.3),
    (f"  device layer playing", num("mci_play_pct"), "% core", None, None),
    (f"  paplay, same run", num("paplay_pct"), "% core", None, None),
    (f"program playing / paplay ({play} s)", num("prog_ratio"), "x", "<=", 0.35),
    (f"  program playing the demo disc", num("prog_play_pct"), "% core", None, None),
    (f"  paplay, same run", num("paplay_prog_pct"), "% core", None, None),
    (f"start to first paint (median of {runs})", num("first_paint_ms"), "ms", "<", 150),
    ("  CPU time used by then (all threads)", num("first_paint_cpu_ms"), "ms", None, None),
    ("  plain Qt window with text: first paint", num("floor_paint_ms"), "ms", None, None),
    ("  plain Qt window: CPU time by then", num("floor_paint_cpu_ms"), "ms", None, None),
    (f"start to first sound, play on start (median of {runs})", num("first_sound_ms"), "ms", "<=", 150),
    ("peak resident memory (start, load, play)", num("peak_rss_mb"), "MB", "<=", 25),
    ("  plain Qt window with text: peak memory", num("floor_rss_mb"), "MB", None, None),
    (f"insertion to track table (median of {runs})", num("insert_tracks_ms"), "ms", "<", 600),
    (f"insertion to titles from cache (median of {runs})", num("insert_titles_ms"), "ms", None, None),
    ("lookup round trip, local server (wall)", gb("BM_LookupRoundTrip/real_time", "ms", True), "ms", None, None),
    ("lookup cache hit (wall)", gb("BM_LookupCacheHit/real_time", "ms", True), "ms", "<", 5),
    ("lookup full miss, every source asked (wall)", gb("BM_LookupFullMiss/real_time", "ms", True), "ms", None, None),
    ("underruns over %s s under load" % (values.get("underrun_play_s", ["?"])[0]),
     num("underruns"), "", "<=", 0),
]
print("%-54s %10s %-7s %-10s %s" % ("figure", "measured", "unit", "target", "result"))
print("%-54s %10s %-7s %-10s %s" % ("-" * 54, "-" * 10, "-" * 7, "-" * 10, "------"))
for name, value, unit, op, target in rows:
    shown = "n/a" if math.isnan(value) else ("%.3f" % value if value < 1 and unit.startswith("%") else
                                             "%.2f" % value if unit == "x" else
                                             "%.0f" % value if value >= 100 else "%.1f" % value)
    if op is None:
        goal, result = "", ""
    else:
        goal = "%s %g" % (op, target)
        if math.isnan(value):
            result = "not measured"
        else:
            ok = value < target if op == "<" else value <= target
            result = "met" if ok else "MISSED"
    print("%-54s %10s %-7s %-10s %s" % (name, shown, unit, goal, result))
for s in skipped:
    print("skipped:", s)
PY
