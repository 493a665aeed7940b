#!/usr/bin/env bash
# Installs what Vornap needs, builds it and starts the player.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh
bin=$PWD/build/bin
home=${VORNAP_HOME:-$bin}
export VORNAP_HOME=$home

# Without a CD drive the player starts with the demo disc in a virtual drive.
if ! ls /dev/sr* /dev/cdrom >/dev/null 2>&1 && [ ! -f "$home/VornapDrives.dat" ]; then
    demo=$(ls "$bin"/Demo/*.cue 2>/dev/null | head -n 1 || true)
    if [ -n "$demo" ]; then
        echo "No CD drive found: the demo disc is in virtual drive D:\\"
        printf '# Virtual drives: a drive root, "=", a disc image or a tray directory\r\nD:\\=%s\r\n' "$demo" \
            >"$home/VornapDrives.dat"
    else
        echo "No CD drive found: Vornap starts without a drive."
    fi
fi

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "No display found: starting Vornap under Xvfb, where it runs unseen."
    echo "(Run scripts/screenshot.sh to see what it shows.)"
    exec xvfb-run -a -s "-screen 0 1024x768x24 -nolisten tcp" "$bin/vornap"
fi
exec "$bin/vornap"
