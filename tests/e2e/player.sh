#!/usr/bin/env bash
# The player with a three-tone disc, heard through a PulseAudio null sink: the
# buttons, the disc's removal, the sound server's death, a second start, players
# of other data folders, no lock file; then first-run options, discs no lookup knows.
set -euo pipefail
VORNAP=$1
source "$(dirname "$0")/lib.sh"
trap e2e_cleanup EXIT
e2e_need Xvfb xdotool import compare convert pulseaudio pactl parecord python3 playerctl dbus-daemon
e2e_artifacts player
e2e_start_bus
e2e_start_pulse
e2e_start_xvfb
home=$E2E_TMP/home
e2e_disc_home "$home" audio:6s:sine={440,660,880}
e2e_options "$home"
e2e_player "$home"
e2e_window
[ -f "$home/Skins/Base/Colors.txt" ] || e2e_fail "the data folder did not get the skins"
mpris() { playerctl --player=vornap "$@" 2>/dev/null || true; }
track() { mpris metadata xesam:trackNumber; }
status() { mpris status; }
# Waits $1 tenths of a second for MPRIS to say $2 of $3 (status, track); else fails with $4.
until_says() { e2e_until "$1" eval "[ \"\$($3)\" = '$2' ]" || e2e_fail "$4: $3 is '$($3)', not '$2'"; }
until_says 30 1 track "the disc was not taken in"

# The buttons sit in a row under the progress bar; a point near each one's top left is in it in any skin.
declare -A button_x=([back]=36 [play]=116 [pause]=196 [stop]=276 [forward]=356)
press() { xdotool mousemove --window "$WID" "${button_x[$1]}" 218 click 1 && sleep "$2"; }
e2e_shot stopped && e2e_record "$E2E_TMP/cap.wav" && sleep 0.5
press play 2 && e2e_shot playing
# Play resumes the paused track; Back under seven seconds in goes to the one before.
for button in forward pause play back forward forward stop; do press $button 1.5; done
e2e_stop_record
# Runs of half a second or more, from the first tone on.
heard=$(e2e_tones "$E2E_TMP/cap.wav" | awk '$2 >= 2 && (n || $1 != "silence") {n = 1; print $1}' | xargs)
[ "$heard" = "440 660 silence 660 440 660 880 silence" ] || e2e_fail "the tones do not follow the buttons: $heard"

mv "$home/tray/"disc.* "$E2E_TMP/"
until_says 30 "" track "the disc was not seen to go"
e2e_shot nodisc
mv "$E2E_TMP/"disc.* "$home/tray/"
until_says 30 1 track "the disc put back was not taken in"

# The sound server killed while the disc plays: the time display counts on,
# the drive's position moves into track 2, Stop and Play answer.
# Whether the window, shot now, differs from shot $1 (in the region "-extract WxH+X+Y").
moved() { e2e_shot now && e2e_differ "$E2E_OUT/$1.png" "$E2E_OUT/now.png" "${@:2}"; }
sane() { # one window named Vornap: a second window or a fatal box carries the name too
    e2e_alive "$1"
    [ "$(xdotool search --onlyvisible --name '^Vornap$' 2>/dev/null | wc -l)" -eq 1 ] ||
        e2e_fail "a second window or a box titled Vornap came up $1"
}
press play 1
e2e_shot before-kill && cp "$E2E_OUT/before-kill.png" "$E2E_OUT/last.png"
kill -9 "$E2E_PULSE_PID"
for second in 1 2 3; do
    e2e_until 30 moved last || e2e_fail "the display stopped counting when the server went ($second)"
    mv "$E2E_OUT/now.png" "$E2E_OUT/last.png"
done
e2e_alive "when its sound server was killed"
grep -q "PulseAudio write failed" "$E2E_LOG" || e2e_fail "the player never saw the server go"
# The current track's box (280x20+110+60) changes from the one before the kill.
e2e_until 80 moved before-kill -extract 280x20+110+60 || e2e_fail "the drive's position stopped with the server"
press stop 1.2
e2e_shot stopped-again && sleep 1.5 && ! moved stopped-again || e2e_fail "Stop did not answer: the display still moves"
# No server now: Play goes on through the silent output and counts again.
press play 0
until_says 20 Playing status "Play without a server does not answer"
e2e_shot replay && e2e_until 30 moved replay || e2e_fail "Play without a server does not count"

# Another window covers the player, as a user's other programs would; a
# second start ends without a second window and brings the player to the front.
on_top() { # whether window $1 lies above window $2 (xwininfo lists the top first)
    [ "$(xwininfo -root -children | grep -m 1 -owE "$(printf '0x%x|0x%x' "$1" "$2")")" = "$(printf '0x%x' "$1")" ]
}
e2e_bg display -title Cover -geometry +0+0 -size 640x400 xc:gray && cover_pid=$E2E_BG
cover=$(e2e_wait_window '^Cover' 20)
on_top "$cover" "$WID" || e2e_fail "the cover is not above the player"
VORNAP_HOME=$home timeout 20 "$VORNAP" >"$home/second.log" 2>&1 || e2e_fail "the second start ended with $?"
e2e_until 50 on_top "$WID" "$cover" || e2e_fail "a second start did not bring the player to the front"
sane "at the second start"
# Players of other data folders beside it, with options files once fatal: one cut short
# before the icon number, one in tray mode naming no icon there is. Each shows its window
# and has an MPRIS name of its own.
e2e_options "$E2E_TMP/short" && sed -i 's/,"102"\r$//' "$E2E_TMP/short/VornapOptions.dat"
e2e_options "$E2E_TMP/icon" "System Tray Only:1" IconNum:107
others=()
for kind in short icon; do e2e_bg env VORNAP_HOME="$E2E_TMP/$kind" "$VORNAP" >"$E2E_TMP/$kind.log" 2>&1 && others+=($E2E_BG); done
names() { playerctl -l 2>/dev/null | sort | xargs; }
want=$(printf 'vornap%s\n' "" ".instance${others[0]}" ".instance${others[1]}" | sort | xargs)
e2e_until 200 eval '[ "$(names)" = "$want" ]' || e2e_fail "MPRIS names: $(names)"
for p in "${others[@]}"; do
    e2e_until 50 xdotool search --onlyvisible --pid "$p" --name '^Vornap$' >/dev/null || e2e_fail "player $p shows no window"
    kill "$p" && e2e_wait_end 50 "$p" || e2e_fail "player $p did not end"
done
grep -q '"//Use CDDB","0".*"//IconNum","102"' "$E2E_TMP/short/VornapOptions.dat" ||
    e2e_fail "the short options file was not written whole: $(cat "$E2E_TMP/short/VornapOptions.dat")"
# With no lookup asked, the network library is never loaded.
if grep -q libcurl "/proc/$PLAYER/maps"; then e2e_fail "libcurl was loaded without a transfer"; fi
kill "$cover_pid"
e2e_keys "$WID" alt+f && sleep 0.3 && e2e_keys "$WID" x # File > Exit
e2e_wait_end 100 "$PLAYER" || e2e_fail "File > Exit did not end the player"
wait "$PLAYER"

# No folder for the lock file: a box and stderr say why, the status is not 0.
TMPDIR=$E2E_TMP/no-such-folder e2e_player "$home"
box=$(e2e_wait_window '^Vornap$' 30) || e2e_fail "no box says why the player cannot start"
e2e_shot no-lock-file "$box" && e2e_keys "$box" Return
e2e_wait_end 100 "$PLAYER" || e2e_fail "the player went on without its lock file"
! wait "$PLAYER" || e2e_fail "a start without its lock file ended with status 0"
grep -q "lock file $E2E_TMP/no-such-folder/vornap-.* cannot be created" "$E2E_LOG" || e2e_fail "stderr does not say why"

# First-run options (play on start, FreeDB and the start-up query on); no
# sound server now, the silent output keeps the time.
export PULSE_SERVER=unix:/nonexistent
# A server that knows no disc: CDDB answers "no match", MusicBrainz "not found".
mkdir -p "$E2E_TMP/web/~cddb" && printf '202 No match for disc ID\r\n' >"$E2E_TMP/web/~cddb/cddb.cgi"
e2e_serve "$E2E_TMP/web" "$E2E_TMP/web.log"

# A player with a new home holding a disc of the tracks $2..., CDDB and MusicBrainz on server $1.
start_player() {
    local home=$E2E_TMP/home-$RANDOM
    e2e_disc_home "$home" "${@:2}"
    e2e_options "$home" "Play On Startup:1" "Use CDDB:1" "Activate CDDB on Startup:1" "CDDB Server:$1"
    TRAY=$home/tray
    e2e_player "$home" VORNAP_REGISTRY="$home/registry.json" VORNAP_MUSICBRAINZ_URL="http://$1"
    e2e_window
}
# The lookup's box holds the disc's loading until it is closed.
close_box() { local box && box=$(e2e_wait_window "$1" 20) && e2e_keys "$box" Return || e2e_fail "no box titled $1"; }

# A one-track disc no server knows: it plays to its end on track 1.
start_player "127.0.0.1:$E2E_PORT" "audio:5s:sine=440"
close_box '^Error$'
until_says 30 Playing status "the one-track disc does not play"
e2e_shot first-run-one-track-playing
on_track_1() { sane "on the one-track disc" && [ "$(track)" = 1 ] || e2e_fail "the one-track disc is on track '$(track)'"; }
e2e_until 100 eval 'on_track_1 && [ "$(status)" = Stopped ]' || e2e_fail "the one-track disc did not stop at its end"
on_track_1
e2e_shot first-run-one-track-ended
kill "$PLAYER" && e2e_wait_end 50 "$PLAYER" || e2e_fail "the player did not end"

# A three-track disc whose lookup cannot connect; taken out while it plays
# and Next asked in the same moment, once through MPRIS, once by the mouse.
start_player 127.0.0.1:1 audio:8s:sine={440,660,880}
for way in mpris mouse; do
    close_box '^CDDB Error$'
    until_says 30 Playing status "the disc does not play after a failed lookup"
    # Its track table comes from the disc: track 1's length is known at once.
    [ "$(mpris metadata mpris:length)" = 8000000 ] || e2e_fail "no track length after a failed lookup"
    mpris next
    until_says 20 2 track "Next did not reach track 2"
    sane "after Next"
    mv "$TRAY"/disc.* "$E2E_TMP/"
    if [ $way = mpris ]; then mpris next; else press forward 0; fi
    until_says 20 Stopped status "no disc, yet not stopped ($way)"
    sane "after the disc left and Next ($way)"
    e2e_shot "first-run-removed-then-next-$way"
    mv "$E2E_TMP/disc.bin" "$TRAY/" && mv "$E2E_TMP/disc.cue" "$TRAY/"
done
close_box '^CDDB Error$'
until_says 30 Playing status "the disc put back does not play"
sane "with the disc back"
e2e_shot first-run-disc-back
kill "$PLAYER" && e2e_wait_end 50 "$PLAYER" || e2e_fail "the player did not end"
rows=${VORNAP_BUILD_DIR:-$(dirname "$VORNAP")/..}/robustness
mkdir -p "$rows" && tr '|' '\t' >"$rows/e2e.player.txt" <<'ROWS'
Sound server killed while a disc plays|Playback goes on silently, the time display keeps counting, Stop and Play still answer
A data folder ($VORNAP_HOME) without skins|The program's own skins, demo disc and help are linked in and the player starts
Options file cut short (21 of its 22 fields)|The player starts with what it holds, the items it lost as a new file has them, and writes it whole
A second player of another data directory (VORNAP_HOME)|Both run, the second answers on MPRIS as `org.mpris.MediaPlayer2.vornap.instance<pid>`
A second start while the player runs|The second ends at once and the running player's window comes to the front
Lock file that cannot be created (its folder missing)|A message box and stderr say why, the start ends with status 1
ROWS
