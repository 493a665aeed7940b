#!/usr/bin/env bash
# The first-run options (play on start, FreeDB and the start-up query on)
# against discs whose lookup gives nothing: a one-track disc on a CDDB server
# that knows no disc, then a three-track disc on a server nobody answers,
# taken out while it plays with Next asked at once, through MPRIS and through
# the Forward button. The player must stay up and show a sane state, read
# back through MPRIS; screenshots go to the artifact directory.
# Usage: first_run.sh <vornap>
set -euo pipefail
source "$(dirname "$0")/lib.sh"
trap e2e_cleanup EXIT
VORNAP=$1
PROGRAM_DIR=$(cd "$(dirname "$VORNAP")" && pwd)
e2e_need Xvfb xdotool import python3 playerctl dbus-daemon
ARTIFACTS=$(e2e_artifacts first_run)
WORK=$E2E_TMP
LOG=$WORK/player.log
fail() {
    cat "$LOG" 2>/dev/null || true
    e2e_fail "$@"
}

# A session bus of the test's own, for MPRIS.
dbus-daemon --session --nofork --print-address=3 3>"$WORK/bus" 2>/dev/null &
E2E_PIDS+=($!)
for _ in $(seq 50); do [ -s "$WORK/bus" ] && break; sleep 0.1; done
DBUS_SESSION_BUS_ADDRESS=$(head -n 1 "$WORK/bus")
export DBUS_SESSION_BUS_ADDRESS
e2e_start_xvfb
# No sound server: the player's silent output keeps the time.
export PULSE_SERVER=unix:/nonexistent

# A server that knows no disc, for CDDB and for MusicBrainz.
port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
python3 - "$port" <<'PY' &
import http.server, sys
class NoMatch(http.server.BaseHTTPRequestHandler):
    def do_GET(self):
        cddb = self.path.startswith("/~cddb/")
        body = b"202 No match for disc ID\r\n" if cddb else b'{"error":"Not Found"}'
        self.send_response(200 if cddb else 404)
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)
    def log_message(self, *args):
        pass
http.server.HTTPServer(("127.0.0.1", int(sys.argv[1])), NoMatch).serve_forever()
PY
E2E_PIDS+=($!)
for _ in $(seq 50); do
    python3 -c "import socket; socket.create_connection(('127.0.0.1', $port), 0.2)" 2>/dev/null && break
    sleep 0.1
done

# Starts the player in a new home whose tray E: holds a disc of the given
# tracks, with the options a first run writes, CDDB server $1 and
# MusicBrainz at $2.
start_player() {
    local server=$1 musicbrainz=$2 home=$WORK/home-$RANDOM
    shift 2
    e2e_home "$home" "$PROGRAM_DIR"
    mkdir -p "$home/tray"
    "$PROGRAM_DIR/vornap-discgen" "$home/tray/disc.cue" "$@" >/dev/null
    printf 'E:\\=tray\n' >"$home/VornapDrives.dat"
    local o='"//CD-ROM Drives in Computer","","//CD-ROM Drive to Use","","//Play On Startup","1",'
    o+='"//Skin Directory","","//Use CDDB","1","//Activate CDDB on Startup","1","//CDDB Server",'
    o+='"%s","//Email Address for CDDB","","//Timer Setting (0=Bwd 1=Fwd)","1",'
    o+='"//System Tray Only","0","//IconNum","102"\r\n'
    printf "$o" "$server" >"$home/VornapOptions.dat"
    TRAY=$home/tray
    VORNAP_HOME=$home VORNAP_REGISTRY=$home/registry.json VORNAP_MUSICBRAINZ_URL=$musicbrainz \
        "$VORNAP" >>"$LOG" 2>&1 &
    PLAYER=$!
    E2E_PIDS+=($PLAYER)
    WID=$(e2e_wait_window '^Vornap$') || fail "no player window"
}
stop_player() {
    kill "$PLAYER"
    e2e_wait_end 50 "$PLAYER" || fail "the player did not end"
}
mpris() { playerctl --player=vornap "$@" 2>/dev/null || true; }
track() { mpris metadata xesam:trackNumber; }
shot() { import -window "$WID" "$ARTIFACTS/$1.png"; }
# A fatal box carries the program's name, as the main window does.
sane() {
    kill -0 "$PLAYER" 2>/dev/null || fail "the player ended $1"
    [ "$(xdotool search --onlyvisible --name '^Vornap$' 2>/dev/null | wc -l)" -eq 1 ] ||
        fail "a box titled Vornap came up $1"
}
# Waits up to $1 tenths of a second until MPRIS says $2 about $3 (status,
# track); fails with $4.
until_says() {
    for _ in $(seq "$1"); do
        [ "$($3)" = "$2" ] && return 0
        sleep 0.1
    done
    fail "$4: $3 is '$($3)', not '$2'"
}
status() { mpris status; }
# The lookup's box holds the disc's loading until it is closed.
close_box() {
    local box
    box=$(e2e_wait_window "$1" 20) || fail "no box titled $1"
    xdotool windowfocus --sync "$box" 2>/dev/null || true
    xdotool key Return
}

# A one-track disc no server knows: it plays to its end on track 1.
start_player "127.0.0.1:$port" "http://127.0.0.1:$port" "audio:5s:sine=440"
close_box '^Error$'
until_says 30 Playing status "the one-track disc does not play"
shot one-track-playing
for _ in $(seq 12); do
    sleep 0.5
    sane "while the one-track disc played"
    [ "$(track)" = 1 ] || fail "the one-track disc is on track '$(track)'"
done
until_says 50 Stopped status "the one-track disc did not stop at its end"
[ "$(track)" = 1 ] || fail "after its end the one-track disc is on track '$(track)'"
shot one-track-ended
stop_player

# A three-track disc whose lookup cannot connect; taken out while it plays
# and Next asked in the same moment, once through MPRIS, once by the mouse.
start_player "127.0.0.1:1" "http://127.0.0.1:1" "audio:8s:sine=440" "audio:8s:sine=660" "audio:8s:sine=880"
mkdir -p "$WORK/out"
for way in mpris mouse; do
    close_box '^CDDB Error$'
    until_says 30 Playing status "the disc does not play after a failed lookup"
    # Its track table comes from the disc: track 1's length is known at once.
    [ "$(mpris metadata mpris:length)" = 8000000 ] ||
        fail "no track length after a failed lookup: '$(mpris metadata mpris:length)'"
    mpris next
    until_says 20 2 track "Next did not reach track 2"
    sane "after Next"
    mv "$TRAY"/disc.* "$WORK/out/"
    case $way in
    mpris) mpris next ;;
    mouse) xdotool mousemove --window "$WID" 356 218 click 1 ;;
    esac
    sleep 1.2
    sane "after the disc left and Next ($way)"
    until_says 20 Stopped status "no disc, yet not stopped ($way)"
    shot "removed-then-next-$way"
    mv "$WORK/out/disc.bin" "$TRAY/" && mv "$WORK/out/disc.cue" "$TRAY/"
done
close_box '^CDDB Error$'
until_says 30 Playing status "the disc put back does not play"
sane "with the disc back"
shot disc-back
stop_player
echo "screenshots in $ARTIFACTS"
