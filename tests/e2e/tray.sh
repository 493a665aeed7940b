#!/usr/bin/env bash
# Tray mode under a real window manager and tray host: the window has no
# taskbar button, the icon sits in the tray, a right click opens the menu,
# minimising hides the window, a double click or a second start brings it
# back, and Exit ends the program and takes the icon away.
set -euo pipefail
vornap=$1
source "$(dirname "$0")/lib.sh"
trap e2e_cleanup EXIT
e2e_need openbox trayer xprop
e2e_start_xvfb
out=$(e2e_artifacts)

openbox --sm-disable >/dev/null 2>&1 &
E2E_PIDS+=($!)
# The tray host comes after the window manager is up; a host that did not
# come up is started once more.
for _ in $(seq 100); do
    [[ "$(xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null)" == *"window id"* ]] && break
    sleep 0.1
done
tray_up() { [[ "$(xwininfo -root -tree)" == *'("panel" "trayer")'* ]]; }
for attempt in 1 2; do
    trayer --edge bottom --align right --widthtype pixel --width 120 --height 32 >/dev/null 2>&1 &
    E2E_PIDS+=($!)
    for _ in $(seq 100); do tray_up && break; sleep 0.1; done
    tray_up && break
done
tray_up || e2e_fail "the tray host did not start"

home=$E2E_TMP/home
e2e_home "$home" "$(dirname "$vornap")"
e2e_options "$home" "" 1 103
VORNAP_HOME=$home "$vornap" >"$home/vornap.log" 2>&1 &
player=$!
E2E_PIDS+=($player)

# The main window is the one of the window's size; the icon is the small
# "Vornap" window embedded in the tray panel. Both print nothing until found.
main_window() {
    for w in $(xdotool search --name '^Vornap$' 2>/dev/null); do
        [[ "$(xwininfo -id "$w" 2>/dev/null)" == *"Width: 420"* ]] && { echo "$w"; return 0; }
    done
    return 0
}
icon_window() {
    xwininfo -root -tree | awk '/\("panel" "trayer"\)/{p=1} p && /"Vornap"/{print $1; exit}' || true
}
map_state() { xwininfo -id "$1" | sed -n 's/.*Map State: //p'; }
# Waits up to $2 tenths of a second for window $1 to reach map state $3.
wait_map() {
    for _ in $(seq "$2"); do [ "$(map_state "$1")" = "$3" ] && return 0; sleep 0.1; done
    [ "$(map_state "$1")" = "$3" ]
}
skips_taskbar() { [[ "$(xprop -id "$wid" _NET_WM_STATE)" == *_NET_WM_STATE_SKIP_TASKBAR* ]]; }

wid=""
for _ in $(seq 300); do
    wid=$(main_window)
    [ -n "$wid" ] && [ "$(map_state "$wid")" = IsViewable ] && break
    sleep 0.1
done
[ -n "$wid" ] || e2e_fail "no main window"
icon=""
for _ in $(seq 200); do
    icon=$(icon_window)
    [ -n "$icon" ] && break
    sleep 0.1
done
[ -n "$icon" ] || { xwininfo -root -tree | grep -iE "vornap|panel"; cat "$home/vornap.log"; e2e_fail "no tray icon"; }
skips_taskbar || e2e_fail "the window has a taskbar button"
sleep 0.5
import -window root "$out/tray-window.png"

xdotool mousemove --window "$icon" 10 10 click 3
sleep 0.8
import -window root "$out/tray-menu.png"
xdotool key Escape
sleep 0.3

# On a loaded machine the request can reach the window manager while the
# menu still holds the pointer: ask again every few seconds.
hide_to_tray() {
    for i in $(seq 100); do
        (( i % 30 == 1 )) && xdotool windowminimize "$wid"
        [ "$(map_state "$wid")" = IsUnMapped ] && break
        sleep 0.1
    done
    wait_map "$wid" 1 IsUnMapped || e2e_fail "minimising did not hide the window"
}
hide_to_tray
xdotool mousemove --window "$icon" 10 10 click --repeat 2 --delay 80 1
wait_map "$wid" 100 IsViewable || e2e_fail "a double click did not bring the window back"
skips_taskbar || e2e_fail "the restored window has a taskbar button"

# Hidden in the tray, the player comes back when it is started again.
hide_to_tray
VORNAP_HOME=$home timeout 20 "$vornap" >"$home/second.log" 2>&1 || e2e_fail "the second start failed"
wait_map "$wid" 100 IsViewable || e2e_fail "a second start did not bring the window back"

# Exit is the last item of the menu.
xdotool mousemove --window "$icon" 10 10 click 3
sleep 0.8
xdotool key Up Return
e2e_wait_end 50 "$player" || e2e_fail "Exit did not end the program"
sleep 0.3
[ -z "$(icon_window)" ] || e2e_fail "the icon stayed in the tray"
echo "tray: ok"
