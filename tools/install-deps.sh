#!/usr/bin/env bash
# Installs the Debian packages Quorlen needs to build, run and be tested, when missing.
set -euo pipefail
packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-multimedia-dev libgtest-dev libgmock-dev libbenchmark-dev
  libcurl4-openssl-dev libssl-dev openssl ca-certificates libx11-dev libxi-dev qt6-websockets-dev
  libwayland-bin libsystemd-dev
  xvfb xauth openbox trayer x11-utils xdotool imagemagick curl iproute2 util-linux
  chromium firefox-esr
  python3 tinyproxy
  lintian desktop-file-utils clang-format
  xterm zenity at-spi2-core dbus-daemon dbus-bin
  xdg-utils file python3-pyatspi gir1.2-atspi-2.0
  libwayland-dev plasma-wayland-protocols qt6-wayland sway wtype grim waybar libglib2.0-bin
  kwin-wayland
)
missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
    missing+=("$package")
done
if [ ${#missing[@]} -gt 0 ]; then
  if [ "$(id -u)" -ne 0 ]; then
    echo "Missing packages: ${missing[*]} (run as root, or install them with apt-get)" >&2
    exit 1
  fi
  export DEBIAN_FRONTEND=noninteractive
  apt-get -o DPkg::Lock::Timeout=600 update -qq
  apt-get -o DPkg::Lock::Timeout=600 install -y -qq --no-install-recommends "${missing[@]}"
fi
