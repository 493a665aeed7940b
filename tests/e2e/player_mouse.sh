#!/usr/bin/env bash
# Starts the built player under Xvfb with a generated three-tone disc in a
# virtual drive, drives Play, Forward, Pause, Back and Stop with the mouse,
# records a PulseAudio null sink's monitor and checks that the tones come back
# in the order the buttons ask for; then takes the disc out. Keeps screenshots
# (stopped, playing, no disc) in the artifact directory.
# Usage: player_mouse.sh <vornap>
set -euo pipefail
source "$(dirname "$0")/lib.sh"
trap e2e_cleanup EXIT
VORNAP=$1
e2e_need Xvfb xdotool import pulseaudio pactl parecord python3
ARTIFACTS=$(e2e_artifacts player)
WORK=$E2E_TMP
e2e_start_pulse "$WORK/pulse.log"
e2e_start_xvfb

# Three tracks of six seconds: 440, 660 and 880 Hz.
e2e_home "$WORK/home" "$(dirname "$VORNAP")"
mkdir -p "$WORK/home/tray" "$WORK/out"
e2e_tone_disc "$WORK/home/tray" 6 "$VORNAP"
printf 'E:\\=tray\n' >"$WORK/home/VornapDrives.dat"
VORNAP_HOME=$WORK/home "$VORNAP" >"$WORK/player.log" 2>&1 &
PLAYER_PID=$!
E2E_PIDS+=($PLAYER_PID)
WID=$(e2e_wait_window '^Vornap$') || { cat "$WORK/player.log"; e2e_fail "no player window"; }
sleep 1.5 # the disc watcher takes the disc in on its first tick

shot() { import -window "$WID" "$ARTIFACTS/$1.png"; }
# The five buttons sit in one row under the progress bar (below the menu
# bar); a point near each one's top left corner is inside it whatever the skin.
press() {
    local x
    case $1 in back) x=36 ;; play) x=116 ;; pause) x=196 ;; stop) x=276 ;; forward) x=356 ;; esac
    xdotool mousemove --window "$WID" "$x" 218 click 1
    sleep "$2"
}

shot stopped
e2e_record "$WORK/cap.wav"
sleep 0.5
press play 2
shot playing
press forward 1.5
press pause 1.5
press play 1.5   # resumes the paused track
press back 1.5   # under seven seconds in: the track before
press forward 1.5
press forward 1.5
press stop 1.5
e2e_stop_record

mv "$WORK/home/tray/"disc.* "$WORK/out/"
sleep 1.5
shot nodisc
kill -0 "$PLAYER_PID" || { cat "$WORK/player.log"; e2e_fail "the player ended"; }

# Runs of half a second or more, from the first tone on.
heard=$(e2e_tones "$WORK/cap.wav" | awk '$2 >= 2 && (n || $1 != "silence") {n = 1; print $1}' | xargs)
echo "heard: $heard"
[ "$heard" = "440 660 silence 660 440 660 880 silence" ] || e2e_fail "the tones do not follow the buttons"
echo "screenshots in $ARTIFACTS"
