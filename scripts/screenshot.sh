#!/usr/bin/env bash
# Starts the built player under its own Xvfb and saves a screenshot of it.
# Usage: scripts/screenshot.sh [output.png]  (default build/artifacts/main-window.png)
set -euo pipefail
cd "$(dirname "$0")/.."
out=${1:-build/artifacts/main-window.png}
mkdir -p "$(dirname "$out")"
source tests/e2e/lib.sh
e2e_start_xvfb
home=${VORNAP_HOME:-$(mktemp -d)}
[ -d "$home/Skins" ] || cp -r build/bin/Skins "$home/"
VORNAP_HOME=$home build/bin/vornap >/dev/null 2>&1 &
pid=$!
trap 'kill $pid 2>/dev/null; e2e_cleanup' EXIT
wid=$(e2e_wait_window '^Vornap$' 20)
sleep 1.5
import -window "$wid" "$out"
echo "$out"
