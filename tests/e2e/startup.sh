#!/usr/bin/env bash
# The built player under a real X server: it starts in a data folder of its
# own without skins and shows its window, a second start ends without a
# second window and brings the first to the front, players of other data
# directories run beside it (with options files cut short or naming no icon)
# and each answers on MPRIS, File > Exit ends it; a start that cannot make its
# lock file says why.
set -euo pipefail
vornap=$1
source "$(dirname "$0")/lib.sh"
trap e2e_cleanup EXIT
e2e_need dbus-daemon dbus-send
e2e_start_xvfb
e2e_start_bus
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

# Players of other data directories beside it, each with an options file it
# could not start with before: one cut short before the icon number, one in
# tray mode naming an icon that does not exist. Each starts, shows its window
# and answers on MPRIS under a name of its own.
mpris_names() {
    dbus-send --session --print-reply --dest=org.freedesktop.DBus /org/freedesktop/DBus \
        org.freedesktop.DBus.ListNames | grep -o 'org\.mpris\.MediaPlayer2\.vornap[.a-z0-9]*' | sort
}
others=()
for kind in short icon; do
    other=$E2E_TMP/$kind
    e2e_home "$other" "$(dirname "$vornap")"
    if [ $kind = short ]; then
        e2e_options "$other"
        sed -i 's/,"102"\r$//' "$other/VornapOptions.dat"
    else
        e2e_options "$other" "" 1 107
    fi
    VORNAP_HOME=$other "$vornap" >"$other/vornap.log" 2>&1 &
    others+=($!)
    E2E_PIDS+=($!)
done
names=$(printf 'org.mpris.MediaPlayer2.vornap%s\n' "" ".instance${others[0]}" ".instance${others[1]}" | sort)
for _ in $(seq 200); do [ "$(mpris_names)" = "$names" ] && break; sleep 0.1; done
[ "$(mpris_names)" = "$names" ] || e2e_fail "MPRIS names: $(mpris_names | tr '\n' ' ')"
for p in "${others[@]}"; do
    e2e_until 50 xdotool search --onlyvisible --pid "$p" --name '^Vornap$' >/dev/null ||
        e2e_fail "player $p shows no window"
    kill "$p"
    e2e_wait_end 50 "$p" || e2e_fail "player $p did not end"
done
grep -q '"//Use CDDB","0".*"//IconNum","102"' "$E2E_TMP/short/VornapOptions.dat" ||
    e2e_fail "the short options file was not written whole: $(cat "$E2E_TMP/short/VornapOptions.dat")"

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
    "Options file cut short (21 of its 22 fields)" \
    "The player starts with what it holds, the items it lost as a new file has them, and writes it whole" \
    "A second player of another data directory (VORNAP_HOME)" \
    "Both run, the second answers on MPRIS as \`org.mpris.MediaPlayer2.vornap.instance<pid>\`" \
    >"$rows/e2e.startup.txt"
echo "startup: ok"
