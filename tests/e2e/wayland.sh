#!/usr/bin/env bash
# The player as a native Wayland client under weston (nested in Xvfb, which
# gives it a screen to read back and a mouse and keyboard to drive), in tray
# mode with a StatusNotifier host (sni_host.py): the window is drawn, its File
# menu and the Preferences dialog answer the keyboard, minimising hides it
# into the tray, Activate brings it back, the host's menu chooses a track and
# ends the program. The host going away leaves the window where it is, and
# a new host gets the icon.
set -euo pipefail
vornap=$1
source "$(dirname "$0")/lib.sh"
trap e2e_cleanup EXIT
e2e_need Xvfb weston xdotool import compare identify dbus-daemon
/usr/bin/python3 -c 'import dbus, gi' 2>/dev/null || { echo "SKIP: python3-dbus missing"; exit 77; }
qt_plugins=$(qtpaths6 --query QT_INSTALL_PLUGINS 2>/dev/null || echo /usr/lib/x86_64-linux-gnu/qt6/plugins)
[ -e "$qt_plugins/platforms/libqwayland-generic.so" ] || { echo "SKIP: qt6-wayland missing"; exit 77; }
out=$(e2e_artifacts wayland)
e2e_start_xvfb
e2e_start_bus
export XDG_RUNTIME_DIR=$E2E_TMP/xdg
mkdir -p -m 700 "$XDG_RUNTIME_DIR"
weston --backend=x11-backend.so --width=800 --height=600 --socket=vornap-wl --idle-time=0 \
    >"$E2E_TMP/weston.log" 2>&1 &
E2E_PIDS+=($!)
e2e_until 100 [ -S "$XDG_RUNTIME_DIR/vornap-wl" ] || { cat "$E2E_TMP/weston.log"; e2e_fail "weston did not start"; }
sleep 1.5 # its shell draws the background and panel
# The pointer stays off weston's output (800x600 at the screen's corner)
# until a step clicks, so its arrow is in no picture compared.
xdotool mousemove 1000 700
# Below weston's panel, whose clock moves on its own.
grab() { import -window root -crop 800x560+0+40 +repage "$1"; }
grab "$E2E_TMP/desktop.png"
e2e_start_sni_host
e2e_sni host on

home=$E2E_TMP/home
e2e_home "$home" "$(dirname "$vornap")"
mkdir -p "$home/tray"
e2e_tone_disc "$home/tray" 20 "$vornap"
printf 'E:\\=tray\n' >"$home/VornapDrives.dat"
e2e_options "$home" "" 1 105
WAYLAND_DISPLAY=vornap-wl QT_QPA_PLATFORM=wayland VORNAP_HOME=$home "$vornap" >"$home/vornap.log" 2>&1 &
player=$!
E2E_PIDS+=($player)
e2e_sni wait-item 30 >/dev/null || { cat "$home/vornap.log"; e2e_fail "the item did not register"; }

# What differs from the bare desktop: its pixel count and bounding box.
changed() {
    grab "$E2E_TMP/now.png"
    compare -metric AE "$E2E_TMP/desktop.png" "$E2E_TMP/now.png" "$E2E_TMP/diff.png" 2>&1 >/dev/null || true
}
shown() { [ "$(changed)" -gt 20000 ]; }
gone() { [ "$(changed)" -lt 2000 ]; }
e2e_until 100 shown || { cat "$home/vornap.log"; e2e_fail "no window drawn"; }
[ -z "$(xdotool search --name '^Vornap$' 2>/dev/null)" ] || e2e_fail "the player made an X11 window, not a Wayland one"
sleep 0.5
cp "$E2E_TMP/now.png" "$out/wayland-window.png"
box=$(compare "$E2E_TMP/desktop.png" "$E2E_TMP/now.png" -compose src -fuzz 5% miff:- 2>/dev/null |
    identify -format '%@' - 2>/dev/null || true) # WxH+X+Y of the window
read -r w h x y <<<"$(tr 'x+' '  ' <<<"$box")"
y=$((y + 40))
[ "${w:-0}" -gt 300 ] || e2e_fail "window box $box"
tip_is() { [ "$(e2e_sni prop ToolTip)" = "$1" ]; }
e2e_until 50 tip_is "Track 1" || e2e_fail "the tip does not name track 1"

# The File menu and its Preferences from the mouse, the dialog's OK from the
# keyboard; OK saves.
# Each step waits until the screen shows its answer.
screen_moved() {
    grab "$E2E_TMP/next.png"
    [ "$(compare -metric AE "$E2E_TMP/last.png" "$E2E_TMP/next.png" null: 2>&1 || true)" -gt "$1" ]
}
before=$(stat -c %.9Y "$home/VornapOptions.dat")
grab "$E2E_TMP/last.png"
cp "$E2E_TMP/last.png" "$E2E_TMP/plain.png"
xdotool mousemove $((x + 21)) $((y + 37)) click 1 # "File", under the title bar
e2e_until 30 screen_moved 1000 || { cp "$E2E_TMP/next.png" "$out/wayland-nomenu.png"; e2e_fail "the File menu did not open"; }
import -window root "$out/wayland-menu.png"
cp "$E2E_TMP/next.png" "$E2E_TMP/last.png"
xdotool mousemove $((x + 71)) $((y + 57)) click 1 # "Preferences", the menu's first item
e2e_until 30 screen_moved 20000 || { cp "$E2E_TMP/next.png" "$out/wayland-nodialog.png"; e2e_fail "the Preferences dialog did not open"; }
sleep 0.3
import -window root "$out/wayland-preferences.png"
xdotool key Return
e2e_until 30 eval '[ "$(stat -c %.9Y "$home/VornapOptions.dat")" != "$before" ]' ||
    e2e_fail "the Preferences dialog did not save on OK"
cp "$E2E_TMP/plain.png" "$E2E_TMP/last.png"
e2e_until 30 eval '! screen_moved 2000' || e2e_fail "the Preferences dialog did not close"

# The decoration's minimise button, left of maximise and close.
minimise() { xdotool mousemove $((x + w - 62)) $((y + 14)) click 1; }
minimise
e2e_until 50 gone || e2e_fail "minimising did not hide the window"
e2e_sni activate
e2e_until 50 shown || { cp "$E2E_TMP/now.png" "$out/wayland-activate.png"; cat "$home/vornap.log"; e2e_fail "Activate did not bring the window back"; }
e2e_sni click "Controls/Select Track/Track 3"
e2e_until 30 tip_is "Track 3" || e2e_fail "the host's menu did not choose track 3"

e2e_sni host off
sleep 0.5
shown || e2e_fail "the window went away with the host"
e2e_sni host on
e2e_sni wait-item 10 >/dev/null || e2e_fail "the item did not come back to a new host"
e2e_sni click Exit
e2e_wait_end 50 "$player" || e2e_fail "the host's Exit did not end the program"
echo "wayland: ok"
