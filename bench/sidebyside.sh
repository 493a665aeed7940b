#!/usr/bin/env bash
# Vornap beside paplay and the other players installed here (VLC, MPlayer,
# Audacious), on one generated disc and one PulseAudio null sink, under a
# private X server and session bus. Prints a table: CPU while playing and its
# ratio to paplay in the same window, peak memory, launch to first sound.
# Usage: sidebyside.sh <bin dir> [rounds] [seconds of playing measured]
set -euo pipefail
HERE=$(cd "$(dirname "$0")" && pwd)
BIN=$1
WORK=$(mktemp -d /tmp/vornap-bench-sidebyside.XXXXXX)
source "$HERE/lib.sh"
bench_need Xvfb xdotool xwininfo pulseaudio pactl paplay parec python3
trap bench_cleanup EXIT
bench_pulse
bench_pulse_public
bench_xvfb
SESSION=()
command -v dbus-run-session >/dev/null && SESSION=(dbus-run-session --)
"${SESSION[@]}" python3 "$HERE/sidebyside.py" "$BIN" "$WORK" "${2:-5}" "${3:-20}"
