#!/usr/bin/env bash
# CPU used while a disc image plays through vornap-mci into PulseAudio, against
# paplay streaming the same PCM to the same (null) sink.
# Usage: play_cpu.sh <bin dir with vornap-mci and vornap-discgen> [seconds]
# Prints "name<TAB>cpu seconds<TAB>wall seconds<TAB>percent of one core".
set -euo pipefail
BIN=$1
SECS=${2:-30}
for tool in pulseaudio pactl paplay; do
    command -v "$tool" >/dev/null || { echo "play_cpu: $tool missing" >&2; exit 77; }
done
WORK=$(mktemp -d /tmp/vornap-bench-play.XXXXXX)
export XDG_RUNTIME_DIR=$WORK/xdg
mkdir -m 700 "$XDG_RUNTIME_DIR"
trap 'pulseaudio --kill 2>/dev/null || true; rm -rf "$WORK"' EXIT
pulseaudio -D --exit-idle-time=-1 --log-target=file:"$WORK/pulse.log" 2>/dev/null
for _ in $(seq 50); do pactl info >/dev/null 2>&1 && break; sleep 0.1; done
pactl load-module module-null-sink sink_name=bench_sink rate=44100 channels=2 norewinds=1 >/dev/null
pactl set-default-sink bench_sink
pactl unload-module module-suspend-on-idle 2>/dev/null || true

mkdir "$WORK/home"
"$BIN/vornap-discgen" "$WORK/home/disc.cue" "audio:${SECS}s:left=440:right=660" >/dev/null
printf 'E:\\=disc.cue\n' > "$WORK/home/VornapDrives.dat"
export VORNAP_HOME=$WORK/home

measure() { # name command...
    local name=$1; shift
    local TIMEFORMAT='%U %S %R'
    local t
    t=$( { time "$@" >/dev/null 2>&1; } 2>&1 )
    read -r user sys real <<<"$t"
    python3 -c "import sys; u,s,r=map(float,sys.argv[2:5]); print(f'{sys.argv[1]}\t{u+s:.3f}\t{r:.2f}\t{100*(u+s)/r:.2f}')" \
        "$name" "$user" "$sys" "$real"
}

measure "vornap-mci start-up and exit only" bash -c "printf '%s\n' 'close all' | '$BIN/vornap-mci'"
measure "vornap-mci playing the image" bash -c "printf '%s\n' 'open E:\\ type cdaudio alias cd1 wait shareable' 'set cd1 time format tmsf' 'play cd1 from 1 wait' | '$BIN/vornap-mci'"
measure "paplay of the same PCM" paplay --raw --format=s16le --rate=44100 --channels=2 "$WORK/home/disc.bin"
