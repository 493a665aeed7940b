#!/usr/bin/env bash
# Starts the built player under Xvfb with a generated three-tone disc in a
# virtual drive, drives Play, Forward, Pause, Back and Stop with the mouse,
# records a PulseAudio null sink's monitor and checks that the tones come back
# in the order the buttons ask for. Then starts it as a machine without any
# drive sees it, from a copy of the program directory, and checks that the
# demo disc plays. Keeps screenshots (stopped, playing, no disc, demo) in the
# artifact directory.
# Usage: player_mouse.sh <vornap> [<artifact-dir>]
set -euo pipefail
source "$(dirname "$0")/lib.sh"
VORNAP=$1
ARTIFACTS=${2:-${VORNAP_ARTIFACTS:-$(dirname "$VORNAP")/../artifacts}/player}
PROGRAM_DIR=$(cd "$(dirname "$VORNAP")" && pwd)
for tool in Xvfb xdotool import pulseaudio pactl parecord python3; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool missing"; exit 77; }
done
mkdir -p "$ARTIFACTS"

WORK=$(mktemp -d /tmp/vornap-e2e-player.XXXXXX)
export XDG_RUNTIME_DIR=$WORK/xdg
mkdir -m 700 "$XDG_RUNTIME_DIR"
XVFB_PID=""
PLAYER_PID=""
REC_PID=""
cleanup() {
    for pid in $REC_PID $PLAYER_PID $XVFB_PID; do kill "$pid" 2>/dev/null || true; done
    pulseaudio --kill 2>/dev/null || true
    rm -rf "$WORK"
}
trap cleanup EXIT

e2e_start_pulse "$WORK/pulse.log"

Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$WORK/display" 2>"$WORK/xvfb.log" &
XVFB_PID=$!
for _ in $(seq 50); do [ -s "$WORK/display" ] && break; sleep 0.1; done
export DISPLAY=:$(cat "$WORK/display")

# Three tracks of six seconds: 440, 660 and 880 Hz.
mkdir -p "$WORK/home/tray" "$WORK/out"
e2e_tone_disc "$WORK/home/tray" 6
printf 'E:\\=tray\n' >"$WORK/home/VornapDrives.dat"
# The skins that ship with the program, where the build put them.
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
[ -n "$WID" ] || { echo "no player window"; cat "$WORK/player.log"; exit 1; }
sleep 1.5 # the disc watcher takes the disc in on its first tick

shot() { import -window "$WID" "$ARTIFACTS/$1.png"; }
record() {
    parecord --device=ci_sink.monitor --latency-msec=20 --file-format=wav \
        --format=s16le --rate=44100 --channels=2 "$1" &
    REC_PID=$!
    sleep 0.5
}
endRecording() {
    kill "$REC_PID"
    wait "$REC_PID" 2>/dev/null || true
    REC_PID=""
}
# The five buttons sit in one row under the progress bar (below the menu
# bar); a point near each one's top left corner is inside it whatever the skin.
press() {
    local x
    case $1 in back) x=36 ;; play) x=116 ;; pause) x=196 ;; stop) x=276 ;; forward) x=356 ;; esac
    xdotool mousemove --window "$WID" "$x" 218 click 1
    sleep "$2"
}

shot stopped
record "$WORK/cap.wav"
press play 2
shot playing
press forward 1.5
press pause 1.5
press play 1.5   # resumes the paused track
press back 1.5   # under seven seconds in: the track before
press forward 1.5
press forward 1.5
press stop 1.5
endRecording

mv "$WORK/home/tray/"disc.* "$WORK/out/"
sleep 1.5
shot nodisc
kill -0 "$PLAYER_PID" || { echo "the player ended"; cat "$WORK/player.log"; exit 1; }

python3 - "$WORK/cap.wav" <<'PY'
import struct, sys, wave
w = wave.open(sys.argv[1])
rate, n = w.getframerate(), w.getnframes()
left = struct.unpack('<%dh' % (2 * n), w.readframes(n))[0::2]
win, runs = rate // 4, []
for i in range(0, len(left) - win, win):
    seg = left[i:i + win]
    if max(abs(x) for x in seg) < 500:
        label = 'silence'
    else:
        hz = 4 * sum(1 for a, b in zip(seg, seg[1:]) if a < 0 <= b)
        label = next((str(t) for t in (440, 660, 880) if abs(hz - t) <= 8), None)
    if label is None:
        continue  # a window across a change
    if runs and runs[-1][0] == label:
        runs[-1][1] += 1
    else:
        runs.append([label, 1])
heard = [label for label, count in runs if count >= 2]
while heard and heard[0] == 'silence':
    heard.pop(0)
expected = ['440', '660', 'silence', '660', '440', '660', '880', 'silence']
print('heard:', ' '.join(heard))
sys.exit(0 if heard == expected else 1)
PY

# No drive and no drives file: the demo disc from the program's directory.
kill "$PLAYER_PID"
wait "$PLAYER_PID" 2>/dev/null || true
mkdir "$WORK/demohome"
cp -r "$PROGRAM_DIR/Demo" "$WORK/demohome/"
[ -d "$PROGRAM_DIR/Skins" ] && cp -r "$PROGRAM_DIR/Skins" "$WORK/demohome/"
export VORNAP_HOME=$WORK/demohome
"$VORNAP" >"$WORK/demo.log" 2>&1 &
PLAYER_PID=$!
WID=""
for _ in $(seq 100); do
    WID=$(xdotool search --onlyvisible --name '^Vornap$' 2>/dev/null | head -1 || true)
    [ -n "$WID" ] && break
    sleep 0.1
done
[ -n "$WID" ] || { echo "no player window for the demo disc"; exit 1; }
sleep 1.5
record "$WORK/demo.wav"
press play 3
shot demo-playing
endRecording
grep -q '"//CD-ROM Drive to Use","D:\\"' "$WORK/demohome/VornapOptions.dat" ||
    { echo "the demo disc is not in drive D:"; cat "$WORK/demohome/VornapOptions.dat"; exit 1; }
python3 - "$WORK/demo.wav" <<'PY'
import struct, sys, wave
w = wave.open(sys.argv[1])
samples = struct.unpack('<%dh' % (2 * w.getnframes()), w.readframes(w.getnframes()))
loud = sum(1 for x in samples if abs(x) > 1000)
print('demo disc samples above -30 dB:', loud)
sys.exit(0 if loud > w.getframerate() else 1)
PY
echo "screenshots in $ARTIFACTS"
