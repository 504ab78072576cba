#!/usr/bin/env bash
# Installs the Debian packages Tallymere needs to build, run and test. Installs only what is
# missing, so a second run costs a few seconds.
set -euo pipefail

packages=(
  g++ cmake ninja-build pkg-config
  qt6-base-dev libgl-dev libvulkan-dev qt6-svg-dev
  qt6-charts-dev libqt6opengl6-dev
  libsqlite3-dev sqlite3
  libxlsxwriter-dev
  libuchardet-dev libicu-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  fonts-liberation
  xvfb xauth
  desktop-file-utils appstream
  unzip
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo_cmd=()
  [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
