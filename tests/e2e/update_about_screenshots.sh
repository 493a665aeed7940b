#!/usr/bin/env bash
# Runs the built player under Xvfb against a local web server on 127.0.0.1,
# checks for an update through the Help menu and opens the About box, and
# keeps screenshots: <build>/artifacts/update-after-check.png, about.png.
# No browser can be started (nothing on the search path): Help says so in a
# box, help-not-opened.png.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
trap e2e_cleanup EXIT
build=$(cd "${1:-build}" && pwd)
bin=$build/bin
out=$build/artifacts
mkdir -p "$out"
e2e_need Xvfb xdotool import python3

home=$E2E_TMP/home
e2e_home "$home" "$bin"
cp "$bin/vornap_help.html" "$home/"
e2e_options "$home" "$home/Skins/Base/"

mkdir -p "$home/web/programs"
printf '9.9,"the next big thing"\r\n' >"$home/web/programs/VornapUpdate.txt"
port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
python3 -m http.server "$port" --bind 127.0.0.1 --directory "$home/web" >"$out/web.log" 2>&1 &
E2E_PIDS+=($!)
for _ in $(seq 50); do
    python3 -c "import socket; socket.create_connection(('127.0.0.1', $port), 0.2)" 2>/dev/null && break
    sleep 0.1
done

e2e_start_xvfb 800x500
mkdir -p "$E2E_TMP/no-programs"
PATH=$E2E_TMP/no-programs BROWSER= DEFAULT_BROWSER= VORNAP_HOME=$home VORNAP_REGISTRY=$home/registry.json VORNAP_WEB_SERVER=http://127.0.0.1:$port \
    "$bin/vornap" >"$out/vornap-update.log" 2>&1 &
E2E_PIDS+=($!)
main=$(e2e_wait_window '^Vornap$' 15)
sleep 1

# Help menu, then its item by mnemonic.
open_help_item() {
    xdotool windowfocus --sync "$main" 2>/dev/null || true
    xdotool key --clearmodifiers alt+h
    sleep 0.5
    xdotool key "$1"
}

open_help_item c
dialog=$(e2e_wait_window '^Checking for Update' 10)
xdotool windowfocus --sync "$dialog" 2>/dev/null || true
xdotool key Return # the default button: check
sleep 2
import -window root "$out/update-after-check-screen.png"
import -window "$dialog" "$out/update-after-check.png"
xdotool key Escape
sleep 0.5

open_help_item a
about=$(e2e_wait_window '^About Vornap$' 10)
sleep 1
import -window "$about" "$out/about.png"
xdotool key Escape
sleep 0.5

open_help_item h
box=$(e2e_wait_window '^Cannot Open$' 10) || e2e_fail "Help without a browser showed no box"
import -window "$box" "$out/help-not-opened.png"
xdotool windowfocus --sync "$box" 2>/dev/null || true
xdotool key Return

grep -q 'GET /programs/VornapUpdate.txt' "$out/web.log" || e2e_fail "no update request reached the server"
echo "$out/update-after-check.png $out/about.png"
