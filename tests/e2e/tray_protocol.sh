#!/usr/bin/env bash
# The StatusNotifier item and its menu as a host sees them on the bus, with a
# small watcher and host of our own (sni_host.py) under an X11 window manager:
# the exact menu, the track list following a change of disc, Activate,
# ContextMenu and the menu's actions, nothing sent while nothing changes, and the host going away
# (the hidden window comes back with a taskbar button) and coming back.
set -euo pipefail
vornap=$1
source "$(dirname "$0")/lib.sh"
trap e2e_cleanup EXIT
e2e_need Xvfb openbox xdotool xprop dbus-daemon
/usr/bin/python3 -c 'import dbus, gi' 2>/dev/null || { echo "SKIP: python3-dbus missing"; exit 77; }
e2e_start_xvfb
e2e_start_bus
e2e_start_wm
e2e_start_sni_host
e2e_sni host on

home=$E2E_TMP/home
e2e_home "$home" "$(dirname "$vornap")"
mkdir -p "$home/tray" "$home/shelf"
e2e_tone_disc "$home/tray" 20 "$vornap"
"$(dirname "$vornap")/vornap-discgen" "$home/shelf/two.cue" audio:20s:sine=440 audio:20s:sine=660 >/dev/null
printf 'E:\\=tray\n' >"$home/VornapDrives.dat"
e2e_options "$home" "" 1 104
VORNAP_HOME=$home "$vornap" >"$home/vornap.log" 2>&1 &
player=$!
E2E_PIDS+=($player)
e2e_sni wait-item 30 >/dev/null || { cat "$home/vornap.log"; e2e_fail "the item did not register"; }
wid=$(e2e_wait_window '^Vornap$' 30) || e2e_fail "no main window"
viewable() { [ "$(e2e_map_state "$wid")" = IsViewable ]; }
hidden() { ! viewable && [ "$(e2e_wm_state "$wid")" != Iconic ]; }
tip_is() { [ "$(e2e_sni prop ToolTip)" = "$1" ]; }
e2e_until 50 tip_is "Track 1" || e2e_fail "the tip does not name track 1"
e2e_skips_taskbar "$wid" || e2e_fail "in tray mode the window has a taskbar button"

expected='_Show
_Controls
  _Play
  P_ause
  _Stop
  _Forward
  _Back
  S_elect Track
    -
    Track 1
    Track 2
    Track 3
-
E_xit'
menu=$(e2e_sni layout)
[ "$menu" = "$expected" ] || { echo "$menu"; e2e_fail "the exported menu is not the tray menu"; }
sizes=$(e2e_sni prop IconPixmap)
[[ " $sizes " == *" 16x16 "* && " $sizes " == *" 48x48 "* ]] || e2e_fail "icon sizes: $sizes"

# Twice a second the watcher rewrites the same tip: nothing may reach the host.
quiet=$(e2e_sni count-signals 2)
[ "$quiet" = "LayoutUpdated=0 NewIcon=0 NewToolTip=0" ] || e2e_fail "signals while nothing changed: $quiet"

# Another disc: the track list follows.
mv "$home/tray/"disc.* "$home/shelf/"
mv "$home/shelf/"two.* "$home/tray/"
tracks_in_menu() {
    local m
    m=$(e2e_sni layout)
    [ "$(grep -c "Track " <<<"$m")" = "$1" ]
}
e2e_until 50 tracks_in_menu 2 ||
    { e2e_sni layout; e2e_fail "the menu did not follow the new disc"; }

# A host that does not draw menus asks the program to pop its own up.
popups() { xdotool search --onlyvisible --pid "$player" 2>/dev/null | grep -vcx "$wid" || true; }
e2e_sni context
e2e_until 30 eval '[ "$(popups)" -ge 1 ]' || e2e_fail "ContextMenu did not pop the menu up"
xdotool key Escape
e2e_until 30 eval '[ "$(popups)" = 0 ]' || e2e_fail "the popped-up menu did not close"

xdotool windowminimize "$wid"
e2e_until 50 hidden || e2e_fail "minimising did not hide the window"
e2e_sni activate
e2e_until 50 viewable || e2e_fail "Activate did not bring the window back"
e2e_sni click "Controls/Select Track/Track 2"
e2e_until 30 tip_is "Track 2" || e2e_fail "the menu's Track 2 did not make it current"

# The host goes away while the window is in the tray: it comes back, with a
# taskbar button; a new host gets the icon and the window leaves the taskbar.
xdotool windowminimize "$wid"
e2e_until 50 hidden || e2e_fail "minimising did not hide the window"
e2e_sni host off
e2e_until 50 viewable || e2e_fail "the hidden window did not come back when the host went away"
e2e_until 30 eval '! e2e_skips_taskbar "$wid"' || e2e_fail "without a host the window has no taskbar button"
xdotool windowminimize "$wid"
e2e_until 50 eval '[ "$(e2e_wm_state "$wid")" = Iconic ]' || e2e_fail "without a host minimising did not iconify"
xdotool windowactivate "$wid"
e2e_until 50 viewable || e2e_fail "the window did not come back from its taskbar entry"
e2e_sni host on
e2e_sni wait-item 10 >/dev/null || e2e_fail "the item did not register with the new host"
e2e_until 30 e2e_skips_taskbar "$wid" || e2e_fail "with a host back the window kept its taskbar button"

e2e_sni click Exit
e2e_wait_end 50 "$player" || e2e_fail "the menu's Exit did not end the program"
echo "tray_protocol: ok"
