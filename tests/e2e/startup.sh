#!/usr/bin/env bash
# The built player under a real X server: it starts and shows its window, a
# second start ends silently without a second window, File > Exit ends it.
set -euo pipefail
vornap=$1
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib.sh"
trap e2e_cleanup EXIT
e2e_start_xvfb
home=$(e2e_tmp)/home
mkdir -p "$home"
cp -r "$(dirname "$vornap")/Skins" "$home/"
export VORNAP_HOME=$home

"$vornap" >"$home/first.log" 2>&1 &
first=$!
E2E_PIDS+=($first)
wid=$(e2e_wait_window '^Vornap$' 30)

set +e
timeout 20 "$vornap" >"$home/second.log" 2>&1
status=$?
set -e
[ "$status" -eq 0 ] || { echo "second instance ended with $status"; exit 1; }
sleep 0.5
[ "$(e2e_count_windows '^Vornap$')" -eq 1 ] || { echo "a second window appeared"; exit 1; }
kill -0 "$first" || { echo "the first instance died"; exit 1; }
# The network library is opened at the first transfer, not at start-up.
if grep -q libcurl "/proc/$first/maps"; then echo "libcurl was loaded at start-up"; exit 1; fi

import -window "$wid" "$(e2e_artifacts)/startup-main-window.png"

# File menu, then E&xit, by keyboard.
xdotool windowfocus --sync "$wid" 2>/dev/null || true
xdotool key --window "$wid" alt+f
sleep 0.3
xdotool key --window "$wid" x 2>/dev/null || true  # the window is gone before the key is released
for _ in $(seq 100); do
    kill -0 "$first" 2>/dev/null || break
    sleep 0.1
done
if kill -0 "$first" 2>/dev/null; then
    echo "File > Exit did not end the player"
    exit 1
fi
wait "$first"
echo "startup: ok"
