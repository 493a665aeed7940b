#!/usr/bin/env bash
# Tray mode with each kind of host in turn: our StatusNotifier host (sni_host.py) for a
# Wayland client under weston nested in Xvfb, where no X11 poll hides a host's coming and
# going; then under an X11 window manager an XEmbed tray, no tray, our host, a panel.
set -euo pipefail
VORNAP=$1
source "$(dirname "$0")/lib.sh"
trap e2e_cleanup EXIT
e2e_need Xvfb weston openbox trayer xfce4-panel xdotool xprop dbus-daemon import compare identify
qt_plugins=$(qtpaths6 --query QT_INSTALL_PLUGINS 2>/dev/null || echo /usr/lib/x86_64-linux-gnu/qt6/plugins)
[ -e "$qt_plugins/platforms/libqwayland-generic.so" ] || { echo "SKIP: qt6-wayland missing"; exit 77; }
e2e_artifacts tray
# The panel's settings daemon reads this: one panel along the bottom holding only the tray.
export XDG_CONFIG_HOME=$E2E_TMP/config NO_AT_BRIDGE=1 XDG_RUNTIME_DIR=$E2E_TMP/xdg
mkdir -p "$XDG_CONFIG_HOME/xfce4/xfconf/xfce-perchannel-xml" && mkdir -m 700 "$XDG_RUNTIME_DIR"
cat >"$XDG_CONFIG_HOME/xfce4/xfconf/xfce-perchannel-xml/xfce4-panel.xml" <<'XML'
<channel name="xfce4-panel" version="1.0"><property name="configver" type="int" value="2"/><property name="panels" type="array"><value type="int" value="1"/>
<property name="panel-1" type="empty"><property name="position" type="string" value="p=8;x=0;y=0"/><property name="length" type="uint" value="100"/>
<property name="position-locked" type="bool" value="true"/><property name="size" type="uint" value="32"/><property name="plugin-ids" type="array"><value type="int" value="1"/></property>
</property></property><property name="plugins" type="empty"><property name="plugin-1" type="string" value="systray"/></property></channel>
XML
e2e_start_xvfb
e2e_start_bus
e2e_start_sni_host

# Wayland. Pictures are taken below weston's panel, whose clock moves, with
# the pointer off weston's 800x600 output until a step clicks.
e2e_bg weston --backend=x11-backend.so --width=800 --height=600 --socket=vornap-wl --idle-time=0 \
    >"$E2E_TMP/weston.log" 2>&1 && weston=$E2E_BG
e2e_until 100 [ -S "$XDG_RUNTIME_DIR/vornap-wl" ] || { cat "$E2E_TMP/weston.log"; e2e_fail "no weston"; }
sleep 1.5 # its shell draws the background and panel
xdotool mousemove 1000 700
grab() { import -window root -crop 800x560+0+40 +repage "$E2E_TMP/$1.png"; }
# Whether the screen grabbed now differs from grab $1 in more (or, as $3 says, fewer) pixels than $2.
differs() { grab now && [ "$(compare -metric AE "$E2E_TMP/$1.png" "$E2E_TMP/now.png" null: 2>&1 || true)" "${3:--gt}" "$2" ]; }
grab desktop
e2e_sni host on
home=$E2E_TMP/wayland
e2e_disc_home "$home" audio:20s:sine={440,660,880}
e2e_options "$home" "System Tray Only:1" IconNum:105
e2e_player "$home" WAYLAND_DISPLAY=vornap-wl QT_QPA_PLATFORM=wayland
e2e_until 300 e2e_items_are 1 || e2e_fail "the item did not register"
e2e_until 100 differs desktop 20000 || e2e_fail "no window drawn"
[ -z "$(xdotool search --name '^Vornap$' 2>/dev/null)" ] || e2e_fail "the player made an X11 window, not a Wayland one"
sleep 0.5 && cp "$E2E_TMP/now.png" "$E2E_OUT/wayland-window.png"
box=$(compare "$E2E_TMP/desktop.png" "$E2E_TMP/now.png" -compose src -fuzz 5% miff:- 2>/dev/null |
    identify -format '%@' - 2>/dev/null || true) # WxH+X+Y of the window
read -r w h x y <<<"$(tr 'x+' '  ' <<<"$box")"
y=$((y + 40))
[ "${w:-0}" -gt 300 ] || e2e_fail "window box $box"
# File > Preferences by mouse, OK by keyboard saves; each step waits for the screen's answer.
before=$(stat -c %.9Y "$home/VornapOptions.dat")
grab plain
xdotool mousemove $((x + 21)) $((y + 37)) click 1 # "File", under the title bar
e2e_until 30 differs plain 1000 || e2e_fail "the File menu did not open"
cp "$E2E_TMP/now.png" "$E2E_TMP/menu.png"
xdotool mousemove $((x + 71)) $((y + 57)) click 1 # "Preferences", the menu's first item
e2e_until 30 differs menu 20000 || e2e_fail "the Preferences dialog did not open"
sleep 0.3 && import -window root "$E2E_OUT/wayland-preferences.png"
xdotool key Return
e2e_until 30 eval '[ "$(stat -c %.9Y "$home/VornapOptions.dat")" != "$before" ]' ||
    e2e_fail "the Preferences dialog did not save on OK"
e2e_until 30 differs plain 2000 -le || e2e_fail "the Preferences dialog did not close"
xdotool mousemove $((x + w - 62)) $((y + 14)) click 1 # minimise, left of maximise and close
e2e_until 50 differs desktop 2000 -lt || e2e_fail "minimising did not hide the window"
e2e_sni activate
e2e_until 50 differs desktop 20000 || e2e_fail "Activate did not bring the window back"
e2e_sni click "Controls/Select Track/Track 3"
e2e_until 30 e2e_tip_is "Track 3" || e2e_fail "the host's menu did not choose track 3"
e2e_sni host off
sleep 0.5
differs desktop 20000 || e2e_fail "the window went away with the host"
kill "$PLAYER" "$weston" && e2e_wait_end 50 "$PLAYER" && e2e_wait_end 50 "$weston"

# X11 with an XEmbed tray; one that did not come up is started once more.
e2e_start_wm
hide_to_tray() { xdotool windowminimize "$WID" && e2e_until 100 e2e_hidden || e2e_fail "minimising did not hide the window"; }
tray_up() { [[ "$(xwininfo -root -tree)" == *'("panel" "trayer")'* ]]; }
for attempt in 1 2; do
    e2e_bg trayer --edge bottom --align right --widthtype pixel --width 120 --height 32 >/dev/null 2>&1 && trayer=$E2E_BG
    e2e_until 100 tray_up && break
done
tray_up || e2e_fail "the tray host did not start"
home=$E2E_TMP/xembed
e2e_options "$home" "System Tray Only:1" IconNum:103
e2e_player "$home"
# The icon is a small window named as the main one, embedded in the tray.
main_viewable() {
    for WID in $(xdotool search --name '^Vornap$' 2>/dev/null); do
        [[ "$(xwininfo -id "$WID" 2>/dev/null)" == *"Width: 420"* ]] && e2e_viewable && return 0
    done
    return 1
}
icon_window() { icon=$(xwininfo -root -tree | awk '/\("panel" "trayer"\)/{p=1} p && /"Vornap"/{print $1; exit}') && [ -n "$icon" ]; }
e2e_until 300 main_viewable || e2e_fail "no main window"
e2e_until 200 icon_window || { xwininfo -root -tree >"$E2E_OUT/tray-tree.txt"; e2e_fail "no tray icon (windows: tray-tree.txt)"; }
e2e_skips_taskbar || e2e_fail "the window has a taskbar button"
import -window root "$E2E_OUT/tray-window.png"
hide_to_tray
xdotool mousemove --window "$icon" 10 10 click --repeat 2 --delay 80 1
e2e_until 100 e2e_viewable || e2e_fail "a double click did not bring the window back"
e2e_skips_taskbar || e2e_fail "the restored window has a taskbar button"
hide_to_tray
VORNAP_HOME=$home timeout 20 "$VORNAP" >"$home/second.log" 2>&1 || e2e_fail "the second start failed"
e2e_until 100 e2e_viewable || e2e_fail "a second start did not bring the window back"
xdotool mousemove --window "$icon" 10 10 click 3 && sleep 0.8
xdotool key Up Return # Exit, the menu's last item
e2e_wait_end 50 "$PLAYER" || e2e_fail "Exit did not end the program"
e2e_until 20 eval '! icon_window' || e2e_fail "the icon stayed in the tray"
kill "$trayer" && e2e_wait_end 50 "$trayer"

# No tray: a taskbar button. Then our host, which reads the item.
home=$E2E_TMP/sni
e2e_disc_home "$home" audio:20s:sine={440,660,880}
e2e_disc_home "$E2E_TMP/shelf" audio:20s:sine={440,660}
e2e_options "$home" "System Tray Only:1" IconNum:104
e2e_player "$home"
e2e_window
sleep 1 && ! e2e_skips_taskbar || e2e_fail "without a tray the window has no taskbar button"
e2e_sni host on
e2e_until 300 e2e_items_are 1 || e2e_fail "the item did not register"
e2e_until 30 e2e_skips_taskbar || e2e_fail "with a host up the window kept its taskbar button"
e2e_until 50 e2e_tip_is "Track 1" || e2e_fail "the tip does not name track 1"
menu=$(e2e_sni layout)
[ "$(tr '\n' '|' <<<"$menu")" = '_Show|_Controls|  _Play|  P_ause|  _Stop|  _Forward|  _Back|  S_elect Track|    -|    Track 1|'\
'    Track 2|    Track 3|-|E_xit|' ] || e2e_fail "the exported menu is not the tray menu: $menu"
sizes=" $(e2e_sni prop IconPixmap) " && [[ $sizes == *" 16x16 "* && $sizes == *" 48x48 "* ]] || e2e_fail "icons:$sizes"
# Twice a second the watcher rewrites the same tip: nothing may reach the host.
quiet=$(e2e_sni count-signals 2)
[ "$quiet" = "LayoutUpdated=0 NewIcon=0 NewToolTip=0" ] || e2e_fail "signals while nothing changed: $quiet"
mv "$home/tray/"disc.* "$E2E_TMP/" && mv "$E2E_TMP/shelf/tray/"disc.* "$home/tray/"
tracks_in_menu() { menu=$(e2e_sni layout) && [ "$(grep -c "Track " <<<"$menu")" = "$1" ]; }
e2e_until 50 tracks_in_menu 2 || e2e_fail "the menu did not follow the new disc: $menu"
# A host that does not draw menus asks the program to pop its own up.
popups() { xdotool search --onlyvisible --pid "$PLAYER" 2>/dev/null | grep -vcx "$WID" || true; }
e2e_sni context
e2e_until 30 eval '[ "$(popups)" -ge 1 ]' || e2e_fail "ContextMenu did not pop the menu up"
xdotool key Escape
e2e_until 30 eval '[ "$(popups)" = 0 ]' || e2e_fail "the popped-up menu did not close"
# The host going away gives the hidden window back, with a taskbar button.
hide_to_tray
e2e_sni host off
e2e_until 50 e2e_viewable || e2e_fail "the hidden window did not come back when the host went away"
e2e_until 30 eval '! e2e_skips_taskbar' || e2e_fail "without a host the window has no taskbar button"
xdotool windowminimize "$WID"
e2e_until 50 e2e_iconic || e2e_fail "without a host minimising did not iconify"
xdotool windowactivate "$WID"
e2e_until 50 e2e_viewable || e2e_fail "the window did not come back from its taskbar entry"

# A panel comes up: the icon, first in the panel, goes there.
e2e_bg xfce4-panel --disable-wm-check >"$E2E_TMP/panel.log" 2>&1
e2e_until 150 e2e_items_are 1 || { cat "$E2E_TMP/panel.log"; e2e_fail "no item registered with the panel"; }
e2e_until 30 e2e_skips_taskbar || e2e_fail "with the panel up the window kept its taskbar button"
sleep 1 && import -window root "$E2E_OUT/panel-window.png"
icon() { xdotool mousemove 16 752 click "$1"; } # the panel's first slot, along the bottom of 1024x768
hide_to_tray
icon 1
e2e_until 50 e2e_viewable || e2e_fail "a click on the icon did not bring the window back"
e2e_skips_taskbar || e2e_fail "the restored window has a taskbar button"
# The panel's own menu; each level that opens is one more window.
menus() { xdotool search --onlyvisible --maxdepth 1 --class "" 2>/dev/null | wc -l; }
open_menus() { [ "$(menus)" -ge $((bare + $1)) ]; }
bare=$(menus)
icon 3
e2e_until 30 open_menus 1 || e2e_fail "a right click on the icon opened no menu"
xdotool key Down Down Right
e2e_until 30 open_menus 2 || e2e_fail "Controls did not open"
xdotool key Down Down Down Down Down Right
e2e_until 30 open_menus 3 || e2e_fail "Select Track did not open"
sleep 0.3 && import -window root "$E2E_OUT/panel-menu.png"
xdotool key Down Return
e2e_until 30 e2e_tip_is "Track 2" || e2e_fail "Track 2 in the panel's menu did not become the current track"
e2e_until 30 eval '[ "$(menus)" = "$bare" ]' || e2e_fail "the menu stayed open"
icon 3
e2e_until 30 open_menus 1 || e2e_fail "a right click on the icon opened no menu"
xdotool key Up Return
e2e_wait_end 50 "$PLAYER" || e2e_fail "Exit in the panel's menu did not end the program"
e2e_until 30 e2e_items_are 0 || e2e_fail "the item stayed registered"
echo "tray: ok"
