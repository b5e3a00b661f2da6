#!/usr/bin/env bash
# Installs, from Debian's packages, whatever the build, the companion server and the
# tests need and this machine lacks. Safe to run again: it does nothing when all is there.
set -euo pipefail

packages=(
  build-essential cmake pkg-config
  libsdl2-dev libsdl2-image-dev libsdl2-ttf-dev libsdl2-mixer-dev libcurl4-openssl-dev
  libgtest-dev libgmock-dev libbenchmark-dev nlohmann-json3-dev libgeographiclib-dev
  libcpp-httplib-dev libmicrohttpd-dev libsqlite3-dev libpq-dev libsodium-dev libcairo2-dev
  postgresql nginx
  gmt gmt-gshhg-low gmt-gshhg-high
  fonts-dejavu-core xvfb xauth xdotool imagemagick x11-apps matchbox-window-manager python3
  sox libsox-fmt-all vorbis-tools wrk curl
  clang libclang-rt-14-dev clang-format
  dpkg-dev file desktop-file-utils appstream lintian systemd
)

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$package")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Installing: ${missing[*]}"
sudo=""
if [ "$(id -u)" -ne 0 ]; then
  sudo="sudo"
fi
$sudo apt-get update -q
$sudo env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600 install -y -q --no-install-recommends "${missing[@]}"
