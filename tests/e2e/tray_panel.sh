#!/usr/bin/env bash
# Tray mode on an X11 desktop whose panel speaks StatusNotifier (xfce4-panel):
# started before any tray, the player minimises to an ordinary taskbar entry
# and comes back from it; when the panel comes up the icon appears there and
# the window leaves the taskbar; minimising then hides it, a click on the
# icon brings it back, the panel's own menu lists the disc's tracks and plays
# the one chosen, and its Exit ends the program.
set -euo pipefail
vornap=$1
source "$(dirname "$0")/lib.sh"
trap e2e_cleanup EXIT
e2e_need Xvfb openbox xfce4-panel xdotool xprop dbus-daemon import
out=$(e2e_artifacts tray)
export XDG_CONFIG_HOME=$E2E_TMP/config NO_AT_BRIDGE=1
channel=$XDG_CONFIG_HOME/xfce4/xfconf/xfce-perchannel-xml
mkdir -p "$channel"
# One panel along the bottom holding only the notification area.
cat >"$channel/xfce4-panel.xml" <<'XML'
<?xml version="1.0" encoding="UTF-8"?>
<channel name="xfce4-panel" version="1.0">
  <property name="configver" type="int" value="2"/>
  <property name="panels" type="array">
    <value type="int" value="1"/>
    <property name="panel-1" type="empty">
      <property name="position" type="string" value="p=8;x=0;y=0"/>
      <property name="length" type="uint" value="100"/>
      <property name="position-locked" type="bool" value="true"/>
      <property name="size" type="uint" value="32"/>
      <property name="plugin-ids" type="array"><value type="int" value="1"/></property>
    </property>
  </property>
  <property name="plugins" type="empty">
    <property name="plugin-1" type="string" value="systray"/>
  </property>
</channel>
XML
e2e_start_xvfb
e2e_start_bus
e2e_start_wm

home=$E2E_TMP/home
e2e_home "$home" "$(dirname "$vornap")"
mkdir -p "$home/tray"
e2e_tone_disc "$home/tray" 20 "$vornap"
printf 'E:\\=tray\n' >"$home/VornapDrives.dat"
e2e_options "$home" "" 1 103
VORNAP_HOME=$home "$vornap" >"$home/vornap.log" 2>&1 &
player=$!
E2E_PIDS+=($player)
wid=$(e2e_wait_window '^Vornap$' 30) || { cat "$home/vornap.log"; e2e_fail "no main window"; }
viewable() { [ "$(e2e_map_state "$wid")" = IsViewable ]; }
iconic() { [ "$(e2e_wm_state "$wid")" = Iconic ]; }
withdrawn() { ! viewable && ! iconic; }
taskbar() { ! e2e_skips_taskbar "$wid"; }
items() {
    dbus-send --session --print-reply --dest=org.kde.StatusNotifierWatcher /StatusNotifierWatcher \
        org.freedesktop.DBus.Properties.Get string:org.kde.StatusNotifierWatcher \
        string:RegisteredStatusNotifierItems 2>/dev/null | grep -c StatusNotifierItem || true
}
registered() { [ "$(items)" = "$1" ]; }
tip() {
    dbus-send --session --print-reply --dest="$item" /StatusNotifierItem \
        org.freedesktop.DBus.Properties.Get string:org.kde.StatusNotifierItem string:ToolTip 2>/dev/null
}

# No tray yet: minimising leaves an ordinary taskbar entry to come back from.
sleep 1
taskbar || e2e_fail "without a tray the window has no taskbar button"
xdotool windowminimize "$wid"
e2e_until 50 iconic || e2e_fail "without a tray, minimising did not iconify the window"
xdotool windowactivate "$wid"
e2e_until 50 viewable || e2e_fail "the window did not come back from the taskbar"

xfce4-panel --disable-wm-check >"$E2E_TMP/panel.log" 2>&1 &
E2E_PIDS+=($!)
e2e_until 150 registered 1 || { cat "$E2E_TMP/panel.log"; e2e_fail "no item registered with the panel"; }
e2e_until 30 e2e_skips_taskbar "$wid" || e2e_fail "with the panel up the window kept its taskbar button"
item=$(dbus-send --session --print-reply --dest=org.kde.StatusNotifierWatcher /StatusNotifierWatcher \
    org.freedesktop.DBus.Properties.Get string:org.kde.StatusNotifierWatcher \
    string:RegisteredStatusNotifierItems | grep -o '"[^"]*StatusNotifierItem' | tr -d '"' | sed 's,/.*,,')
sleep 1
import -window root "$out/panel-window.png"

# The icon is the first thing in the panel along the bottom edge.
panel_y=$(( $(xwininfo -root | sed -n 's/.*Height: //p') - 16 ))
icon() { xdotool mousemove 16 "$panel_y" click "$1"; }
xdotool windowminimize "$wid"
e2e_until 50 withdrawn || e2e_fail "minimising in tray mode did not hide the window"
icon 1
e2e_until 50 viewable || e2e_fail "a click on the icon did not bring the window back"
e2e_skips_taskbar "$wid" || e2e_fail "the restored window has a taskbar button"

# The panel's menu: Show, Controls > (Play ... Select Track > tracks), Exit.
# Each level of it that opens is one more window on the screen.
menus() { xdotool search --onlyvisible --maxdepth 1 --class "" 2>/dev/null | wc -l; }
open_menus() { [ "$(menus)" -ge $((bare + $1)) ]; }
bare=$(menus)
icon 3
e2e_until 30 open_menus 1 || e2e_fail "a right click on the icon opened no menu"
xdotool key Down Down Right
e2e_until 30 open_menus 2 || e2e_fail "Controls did not open"
xdotool key Down Down Down Down Down Right
e2e_until 30 open_menus 3 || e2e_fail "Select Track did not open"
sleep 0.3
import -window root "$out/panel-menu.png"
xdotool key Down Return
tip_is() { [[ "$(tip)" == *"\"$1\""* ]]; }
e2e_until 30 tip_is "Track 2" || { tip; e2e_fail "choosing Track 2 in the panel's menu did not make it the current track"; }

e2e_until 30 eval '[ "$(menus)" = "$bare" ]' || e2e_fail "the menu stayed open"
icon 3
e2e_until 30 open_menus 1 || e2e_fail "a right click on the icon opened no menu"
xdotool key Up Return
e2e_wait_end 50 "$player" || e2e_fail "Exit in the panel's menu did not end the program"
e2e_until 30 registered 0 || e2e_fail "the item stayed registered"
echo "tray_panel: ok"
