#!/usr/bin/env bash
# Plays a generated disc through a PulseAudio server of its own, kills the
# server mid-play and checks that the player lives on: the time display keeps
# counting, Stop and Play still answer the mouse, and the disc plays on
# silently. Screenshots go to the artifact directory.
# Usage: audio_server_loss.sh <vornap>
set -euo pipefail
source "$(dirname "$0")/lib.sh"
VORNAP=$1
PROGRAM_DIR=$(cd "$(dirname "$VORNAP")" && pwd)
ARTIFACTS=${VORNAP_ARTIFACTS:-$PROGRAM_DIR/../artifacts}/audio_server_loss
ROWS=${VORNAP_BUILD_DIR:-$PROGRAM_DIR/..}/robustness
for tool in Xvfb xdotool import compare convert pulseaudio pactl parecord python3; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool missing"; exit 77; }
done
mkdir -p "$ARTIFACTS"

WORK=$(mktemp -d /tmp/vornap-e2e-pulseloss.XXXXXX)
# A runtime directory of its own: the server's socket and pid file live here
# and no other server on the machine is touched.
export XDG_RUNTIME_DIR=$WORK/xdg
mkdir -m 700 "$XDG_RUNTIME_DIR"
XVFB_PID=""
PLAYER_PID=""
REC_PID=""
PULSE_PID=""
cleanup() {
    for pid in $REC_PID $PLAYER_PID $XVFB_PID $PULSE_PID; do kill "$pid" 2>/dev/null || true; done
    rm -rf "$WORK"
}
trap cleanup EXIT
fail() {
    echo "FAIL: $*"
    cat "$WORK/player.log" 2>/dev/null || true
    exit 1
}

e2e_start_pulse "$WORK/pulse.log"
PULSE_PID=$(cat "$XDG_RUNTIME_DIR/pulse/pid")

Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$WORK/display" 2>"$WORK/xvfb.log" &
XVFB_PID=$!
for _ in $(seq 50); do [ -s "$WORK/display" ] && break; sleep 0.1; done
export DISPLAY=:$(cat "$WORK/display")
export QT_QPA_PLATFORM=xcb

# Three tracks of twelve seconds: 440, 660 and 880 Hz.
mkdir -p "$WORK/home/tray"
e2e_tone_disc "$WORK/home/tray" 12
printf 'E:\\=tray\n' >"$WORK/home/VornapDrives.dat"
[ -d "$PROGRAM_DIR/Skins" ] && cp -r "$PROGRAM_DIR/Skins" "$WORK/home/"
export VORNAP_HOME=$WORK/home

"$VORNAP" >"$WORK/player.log" 2>&1 &
PLAYER_PID=$!
WID=""
for _ in $(seq 100); do
    WID=$(xdotool search --onlyvisible --name '^Vornap$' 2>/dev/null | head -1 || true)
    [ -n "$WID" ] && break
    sleep 0.1
done
[ -n "$WID" ] || fail "no player window"
sleep 1.5 # the disc watcher takes the disc in on its first tick

shot() { import -window "$WID" "$ARTIFACTS/$1.png"; }
same() { [ "$(compare -metric AE "$ARTIFACTS/$1.png" "$ARTIFACTS/$2.png" null: 2>&1 || true)" = "0" ]; }
press() {
    local x
    case $1 in play) x=116 ;; stop) x=276 ;; esac
    xdotool mousemove --window "$WID" "$x" 218 click 1
}
alive() { kill -0 "$PLAYER_PID" 2>/dev/null || fail "the player ended $1"; }

press play
sleep 1
parecord --device=ci_sink.monitor --latency-msec=20 --file-format=wav \
    --format=s16le --rate=44100 --channels=2 "$WORK/before.wav" &
REC_PID=$!
sleep 1.5
kill "$REC_PID"; wait "$REC_PID" 2>/dev/null || true
REC_PID=""
python3 - "$WORK/before.wav" <<'PY' || fail "the disc was not heard through the server"
import struct, sys, wave
w = wave.open(sys.argv[1])
samples = struct.unpack('<%dh' % (2 * w.getnframes()), w.readframes(w.getnframes()))
sys.exit(0 if sum(1 for x in samples if abs(x) > 1000) > w.getframerate() // 2 else 1)
PY

shot before-kill
kill -9 "$PULSE_PID"
PULSE_PID=""
for i in 1 2 3 4; do
    sleep 1.1
    shot "after-kill-$i"
done
alive "when its sound server was killed"
# The time display moves on every second: no two shots alike.
for i in 1 2 3; do
    same "after-kill-$i" "after-kill-$((i + 1))" && fail "the display stopped changing after the kill"
done
same before-kill after-kill-1 && fail "the display froze when the server went"
grep -q "PulseAudio write failed" "$WORK/player.log" || fail "the player never saw the server go"
# The drive's position moves on: the track box follows it into track 2.
sleep 6
shot track-2
trackBox() { convert "$ARTIFACTS/$1.png" -crop 280x20+110+60 +repage "$WORK/$1-box.png"; }
trackBox before-kill
trackBox track-2
[ "$(compare -metric AE "$WORK/before-kill-box.png" "$WORK/track-2-box.png" null: 2>&1 || true)" != "0" ] ||
    fail "the drive's position stopped with the server"

press stop
sleep 1.2
shot stopped-1
sleep 1.5
shot stopped-2
alive "after Stop"
same stopped-1 stopped-2 || fail "the display still moves after Stop"
same stopped-2 after-kill-4 && fail "Stop did not answer"

# No server now: Play goes on through the silent output and counts again.
press play
sleep 1.2
shot replay-1
sleep 1.5
shot replay-2
alive "playing without a sound server"
same replay-1 replay-2 && fail "Play without a server does not count"

kill "$PLAYER_PID"
wait "$PLAYER_PID" 2>/dev/null || true
PLAYER_PID=""
mkdir -p "$ROWS"
printf '%s\t%s\n' "Sound server killed while a disc plays" \
    "Playback goes on silently, the time display keeps counting, Stop and Play still answer" \
    >"$ROWS/e2e.audio_server_loss.txt"
echo "screenshots in $ARTIFACTS"
