#!/usr/bin/env bash
# Playback continuity: the device layer plays the whole demo disc into a
# PulseAudio null sink while every core also runs a busy loop; the audio
# output counts the times the server ran out of sound.
# Usage: underruns.sh <bin dir> [seconds: play only the start of a generated
# disc this long instead]. Prints "key<TAB>value" lines.
set -euo pipefail
HERE=$(cd "$(dirname "$0")" && pwd)
BIN=$1
WORK=$(mktemp -d /tmp/vornap-bench-underruns.XXXXXX)
source "$HERE/lib.sh"
bench_need pulseaudio pactl python3
trap bench_cleanup EXIT
bench_pulse

mkdir "$WORK/home"
if [ -n "${2:-}" ]; then
    "$BIN/vornap-discgen" "$WORK/home/disc.cue" "audio:${2}s:left=440:right=660" >/dev/null
else
    cp "$BIN/Demo/Demo.cue" "$WORK/home/disc.cue"
    cp "$BIN/Demo/Demo.bin" "$WORK/home/disc.bin"
fi
printf 'E:\\=disc.cue\n' >"$WORK/home/VornapDrives.dat"
export VORNAP_HOME=$WORK/home

for _ in $(seq "$(nproc)"); do
    python3 -c 'while True: pass' &
    BENCH_PIDS+=($!)
done
start=$(date +%s%N)
printf '%s\n' 'open E:\ type cdaudio alias cd1 wait shareable' 'set cd1 time format tmsf' \
    'play cd1 from 1 wait' 'close all' |
    QT_LOGGING_RULES="vornap.audio.debug=true" "$BIN/vornap-mci" >/dev/null 2>"$WORK/mci.log"
end=$(date +%s%N)
line=$(grep -o 'stream closed: .*' "$WORK/mci.log" | tail -n 1)
[ -n "$line" ] || { echo "underruns: no stream statistics (no sound server reached?)" >&2; cat "$WORK/mci.log" >&2; exit 1; }
printf 'underruns\t%s\n' "$(sed -E 's/.* ([0-9]+) underruns.*/\1/' <<<"$line")"
printf 'underrun_play_s\t%s\n' "$(( (end - start) / 1000000000 ))"
