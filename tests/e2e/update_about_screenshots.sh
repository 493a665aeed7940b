#!/usr/bin/env bash
# Runs the built player under Xvfb against a local web server on 127.0.0.1,
# checks for an update through the Help menu and opens the About box, and
# keeps screenshots: <build>/artifacts/update-after-check.png, about.png.
set -euo pipefail

build=$(cd "${1:-build}" && pwd)
bin=$build/bin
out=$build/artifacts
mkdir -p "$out"

for tool in Xvfb xdotool import python3; do
    command -v "$tool" >/dev/null || { echo "missing $tool" >&2; exit 2; }
done

xvfb_pid= app_pid= web_pid= home=
cleanup() {
    for pid in "$app_pid" "$web_pid" "$xvfb_pid"; do
        if [ -n "$pid" ]; then kill "$pid" 2>/dev/null || true; wait "$pid" 2>/dev/null || true; fi
    done
    if [ -n "$home" ]; then rm -rf "$home"; fi
}
trap cleanup EXIT

home=$(mktemp -d)
[ -d "$bin/Skins" ] && cp -r "$bin/Skins" "$home/"
cp "$bin/vornap_help.html" "$home/"
printf '"//CD-ROM Drives in Computer","","//CD-ROM Drive to Use","","//Play On Startup","0",'\
'"//Skin Directory","%s","//Use CDDB","0","//Activate CDDB on Startup","0",'\
'"//CDDB Server","","//Email Address for CDDB","","//Timer Setting (0=Bwd 1=Fwd)","1",'\
'"//System Tray Only","0","//IconNum","102"\r\n' "$home/Skins/Base/" >"$home/VornapOptions.dat"

mkdir -p "$home/web/programs"
printf '9.9,"the next big thing"\r\n' >"$home/web/programs/VornapUpdate.txt"
port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
python3 -m http.server "$port" --bind 127.0.0.1 --directory "$home/web" >"$out/web.log" 2>&1 &
web_pid=$!
for _ in $(seq 50); do
    python3 -c "import socket; socket.create_connection(('127.0.0.1', $port), 0.2)" 2>/dev/null && break
    sleep 0.1
done

exec {fd}<> <(:)
Xvfb -displayfd "$fd" -screen 0 800x500x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
read -r -t 10 display <&"$fd" || { echo "Xvfb did not start" >&2; exit 1; }
exec {fd}>&-
export DISPLAY=:$display

VORNAP_HOME=$home VORNAP_REGISTRY=$home/registry.json VORNAP_WEB_SERVER=http://127.0.0.1:$port \
    "$bin/vornap" >"$out/vornap-update.log" 2>&1 &
app_pid=$!
main=$(timeout 15 xdotool search --sync --onlyvisible --name '^Vornap$' | head -1)
sleep 1

# Help menu, then its item by mnemonic.
open_help_item() {
    xdotool windowfocus --sync "$main" 2>/dev/null || true
    xdotool key --clearmodifiers alt+h
    sleep 0.5
    xdotool key "$1"
}

open_help_item c
dialog=$(timeout 10 xdotool search --sync --onlyvisible --name '^Checking for Update' | head -1)
xdotool windowfocus --sync "$dialog" 2>/dev/null || true
xdotool key Return # the default button: check
sleep 2
import -window root "$out/update-after-check-screen.png"
import -window "$dialog" "$out/update-after-check.png"
xdotool key Escape
sleep 0.5

open_help_item a
about=$(timeout 10 xdotool search --sync --onlyvisible --name '^About Vornap$' | head -1)
sleep 1
import -window "$about" "$out/about.png"
xdotool key Escape

grep -q 'GET /programs/VornapUpdate.txt' "$out/web.log" || { echo "no update request reached the server" >&2; exit 1; }
echo "$out/update-after-check.png $out/about.png"
