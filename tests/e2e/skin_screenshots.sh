#!/usr/bin/env bash
# Starts the built player once per shipped skin under Xvfb and keeps a
# screenshot of each: <build>/artifacts/mainwindow-<skin>.png (the screen)
# and mainwindow-<skin>-window.png (the window alone).
set -euo pipefail

build=$(cd "${1:-build}" && pwd)
bin=$build/bin
out=$build/artifacts
mkdir -p "$out"

for tool in Xvfb xdotool import; do
    command -v "$tool" >/dev/null || { echo "missing $tool" >&2; exit 2; }
done

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
    import -window root "$out/mainwindow-$skin.png"
    import -window "$wid" "$out/mainwindow-$skin-window.png"
    echo "$skin: $out/mainwindow-$skin.png"
    cleanup
done
exit $status
