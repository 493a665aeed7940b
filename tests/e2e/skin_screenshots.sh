#!/usr/bin/env bash
# Starts the built player once per shipped skin under Xvfb and keeps
# screenshots of each in <build>/artifacts/: mainwindow-<skin>.png (the
# screen), mainwindow-<skin>-window.png (the window alone) and
# mainwindow-<skin>-pressed.png (Play held down). Fails when the window does
# not show the skin's tiled background or the pressed button.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
trap e2e_cleanup EXIT
build=$(cd "${1:-build}" && pwd)
bin=$build/bin
out=$build/artifacts
mkdir -p "$out"
e2e_need Xvfb xdotool import convert

# The colour of one pixel as #RRGGBB.
pixel() {
    convert "$1" -crop "1x1+$2+$3" -depth 8 txt:- | grep -o '#[0-9A-Fa-f]\{6\}' | head -1
}
size() { identify -format '%w %h\n' "$1"; }
# Checksum of a rectangle (w h x y) of a picture.
region() { convert "$1" -crop "$2x$3+$4+$5" -depth 8 rgb:- | md5sum; }

e2e_start_xvfb 640x400
status=0
for skin_path in "$bin"/Skins/*/; do
    skin=$(basename "$skin_path")
    home=$E2E_TMP/$skin
    mkdir -p "$home"
    # The program's data files (skins, help, demo disc, lookup cache), not its programs.
    for entry in "$bin"/*; do
        if [ -d "$entry" ]; then cp -r "$entry" "$home/"; elif [ ! -x "$entry" ]; then cp "$entry" "$home/"; fi
    done
    e2e_options "$home" "$home/Skins/$skin/"

    VORNAP_HOME=$home "$bin/vornap" >"$out/vornap-$skin.log" 2>&1 &
    app=$!
    E2E_PIDS+=($app)
    if ! wid=$(e2e_wait_window '^Vornap$' 15); then
        echo "$skin: the main window did not appear" >&2
        status=1
        kill "$app" || true
        continue
    fi
    # Let the first paints and the disc watcher's first ticks settle.
    sleep 2
    shot=$out/mainwindow-$skin-window.png
    import -window root "$out/mainwindow-$skin.png"
    import -window "$wid" "$shot"

    # The bottom corners show the background tile, placed from the window's origin.
    read -r width height < <(size "$shot")
    read -r tw th < <(size "$skin_path/Background.bmp")
    y=$((height - 2))
    for x in 1 $((width - 2)); do
        want=$(pixel "$skin_path/Background.bmp" $((x % tw)) $((y % th)))
        got=$(pixel "$shot" "$x" "$y")
        if [ "${want,,}" != "${got,,}" ]; then
            echo "$skin: pixel $x,$y is $got, the tile has $want there" >&2
            status=1
        fi
    done

    # Holding Play down shows its pressed picture; the button row sits just
    # above the bottom edge, Play second from the left.
    xdotool mousemove --window "$wid" 132 $((height - 30)) mousedown 1
    sleep 0.5
    import -window "$wid" "$out/mainwindow-$skin-pressed.png"
    xdotool mouseup 1
    if [ "$(region "$shot" 60 40 102 $((height - 56)))" = \
        "$(region "$out/mainwindow-$skin-pressed.png" 60 40 102 $((height - 56)))" ]; then
        echo "$skin: pressing Play changed nothing on screen" >&2
        status=1
    fi
    echo "$skin: $out/mainwindow-$skin.png"
    kill "$app"
    wait "$app" 2>/dev/null || true
done
exit $status
