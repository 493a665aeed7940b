#!/usr/bin/env bash
# Starts the built player once per shipped skin under Xvfb and keeps
# screenshots of each in <build>/artifacts/: mainwindow-<skin>.png (the
# screen), mainwindow-<skin>-window.png (the window alone) and
# mainwindow-<skin>-pressed.png (Play held down). Fails when the window does
# not show the skin's tiled background or the pressed button.
set -euo pipefail

build=$(cd "${1:-build}" && pwd)
bin=$build/bin
out=$build/artifacts
mkdir -p "$out"

for tool in Xvfb xdotool import convert; do
    command -v "$tool" >/dev/null || { echo "missing $tool" >&2; exit 77; }
done

# The colour of one pixel as #RRGGBB.
pixel() {
    convert "$1" -crop "1x1+$2+$3" -depth 8 txt:- | grep -o '#[0-9A-Fa-f]\{6\}' | head -1
}
size() { identify -format '%w %h\n' "$1"; }
# Whether two pictures differ inside a rectangle (w h x y).
region_differs() {
    local a b
    a=$(convert "$1" -crop "$3x$4+$5+$6" -depth 8 rgb:- | md5sum)
    b=$(convert "$2" -crop "$3x$4+$5+$6" -depth 8 rgb:- | md5sum)
    [ "$a" != "$b" ]
}

xvfb_pid=
app_pid=
home=
cleanup() {
    if [ -n "$app_pid" ]; then kill "$app_pid" 2>/dev/null || true; wait "$app_pid" 2>/dev/null || true; fi
    if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; wait "$xvfb_pid" 2>/dev/null || true; fi
    if [ -n "$home" ]; then rm -rf "$home"; fi
    app_pid= xvfb_pid= home=
}
trap cleanup EXIT

options_line() {
    local skin_dir=$1
    printf '"//CD-ROM Drives in Computer","","//CD-ROM Drive to Use","","//Play On Startup","0",'
    printf '"//Skin Directory","%s","//Use CDDB","0","//Activate CDDB on Startup","0",' "$skin_dir"
    printf '"//CDDB Server","","//Email Address for CDDB","","//Timer Setting (0=Bwd 1=Fwd)","1",'
    printf '"//System Tray Only","0","//IconNum","102"\r\n'
}

status=0
for skin_path in "$bin"/Skins/*/; do
    skin=$(basename "$skin_path")
    home=$(mktemp -d)
    cp -r "$bin/Skins" "$home/"
    cp "$bin/vornap_help.html" "$home/" 2>/dev/null || true
    options_line "$home/Skins/$skin/" >"$home/VornapOptions.dat"

    exec {fd}<> <(:)
    Xvfb -displayfd "$fd" -screen 0 640x400x24 -nolisten tcp >/dev/null 2>&1 &
    xvfb_pid=$!
    read -r -t 10 display <&"$fd" || { echo "Xvfb did not start" >&2; exit 1; }
    exec {fd}>&-
    export DISPLAY=:$display

    VORNAP_HOME=$home "$bin/vornap" >"$out/vornap-$skin.log" 2>&1 &
    app_pid=$!
    if ! wid=$(timeout 15 xdotool search --sync --onlyvisible --name '^Vornap$' | head -1); then
        echo "$skin: the main window did not appear" >&2
        status=1
        cleanup
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
    for x in 1 $((width - 2)); do
        y=$((height - 2))
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
    if ! region_differs "$shot" "$out/mainwindow-$skin-pressed.png" 60 40 102 $((height - 56)); then
        echo "$skin: pressing Play changed nothing on screen" >&2
        status=1
    fi
    echo "$skin: $out/mainwindow-$skin.png"
    cleanup
done
exit $status
