#!/usr/bin/env bash
# The player installed into a read-only prefix and started as a new user on a machine
# without a CD drive: it plays the demo disc, keeps its options in the per-user path and
# changes nothing it was installed with. The same for the Debian package, lintian's too.
set -euo pipefail
VORNAP=$1
BUILD=${VORNAP_BUILD_DIR:-$(cd "$(dirname "$VORNAP")/.." && pwd)}
source "$(dirname "$0")/lib.sh"
trap e2e_cleanup EXIT
e2e_need Xvfb xdotool pulseaudio pactl parecord python3 desktop-file-validate appstreamcli cpack dpkg-deb identify lintian
e2e_artifacts
PREFIX=$E2E_TMP/prefix && cmake --install "$BUILD" --prefix "$PREFIX" >"$E2E_TMP/install.log"
for f in bin/vornap-mci bin/vornap-discgen share/vornap/vornap_help.html; do [ -e "$PREFIX/$f" ] || e2e_fail "no $f"; done
# The bundled cache holds the demo disc's entry and nothing the build tree cached.
[ "$(find "$PREFIX/share/vornap/CDDB" -type f | wc -l)" -eq 1 ] ||
    e2e_fail "the installed lookup cache is not the demo entry alone: $(find "$PREFIX/share/vornap/CDDB" -type f)"
# Each icon has the size its theme folder says.
for icon in "$PREFIX"/share/icons/hicolor/*/apps/vornap.png; do
    size=$(basename "$(dirname "$(dirname "$icon")")")
    [ "$(identify -format '%wx%h' "$icon")" = "$size" ] || e2e_fail "$icon is not $size"
done
desktop-file-validate "$PREFIX/share/applications/vornap.desktop"
grep -qx 'MimeType=x-content/audio-cdda;' "$PREFIX/share/applications/vornap.desktop" ||
    e2e_fail "the entry does not handle audio CDs"
appstreamcli validate --no-net --pedantic "$PREFIX/share/metainfo/org.example.vornap.metainfo.xml"
grep -q '<project_license>GPL-3.0-or-later</project_license>' \
    "$PREFIX/share/metainfo/org.example.vornap.metainfo.xml" || e2e_fail "the AppStream file names another licence"

# What a tree holds: every entry's type and mode, every file's checksum.
snapshot() { (cd "$1" && find . -printf '%p %y %m\n' | sort && find . -type f -exec sha256sum {} + | sort -k2); }
e2e_start_pulse
e2e_start_xvfb

# Starts program $1 as a user with a fresh home $2 and none of the player's variables, and
# checks what a first start must show (screenshot $3). As "nobody" ($4), for whom the prefix
# is truly read-only, it cannot reach the test's sound server: only the device log tells it played.
first_start() {
    local program=$1 home=$2 name=$3 as=${4:-} user=$2/.local/share/vornap stray runner=(env)
    mkdir -p "$home" && E2E_LOG=$E2E_TMP/$name.log
    if [ "$as" = nobody ]; then
        chown 65534:65534 "$home"
        runner=(setpriv --reuid=65534 --regid=65534 --clear-groups env -u XDG_RUNTIME_DIR)
    fi
    e2e_bg "${runner[@]}" -u VORNAP_HOME -u VORNAP_REGISTRY -u XDG_DATA_HOME -u XDG_CONFIG_HOME -u XDG_CACHE_HOME \
        HOME="$home" QT_LOGGING_RULES="vornap.mci.debug=true" "$program" >"$E2E_LOG" 2>&1 && PLAYER=$E2E_BG
    e2e_window
    e2e_until 300 grep -Eq '(^|: )play [^ ]+.* -> 0 ' "$E2E_LOG" || e2e_fail "$name: no play command succeeded"
    if [ "$as" != nobody ]; then
        e2e_record "$E2E_TMP/$name.wav" && sleep 1.5 && e2e_stop_record
        e2e_loud "$E2E_TMP/$name.wav" || e2e_fail "$name: the demo disc was not heard"
    fi
    e2e_alive "$name" && e2e_shot "install-$name"
    kill "$PLAYER" && wait "$PLAYER" 2>/dev/null || true
    grep -q '"//CD-ROM Drive to Use","D:\\"' "$user/VornapOptions.dat" ||
        e2e_fail "$name: no options with the demo drive under $user"
    [ -L "$user/Skins/Base" ] || e2e_fail "$name: the shipped skins are not linked into $user"
    stray=$(find "$E2E_TMP" -name VornapOptions.dat -not -path "$E2E_TMP/home*/.local/share/vornap/*")
    [ -z "$stray" ] || e2e_fail "$name: options written elsewhere: $stray"
}

chmod -R a-w "$PREFIX"
snapshot "$PREFIX" >"$E2E_TMP/before.txt"
first_start "$PREFIX/bin/vornap" "$E2E_TMP/home1" installed
# A second start finds its per-user path set up and plays again.
first_start "$PREFIX/bin/vornap" "$E2E_TMP/home1" installed-again
if [ "$(id -u)" -eq 0 ] && command -v setpriv >/dev/null; then
    chmod 755 "$E2E_TMP"
    first_start "$PREFIX/bin/vornap" "$E2E_TMP/home3" installed-as-nobody nobody
fi
snapshot "$PREFIX" >"$E2E_TMP/after.txt"
diff "$E2E_TMP/before.txt" "$E2E_TMP/after.txt" || e2e_fail "the program changed its installed tree"

# The Debian package from the same install rules.
mkdir -p "$E2E_TMP/pkg"
(cd "$E2E_TMP/pkg" && cpack -G DEB --config "$BUILD/CPackConfig.cmake" -B "$E2E_TMP/pkg") >"$E2E_TMP/cpack.log" 2>&1 ||
    { cat "$E2E_TMP/cpack.log"; e2e_fail "cpack failed"; }
deb=$(ls "$E2E_TMP"/pkg/vornap_*.deb)
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$BUILD/CMakeCache.txt")
[ "$(dpkg-deb --field "$deb" Package Version | xargs)" = "Package: vornap Version: $version" ] ||
    e2e_fail "the package is not vornap $version"
depends=$(dpkg-deb --field "$deb" Depends) && echo "Depends: $depends"
for lib in libqt6widgets6 libqt6dbus6 libcdio libpulse0 libcurl4 libdiscid0; do
    [[ $depends == *$lib* ]] || e2e_fail "the package does not depend on $lib"
done
dpkg -x "$deb" "$E2E_TMP/root"
for f in applications/vornap.desktop metainfo/org.example.vornap.metainfo.xml icons/hicolor/256x256/apps/vornap.png; do
    [ -e "$E2E_TMP/root/usr/share/$f" ] || e2e_fail "$f is not in the package"
done
[ -z "$(find "$E2E_TMP/root" -name 'Vornap*.dat')" ] || e2e_fail "the package carries user files"
# What a distribution asks: no lintian errors (the warnings left are printed), a copyright file.
lintian --tag-display-limit 0 --fail-on error "$deb" || e2e_fail "lintian reports errors or did not run"
grep -qx 'License: GPL-3.0-or-later' "$E2E_TMP/root/usr/share/doc/vornap/copyright" ||
    e2e_fail "the package's copyright file does not name GPL-3.0-or-later"
chmod -R a-w "$E2E_TMP/root"
snapshot "$E2E_TMP/root" >"$E2E_TMP/before.txt"
first_start "$E2E_TMP/root/usr/bin/vornap" "$E2E_TMP/home2" package
snapshot "$E2E_TMP/root" >"$E2E_TMP/after.txt"
diff "$E2E_TMP/before.txt" "$E2E_TMP/after.txt" || e2e_fail "the packaged program changed its tree"
echo "install: ok ($(du -h "$deb" | cut -f1) package)"
