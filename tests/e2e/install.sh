#!/usr/bin/env bash
# Installs the built player into a temporary prefix, makes the prefix
# read-only and starts the installed program as a new user on a machine
# without a CD drive: its window appears, it plays the demo disc (heard
# through a PulseAudio null sink and seen in the device log), its options go
# to the per-user path and nothing under the prefix changes. Checks the
# desktop entry and the AppStream file with their validators. Then builds the
# Debian package, reads its fields and contents, has lintian check it,
# unpacks it and starts the program from it the same way.
# Usage: install.sh <vornap>
set -euo pipefail
VORNAP=$1
BUILD=${VORNAP_BUILD_DIR:-$(cd "$(dirname "$VORNAP")/.." && pwd)}
source "$(dirname "$0")/lib.sh"
trap e2e_cleanup EXIT
e2e_need Xvfb xdotool pulseaudio pactl parecord python3 desktop-file-validate appstreamcli \
    cpack dpkg-deb identify lintian
ARTIFACTS=$(e2e_artifacts)
WORK=$E2E_TMP
fail() { e2e_fail "$@"; }

PREFIX=$WORK/prefix
cmake --install "$BUILD" --prefix "$PREFIX" >"$WORK/install.log"
for f in bin/vornap bin/vornap-mci bin/vornap-discgen share/vornap/vornap_help.html \
    share/vornap/Skins/Base/Colors.txt share/vornap/Skins/Walnut/Play_up.bmp \
    share/vornap/Demo/Demo.cue share/vornap/Demo/Demo.bin \
    share/applications/vornap.desktop share/metainfo/org.example.vornap.metainfo.xml; do
    [ -e "$PREFIX/$f" ] || fail "$f is not installed"
done
# The bundled cache holds the demo disc's entry and nothing the build tree cached.
[ "$(find "$PREFIX/share/vornap/CDDB" -type f | wc -l)" -eq 1 ] ||
    fail "the installed lookup cache is not the demo entry alone: $(find "$PREFIX/share/vornap/CDDB" -type f)"
for size in 16 22 24 32 48 64 128 256; do
    icon=$PREFIX/share/icons/hicolor/${size}x${size}/apps/vornap.png
    [ "$(identify -format '%w %h' "$icon")" = "$size $size" ] || fail "$icon is not ${size}x${size}"
done
desktop-file-validate "$PREFIX/share/applications/vornap.desktop"
grep -qx 'MimeType=x-content/audio-cdda;' "$PREFIX/share/applications/vornap.desktop" ||
    fail "the entry does not handle audio CDs"
appstreamcli validate --no-net --pedantic "$PREFIX/share/metainfo/org.example.vornap.metainfo.xml"
grep -q '<project_license>GPL-3.0-or-later</project_license>' \
    "$PREFIX/share/metainfo/org.example.vornap.metainfo.xml" || fail "the AppStream file names another licence"

# What a tree holds: every entry's type and mode, every file's checksum.
snapshot() {
    (cd "$1" && find . -printf '%p %y %m\n' | sort && find . -type f -exec sha256sum {} + | sort -k2)
}

# An audio server for everyone below, with its own home.
mkdir -p "$WORK/pulsehome"
HOME=$WORK/pulsehome e2e_start_pulse "$WORK/pulse.log"
e2e_start_xvfb

# Starts <program> as a user with a fresh home <home> and none of the
# player's variables, records the sink while the demo disc plays on its own
# and checks what a first start must show. Screenshot named <name>. With
# "nobody" it runs as that account, for whom the prefix is truly read-only;
# it cannot reach the test's audio server, so only the device log tells.
first_start() {
    local program=$1 home=$2 name=$3 as=${4:-}
    local runner=() unset_runtime=()
    mkdir -p "$home"
    if [ "$as" = nobody ]; then
        chown 65534:65534 "$home"
        runner=(setpriv --reuid=65534 --regid=65534 --clear-groups)
        unset_runtime=(-u XDG_RUNTIME_DIR)
    fi
    "${runner[@]}" env -u VORNAP_HOME -u VORNAP_REGISTRY -u XDG_DATA_HOME -u XDG_CONFIG_HOME \
        -u XDG_CACHE_HOME "${unset_runtime[@]}" HOME="$home" QT_LOGGING_RULES="vornap.mci.debug=true" \
        "$program" >"$WORK/$name.log" 2>&1 &
    PLAYER_PID=$!
    E2E_PIDS+=($PLAYER_PID)
    local wid
    wid=$(e2e_wait_window '^Vornap$' 30) || { cat "$WORK/$name.log"; fail "$name: no window"; }
    e2e_record "$WORK/$name.wav"
    sleep 4
    import -window "$wid" "$ARTIFACTS/install-$name.png" 2>/dev/null || true
    e2e_stop_record
    kill -0 "$PLAYER_PID" || { cat "$WORK/$name.log"; fail "$name: the player ended"; }
    kill "$PLAYER_PID"
    wait "$PLAYER_PID" 2>/dev/null || true

    grep -Eq '(^|: )play [^ ]+.* -> 0 ' "$WORK/$name.log" || { cat "$WORK/$name.log"; fail "$name: no play command succeeded"; }
    [ "$as" = nobody ] || e2e_loud "$WORK/$name.wav" || fail "$name: the demo disc was not heard"
    local user=$home/.local/share/vornap
    grep -q '"//CD-ROM Drive to Use","D:\\"' "$user/VornapOptions.dat" ||
        fail "$name: no options with the demo drive under $user"
    [ -L "$user/Skins/Base" ] || fail "$name: the shipped skins are not linked into $user"
    local stray
    stray=$(find "$WORK" -name VornapOptions.dat -not -path "$WORK/home*/.local/share/vornap/*")
    [ -z "$stray" ] || fail "$name: options written elsewhere: $stray"
    echo "$name: ok"
}

chmod -R a-w "$PREFIX"
snapshot "$PREFIX" >"$WORK/before.txt"
first_start "$PREFIX/bin/vornap" "$WORK/home1" installed
# A second start finds its per-user path set up and plays again.
first_start "$PREFIX/bin/vornap" "$WORK/home1" installed-again
if [ "$(id -u)" -eq 0 ] && command -v setpriv >/dev/null; then
    chmod 755 "$WORK"
    first_start "$PREFIX/bin/vornap" "$WORK/home3" installed-as-nobody nobody
fi
snapshot "$PREFIX" >"$WORK/after.txt"
diff "$WORK/before.txt" "$WORK/after.txt" || fail "the program changed its installed tree"

# The Debian package from the same install rules.
mkdir -p "$WORK/pkg"
(cd "$WORK/pkg" && cpack -G DEB --config "$BUILD/CPackConfig.cmake" -B "$WORK/pkg") >"$WORK/cpack.log" 2>&1 ||
    { cat "$WORK/cpack.log"; fail "cpack failed"; }
deb=$(ls "$WORK"/pkg/vornap_*.deb)
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$BUILD/CMakeCache.txt")
[ "$(dpkg-deb --field "$deb" Package)" = vornap ] || fail "package name"
[ "$(dpkg-deb --field "$deb" Version)" = "$version" ] || fail "package version is not $version"
depends=$(dpkg-deb --field "$deb" Depends)
echo "Depends: $depends"
for lib in libqt6widgets6 libqt6dbus6 libcdio libpulse0 libcurl4 libdiscid0; do
    grep -q "$lib" <<<"$depends" || fail "the package does not depend on $lib"
done
dpkg-deb --contents "$deb" >"$WORK/contents.txt"
for f in ./usr/bin/vornap ./usr/share/applications/vornap.desktop \
    ./usr/share/metainfo/org.example.vornap.metainfo.xml ./usr/share/vornap/Demo/Demo.bin \
    ./usr/share/icons/hicolor/256x256/apps/vornap.png ./usr/share/vornap/Skins/Base/Colors.txt; do
    grep -q " $f\$" "$WORK/contents.txt" || fail "$f is not in the package"
done
! grep -q 'VornapOptions.dat\|VornapDrives.dat' "$WORK/contents.txt" || fail "the package carries user files"
# What a distribution asks of a package: no lintian errors (the warnings left
# are printed), and a machine-readable copyright file naming the licence.
rc=0
lintian --tag-display-limit 0 --fail-on error "$deb" >"$WORK/lintian.txt" 2>&1 || rc=$?
cat "$WORK/lintian.txt"
[ "$rc" -eq 0 ] || fail "lintian reports errors or did not run"
dpkg -x "$deb" "$WORK/root"
grep -qx 'License: GPL-3.0-or-later' "$WORK/root/usr/share/doc/vornap/copyright" ||
    fail "the package's copyright file does not name GPL-3.0-or-later"
chmod -R a-w "$WORK/root"
snapshot "$WORK/root" >"$WORK/before.txt"
first_start "$WORK/root/usr/bin/vornap" "$WORK/home2" package
snapshot "$WORK/root" >"$WORK/after.txt"
diff "$WORK/before.txt" "$WORK/after.txt" || fail "the packaged program changed its tree"
echo "install: ok ($(du -h "$deb" | cut -f1) package)"
