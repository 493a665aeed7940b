#!/usr/bin/env bash
# CPU share of the CD device layer (vornap-mci) playing a disc image into a
# PulseAudio null sink, against paplay streaming the same PCM to the same sink
# at the same time, so both see the same load. The first two seconds (start-up,
# filling the buffers) are left out; the rest is measured in three windows.
# Usage: play_cpu.sh <bin dir> [seconds]. Prints "key<TAB>value" lines.
set -euo pipefail
HERE=$(cd "$(dirname "$0")" && pwd)
BIN=$1
SECS=${2:-30}
WORK=$(mktemp -d /tmp/vornap-bench-play.XXXXXX)
source "$HERE/lib.sh"
bench_need pulseaudio pactl paplay python3
trap bench_cleanup EXIT
bench_pulse

mkdir "$WORK/home"
"$BIN/vornap-discgen" "$WORK/home/disc.cue" "audio:$((SECS + 30))s:left=440:right=660" >/dev/null
printf 'E:\\=disc.cue\n' >"$WORK/home/VornapDrives.dat"
export VORNAP_HOME=$WORK/home

printf '%s\n' 'open E:\ type cdaudio alias cd1 wait shareable' 'set cd1 time format tmsf' \
    'play cd1 from 1 wait' | "$BIN/vornap-mci" >/dev/null 2>&1 &
MCI=$!
BENCH_PIDS+=($MCI)
paplay --raw --format=s16le --rate=44100 --channels=2 "$WORK/home/disc.bin" &
PAPLAY=$!
BENCH_PIDS+=($PAPLAY)
sleep 2
# Three windows, and the median of each: one stall of the machine (another
# program's burst) would otherwise decide the figure.
mcis=() paplays=() ratios=()
for _ in 1 2 3; do
    read -r mci paplay < <(bench_cpu_share "$((SECS / 3))" "$MCI" "$PAPLAY" | paste -sd' ')
    mcis+=("$mci") paplays+=("$paplay")
    ratios+=("$(python3 -c "import sys; print(float(sys.argv[1]) / float(sys.argv[2]))" "$mci" "$paplay")")
done
median() { python3 -c "import statistics, sys; print('%.3f' % statistics.median(map(float, sys.argv[1:])))" "$@"; }
printf 'mci_play_pct\t%s\npaplay_pct\t%s\nmci_ratio\t%s\n' "$(median "${mcis[@]}")" \
    "$(median "${paplays[@]}")" "$(median "${ratios[@]}")"
echo "device layer / paplay per window: ${ratios[*]}" >&2
