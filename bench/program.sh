#!/usr/bin/env bash
# The whole player under a private X server and PulseAudio null sink: start-up
# to first paint and to first sound, peak memory, CPU idle and playing (against paplay), insertion to display.
# Usage: program.sh <bin dir> [idle seconds] [playing seconds] [runs].
# Prints "key<TAB>value" lines.
set -euo pipefail
HERE=$(cd "$(dirname "$0")" && pwd)
BIN=$1
WORK=$(mktemp -d /tmp/vornap-bench-program.XXXXXX)
source "$HERE/lib.sh"
bench_need Xvfb xdotool pulseaudio pactl paplay parec python3
trap bench_cleanup EXIT
bench_pulse
bench_xvfb
# A session bus as on a desktop (without one, every start would spawn
# dbus-launch to look for one).
SESSION=()
command -v dbus-run-session >/dev/null && SESSION=(dbus-run-session --)
"${SESSION[@]}" python3 "$HERE/program.py" "$BIN" "$WORK" "${2:-60}" "${3:-30}" "${4:-5}"
