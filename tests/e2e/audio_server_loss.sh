#!/usr/bin/env bash
# Plays a generated disc through a PulseAudio server of its own, kills the
# server mid-play and checks that the player lives on: the time display keeps
# counting, Stop and Play still answer the mouse, and the disc plays on
# silently. Screenshots go to the artifact directory.
# Usage: audio_server_loss.sh <vornap>
set -euo pipefail
source "$(dirname "$0")/lib.sh"
trap e2e_cleanup EXIT
VORNAP=$1
PROGRAM_DIR=$(cd "$(dirname "$VORNAP")" && pwd)
ROWS=${VORNAP_BUILD_DIR:-$PROGRAM_DIR/..}/robustness
e2e_need Xvfb xdotool import compare convert pulseaudio pactl parecord python3
ARTIFACTS=$(e2e_artifacts audio_server_loss)
WORK=$E2E_TMP
fail() {
    cat "$WORK/player.log" 2>/dev/null || true
    e2e_fail "$@"
}

e2e_start_pulse "$WORK/pulse.log"
PULSE_PID=$(cat "$XDG_RUNTIME_DIR/pulse/pid")
e2e_start_xvfb

# Three tracks of twelve seconds: 440, 660 and 880 Hz.
e2e_home "$WORK/home" "$PROGRAM_DIR"
mkdir -p "$WORK/home/tray"
e2e_tone_disc "$WORK/home/tray" 12 "$VORNAP"
printf 'E:\\=tray\n' >"$WORK/home/VornapDrives.dat"
VORNAP_HOME=$WORK/home "$VORNAP" >"$WORK/player.log" 2>&1 &
PLAYER_PID=$!
E2E_PIDS+=($PLAYER_PID)
WID=$(e2e_wait_window '^Vornap$') || fail "no player window"
sleep 1.5 # the disc watcher takes the disc in on its first tick

shot() { import -window "$WID" "$ARTIFACTS/$1.png"; }
differ() { [ "$(compare -metric AE "$1" "$2" null: 2>&1 || true)" != "0" ]; }
same() { ! differ "$ARTIFACTS/$1.png" "$ARTIFACTS/$2.png"; }
press() {
    local x
    case $1 in play) x=116 ;; stop) x=276 ;; esac
    xdotool mousemove --window "$WID" "$x" 218 click 1
}
alive() { kill -0 "$PLAYER_PID" 2>/dev/null || fail "the player ended $1"; }

press play
sleep 1
e2e_record "$WORK/before.wav"
sleep 1.5
e2e_stop_record
e2e_loud "$WORK/before.wav" 0.5 || fail "the disc was not heard through the server"

shot before-kill
kill -9 "$PULSE_PID"
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
for s in before-kill track-2; do convert "$ARTIFACTS/$s.png" -crop 280x20+110+60 +repage "$WORK/$s-box.png"; done
differ "$WORK/before-kill-box.png" "$WORK/track-2-box.png" || fail "the drive's position stopped with the server"

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

mkdir -p "$ROWS"
printf '%s\t%s\n' "Sound server killed while a disc plays" \
    "Playback goes on silently, the time display keeps counting, Stop and Play still answer" \
    >"$ROWS/e2e.audio_server_loss.txt"
echo "screenshots in $ARTIFACTS"
