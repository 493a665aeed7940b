#!/usr/bin/env bash
# Tray mode under a real window manager and tray host: the window has no
# taskbar button, the icon sits in the tray, a right click opens the menu
# with Show in bold, minimising hides the window, a double click brings it
# back, and Exit ends the program and takes the icon away.
set -euo pipefail
vornap=$1
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib.sh"
trap e2e_cleanup EXIT
for tool in openbox trayer xprop; do
    command -v "$tool" >/dev/null || { echo "$tool is missing"; exit 77; }
done
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
tray_up || { echo "the tray host did not start"; exit 1; }

home=$(e2e_tmp)/home
mkdir -p "$home"
cp -r "$(dirname "$vornap")/Skins" "$home/"
printf '"//CD-ROM Drives in Computer","","//CD-ROM Drive to Use","","//Play On Startup","0","//Skin Directory","","//Use CDDB","0","//Activate CDDB on Startup","0","//CDDB Server","","//Email Address for CDDB","","//Timer Setting (0=Bwd 1=Fwd)","1","//System Tray Only","1","//IconNum","103"\r\n' \
    >"$home/VornapOptions.dat"
VORNAP_HOME=$home "$vornap" >"$home/vornap.log" 2>&1 &
player=$!
E2E_PIDS+=($player)

# The main window is the one of the window's size; the icon is the small
# "Vornap" window embedded in the tray panel.
main_window() {
    for w in $(xdotool search --name '^Vornap$' 2>/dev/null); do
        [[ "$(xwininfo -id "$w" 2>/dev/null)" == *"Width: 420"* ]] && { echo "$w"; return 0; }
    done
    # Other windows of that name (the icon) may come first; not found yet.
    return 0
}
icon_window() {
    xwininfo -root -tree | awk '/\("panel" "trayer"\)/{p=1} p && /"Vornap"/{print $1; exit}' || true
}
map_state() { xwininfo -id "$1" | sed -n 's/.*Map State: //p'; }

wid=""
for _ in $(seq 300); do
    wid=$(main_window)
    [ -n "$wid" ] && [ "$(map_state "$wid")" = IsViewable ] && break
    sleep 0.1
done
[ -n "$wid" ] || { echo "no main window"; exit 1; }
icon=""
for _ in $(seq 200); do
    icon=$(icon_window)
    [ -n "$icon" ] && break
    sleep 0.1
done
[ -n "$icon" ] || { echo "no tray icon"; xwininfo -root -tree | grep -iE "vornap|panel"; cat "$home/vornap.log"; exit 1; }

[[ "$(xprop -id "$wid" _NET_WM_STATE)" == *_NET_WM_STATE_SKIP_TASKBAR* ]] ||
    { echo "the window has a taskbar button"; exit 1; }
sleep 0.5
import -window root "$out/tray-window.png"

xdotool mousemove --window "$icon" 10 10 click 3
sleep 0.8
import -window root "$out/tray-menu.png"
xdotool key Escape
sleep 0.3

# On a loaded machine the request can reach the window manager while the
# menu still holds the pointer: ask again every few seconds.
for i in $(seq 100); do
    (( i % 30 == 1 )) && xdotool windowminimize "$wid"
    [ "$(map_state "$wid")" = IsUnMapped ] && break
    sleep 0.1
done
[ "$(map_state "$wid")" = IsUnMapped ] || { echo "minimising did not hide the window"; exit 1; }
xdotool mousemove --window "$icon" 10 10 click --repeat 2 --delay 80 1
for _ in $(seq 100); do [ "$(map_state "$wid")" = IsViewable ] && break; sleep 0.1; done
[ "$(map_state "$wid")" = IsViewable ] || { echo "a double click did not bring the window back"; exit 1; }
[[ "$(xprop -id "$wid" _NET_WM_STATE)" == *_NET_WM_STATE_SKIP_TASKBAR* ]] ||
    { echo "the restored window has a taskbar button"; exit 1; }

# Exit is the last item of the menu.
xdotool mousemove --window "$icon" 10 10 click 3
sleep 0.8
xdotool key Up Return
for _ in $(seq 50); do kill -0 "$player" 2>/dev/null || break; sleep 0.1; done
if kill -0 "$player" 2>/dev/null; then echo "Exit did not end the program"; exit 1; fi
sleep 0.3
[ -z "$(icon_window)" ] || { echo "the icon stayed in the tray"; exit 1; }
echo "tray: ok"
