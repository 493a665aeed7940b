#!/usr/bin/env bash
# Installs everything Vornap needs to build, run and test on Debian 12.
# Idempotent and quiet when everything is already there.
set -euo pipefail

packages=(
    build-essential cmake ninja-build pkg-config git
    qt6-base-dev qt6-base-dev-tools libqt6opengl6-dev
    libpulse-dev libcdio-dev libcdio-paranoia-dev libiso9660-dev
    libdiscid-dev libcurl4-openssl-dev
    libgtest-dev libgmock-dev libbenchmark-dev
    xvfb xauth x11-utils xdotool imagemagick trayer
    pulseaudio pulseaudio-utils sox dbus dbus-x11
    libxcb1-dev python3 fonts-dejavu-core
    openbox playerctl libglib2.0-bin desktop-file-utils appstream
    qt6-wayland weston xfce4-panel python3-dbus python3-gi
    dpkg-dev file lintian
    clang libclang-rt-14-dev llvm
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
