#!/usr/bin/env bash
# The built player under a real X server: it starts in a data folder of its
# own without skins and shows its window, a second start ends without a
# second window and brings the first to the front, File > Exit ends it; a
# start that cannot make its lock file says why.
set -euo pipefail
vornap=$1
source "$(dirname "$0")/lib.sh"
trap e2e_cleanup EXIT
e2e_start_xvfb
home=$E2E_TMP/home
mkdir -p "$home"
export VORNAP_HOME=$home

"$vornap" >"$home/first.log" 2>&1 &
first=$!
E2E_PIDS+=($first)
wid=$(e2e_wait_window '^Vornap$' 30)
[ -f "$home/Skins/Base/Colors.txt" ] || e2e_fail "the data folder did not get the skins: $(cat "$home/first.log")"

# Whether window $1 lies above window $2 (xwininfo lists the top first).
on_top() {
    local top
    top=$(xwininfo -root -children | awk '$1 ~ /^0x/ {print $1}' |
        grep -i -x -m 1 -e "$(printf '0x%x' "$1")" -e "$(printf '0x%x' "$2")")
    [ "$top" = "$(printf '0x%x' "$1")" ]
}
# Another window covers the player, as a user's other programs would.
display -title Cover -geometry +0+0 -size 640x400 xc:gray &
E2E_PIDS+=($!)
cover=$(e2e_wait_window '^Cover' 20)
on_top "$cover" "$wid" || e2e_fail "the cover is not above the player"

status=0
timeout 20 "$vornap" >"$home/second.log" 2>&1 || status=$?
[ "$status" -eq 0 ] || e2e_fail "second instance ended with $status"
for _ in $(seq 50); do on_top "$wid" "$cover" && break; sleep 0.1; done
on_top "$wid" "$cover" || e2e_fail "a second start did not bring the player to the front"
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

# No folder for the lock file: a box and stderr say why, the status is not 0.
TMPDIR=$E2E_TMP/no-such-folder "$vornap" >"$home/nolock.log" 2>&1 &
nolock=$!
E2E_PIDS+=($nolock)
box=""
for _ in $(seq 300); do
    box=$(xdotool search --onlyvisible --pid "$nolock" --name '^Vornap$' 2>/dev/null | head -n 1 || true)
    [ -n "$box" ] && break
    sleep 0.1
done
[ -n "$box" ] || e2e_fail "no box says why the player cannot start: $(cat "$home/nolock.log")"
import -window "$box" "$(e2e_artifacts)/startup-no-lock-file.png"
xdotool key --window "$box" Return 2>/dev/null || true  # gone before the key is released
e2e_wait_end 100 "$nolock" || e2e_fail "the player went on without its lock file"
status=0
wait "$nolock" || status=$?
[ "$status" -ne 0 ] || e2e_fail "a start without its lock file ended with status 0"
grep -q "lock file $E2E_TMP/no-such-folder/vornap-.* cannot be created" "$home/nolock.log" ||
    e2e_fail "stderr does not say why: $(cat "$home/nolock.log")"

rows=${VORNAP_BUILD_DIR:-$(dirname "$vornap")/..}/robustness
mkdir -p "$rows"
printf '%s\t%s\n' \
    "A data folder (\$VORNAP_HOME) without skins" \
    "The program's own skins, demo disc and help are linked in and the player starts" \
    "A second start while the player runs" \
    "The second ends at once and the running player's window comes to the front" \
    "Lock file that cannot be created (its folder missing)" \
    "A message box and stderr say why, the start ends with status 1" \
    >"$rows/e2e.startup.txt"
echo "startup: ok"
