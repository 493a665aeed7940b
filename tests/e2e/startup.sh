#!/usr/bin/env bash
# The built player under a real X server: it starts and shows its window, a
# second start ends silently without a second window, File > Exit ends it.
set -euo pipefail
vornap=$1
source "$(dirname "$0")/lib.sh"
trap e2e_cleanup EXIT
e2e_start_xvfb
home=$E2E_TMP/home
e2e_home "$home" "$(dirname "$vornap")"
export VORNAP_HOME=$home

"$vornap" >"$home/first.log" 2>&1 &
first=$!
E2E_PIDS+=($first)
wid=$(e2e_wait_window '^Vornap$' 30)

status=0
timeout 20 "$vornap" >"$home/second.log" 2>&1 || status=$?
[ "$status" -eq 0 ] || e2e_fail "second instance ended with $status"
sleep 0.5
[ "$(xdotool search --onlyvisible --name '^Vornap$' 2>/dev/null | wc -l)" -eq 1 ] || e2e_fail "a second window appeared"
kill -0 "$first" || e2e_fail "the first instance died"
# The network library is opened at the first transfer, not at start-up.
if grep -q libcurl "/proc/$first/maps"; then e2e_fail "libcurl was loaded at start-up"; fi
import -window "$wid" "$(e2e_artifacts)/startup-main-window.png"

# File menu, then E&xit, by keyboard.
xdotool windowfocus --sync "$wid" 2>/dev/null || true
xdotool key --window "$wid" alt+f
sleep 0.3
xdotool key --window "$wid" x 2>/dev/null || true  # the window is gone before the key is released
e2e_wait_end 100 "$first" || e2e_fail "File > Exit did not end the player"
wait "$first"
echo "startup: ok"
