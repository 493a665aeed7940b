#!/usr/bin/env bash
# The player once per shipped skin: its window shows the skin's tiled background and a
# pressed Play; with the Base skin, Help's update check reaches a local web server, the
# About box opens, and with no browser to be found Help says so in a box.
set -euo pipefail
VORNAP=$1
source "$(dirname "$0")/lib.sh"
trap e2e_cleanup EXIT
e2e_need Xvfb xdotool import convert python3
e2e_artifacts
bin=$(dirname "$VORNAP")

# The colour of one pixel as #RRGGBB.
pixel() { convert "$1" -crop "1x1+$2+$3" -depth 8 txt:- | grep -o '#[0-9A-Fa-f]\{6\}' | head -1; }
size() { identify -format '%w %h\n' "$1"; }
# Help menu, then its item by mnemonic $1; waits for the window titled $2.
help_item() {
    e2e_keys "$WID" --clearmodifiers alt+h && sleep 0.5 && xdotool key "$1"
    e2e_wait_window "$2" 10 || e2e_fail "Help's item $1 opened no window $2"
}

mkdir -p "$E2E_TMP/web/programs" "$E2E_TMP/no-programs"
printf '9.9,"the next big thing"\r\n' >"$E2E_TMP/web/programs/VornapUpdate.txt"
e2e_serve "$E2E_TMP/web" "$E2E_TMP/web.log"
e2e_start_xvfb 800x500
for skin_path in "$bin"/Skins/*/; do
    skin=$(basename "$skin_path") && home=$E2E_TMP/$skin && mkdir -p "$home"
    # The program's data files (skins, help, demo disc, lookup cache), not its programs.
    find "$bin" -mindepth 1 -maxdepth 1 \( -type d -o ! -perm -u+x \) -exec cp -r {} "$home/" \;
    e2e_options "$home" "Skin Directory:$home/Skins/$skin/"
    e2e_player "$home" VORNAP_REGISTRY="$home/registry.json" VORNAP_WEB_SERVER="http://127.0.0.1:$E2E_PORT" \
        PATH="$E2E_TMP/no-programs" BROWSER= DEFAULT_BROWSER=
    e2e_window
    sleep 2 # the first paints and the disc watcher's first ticks settle
    shot=$E2E_OUT/mainwindow-$skin.png && import -window "$WID" "$shot"

    # The bottom corners show the background tile, placed from the window's origin.
    read -r width height < <(size "$shot")
    read -r tw th < <(size "$skin_path/Background.bmp")
    y=$((height - 2))
    for x in 1 $((width - 2)); do
        want=$(pixel "$skin_path/Background.bmp" $((x % tw)) $((y % th))) got=$(pixel "$shot" "$x" "$y")
        [ "${want,,}" = "${got,,}" ] || e2e_fail "$skin: pixel $x,$y is $got, the tile has $want there"
    done

    # Holding Play down shows its pressed picture; the button row sits just
    # above the bottom edge, Play second from the left.
    xdotool mousemove --window "$WID" 132 $((height - 30)) mousedown 1 && sleep 0.5
    import -window "$WID" "$E2E_OUT/mainwindow-$skin-pressed.png"
    xdotool mouseup 1
    e2e_differ "$shot" "$E2E_OUT/mainwindow-$skin-pressed.png" -extract 60x40+102+$((height - 56)) ||
        e2e_fail "$skin: pressing Play changed nothing on screen"

    if [ "$skin" = Base ]; then
        box=$(help_item c '^Checking for Update')
        e2e_keys "$box" Return # the default button: check
        e2e_until 100 grep -q 'GET /programs/VornapUpdate.txt' "$E2E_TMP/web.log" ||
            e2e_fail "no update request reached the server"
        sleep 1 && e2e_shot update-after-check "$box" && e2e_keys "$box" Escape && sleep 0.5
        box=$(help_item a '^About Vornap$')
        sleep 1 && e2e_shot about "$box" && e2e_keys "$box" Escape && sleep 0.5
        box=$(help_item h '^Cannot Open$') # no browser on the path
        e2e_shot help-not-opened "$box" && e2e_keys "$box" Return
    fi
    kill "$PLAYER" && wait "$PLAYER" 2>/dev/null || true
done
